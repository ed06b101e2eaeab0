# Shell library of the end-to-end tests: throwaway 32-bit Wine machines, a
# headless display, the product placed as its installer would have, and
# bounded runs of the real binaries. Sourced by the scenario scripts.
#
# Expects: E2E_BUILD (the win32 build directory), E2E_WORK (a scratch
# directory of this test, wiped first).

set -eu

export WINEDEBUG=-all
export WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installers

E2E_TIMEOUT=${E2E_TIMEOUT:-60}
E2E_CACHE="$E2E_BUILD/e2e-cache"
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_VM="$E2E_ROOT/tools/wine-vm"
E2E_VM_DISK="$E2E_CACHE/prefixes.img"

e2e_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Kills this test's Wine processes and display, whatever happened.
e2e_cleanup() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout 20 wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${E2E_XVFB_PID:-}" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null || true
        wait "$E2E_XVFB_PID" 2>/dev/null || true
    fi
}

# Wine's 32-bit side is made of i386 Linux programs. A kernel without
# 32-bit support cannot start them; there the scripts run inside the virtual
# machine of tools/wine-vm (see the end of this file), and where that is not
# built either, the tests are skipped, saying why. Not in a CI run (CI=true,
# as .ci/run sets it): there a skip would land binaries no test has run, so
# each test fails with the reason instead.
E2E_SKIP=77
e2e_machine_runs_32bit() { ! "$E2E_VM" needed; }

e2e_require_32bit() {
    if ! e2e_machine_runs_32bit; then
        local reason="this machine cannot run 32-bit Linux programs (kernel 32-bit emulation off) and the virtual machine that runs Wine instead is not built (make deps builds it: tools/wine-vm image)"
        if [ "${CI:-}" = true ]; then
            echo "FAIL: $reason; a CI run (CI=true) does not skip the end-to-end tests" >&2
            exit 1
        fi
        echo "SKIP: $reason" >&2
        exit "$E2E_SKIP"
    fi
}

e2e_begin() {
    e2e_require_32bit
    rm -rf "$E2E_WORK"
    mkdir -p "$E2E_WORK" "$E2E_CACHE"
    trap e2e_cleanup EXIT
    e2e_start_display
}

# A virtual display of its own: message boxes need one.
e2e_start_display() {
    exec 9>"$E2E_WORK/display"
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        if [ -s "$E2E_WORK/display" ]; then break; fi
        sleep 0.1
    done
    [ -s "$E2E_WORK/display" ] || e2e_fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$E2E_WORK/display")"
}

# e2e_make_pristine <family> <dir>: a new prefix of the family in dir.
e2e_make_pristine() {
    local family=$1 pristine=$2
    rm -rf "$pristine"
    WINEPREFIX="$pristine" timeout "${E2E_WINEBOOT_TIMEOUT:-300}" wineboot -i >"$E2E_CACHE/wineboot-$family.log" 2>&1 ||
        e2e_fail "wineboot failed (see $E2E_CACHE/wineboot-$family.log)"
    WINEPREFIX="$pristine" timeout "${E2E_SETUP_TIMEOUT:-60}" wine reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    WINEPREFIX="$pristine" timeout "${E2E_SETUP_TIMEOUT:-60}" winecfg -v "$family" >/dev/null 2>&1
    WINEPREFIX="$pristine" timeout "${E2E_SETUP_TIMEOUT:-60}" wineserver -w
    touch "$pristine/.ready"
}

# e2e_derive_pristine <from> <family> <dir>: the pristine prefix of another
# family as a copy of one that wineboot made, its version set anew (winecfg
# sets one family's version keys and removes the other's); saves a
# wineboot, minutes in the virtual machine.
e2e_derive_pristine() {
    local from=$1 family=$2 pristine=$3
    rm -rf "$pristine"
    cp -a "$from" "$pristine" || e2e_fail "cannot copy $from"
    rm -f "$pristine/.ready"
    WINEPREFIX="$pristine" timeout "${E2E_SETUP_TIMEOUT:-60}" winecfg -v "$family" >/dev/null 2>&1 || e2e_fail "winecfg -v $family failed"
    WINEPREFIX="$pristine" timeout "${E2E_SETUP_TIMEOUT:-60}" wineserver -w
    touch "$pristine/.ready"
}

# The pristine prefix of the family in the build's e2e cache, made once per
# build directory. A lock keeps two tests from making it at once.
e2e_pristine_ready() {
    local family=$1
    (
        flock -w 600 8 || e2e_fail "waiting for the prefix lock"
        [ -f "$E2E_CACHE/pristine-$family/.ready" ] || e2e_make_pristine "$family" "$E2E_CACHE/pristine-$family"
    ) 8>"$E2E_CACHE/prefix.lock"
}

# The scenario's prefix of the family (win98 or nt40): a copy of the
# pristine one.
e2e_prefix() {
    local family=$1
    if [ -n "${WINE_VM_GUEST:-}" ] && [ -f "/run/disk/pristine-$family/.ready" ]; then
        # In the virtual machine: the pristine prefix in place, on a disk
        # whose changes are dropped when the machine stops.
        export WINEPREFIX="/run/disk/pristine-$family"
    else
        e2e_pristine_ready "$family"
        export WINEPREFIX="$E2E_WORK/prefix"
        cp -a "$E2E_CACHE/pristine-$family" "$WINEPREFIX"
    fi
    rm -f "$WINEPREFIX/.ready"
    E2E_FAMILY=$family
    E2E_DRIVE_C="$WINEPREFIX/drive_c"
    E2E_WINDOWS="$E2E_DRIVE_C/windows"
    E2E_SYSTEM="$E2E_WINDOWS/system32"
    E2E_INSTALL="$E2E_DRIVE_C/Program Files/Vantrell"
}

# wine with a bound; output to files (wineserver keeps pipes open).
e2e_wine() {
    timeout "$E2E_TIMEOUT" wine "$@" >>"$E2E_WORK/wine.out" 2>>"$E2E_WORK/wine.err"
}

e2e_stop_wine() { timeout 30 wineserver -k >/dev/null 2>&1 || true; timeout 30 wineserver -w 2>/dev/null || true; }

# Windows path of a host file: C: inside the prefix, Z: (the host's root)
# elsewhere.
e2e_winpath() {
    case "$1" in
    "$E2E_DRIVE_C"/*) printf 'C:\\%s' "$(printf '%s' "${1#"$E2E_DRIVE_C"/}" | tr / '\\')" ;;
    *) printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')" ;;
    esac
}

# Places the product on the machine as its installer would have left it.
# Stand-in contents: the product's opengl32.dll and the platform's backup
# are told apart by their bytes.
e2e_install_product() {
    mkdir -p "$E2E_INSTALL" "$E2E_SYSTEM/corelay/lib"
    cp "$E2E_BUILD/uninstal.exe" "$E2E_INSTALL/uninstal.exe"
    if [ -f "$E2E_BUILD/tests/e2e/standin.exe" ]; then
        cp "$E2E_BUILD/tests/e2e/standin.exe" "$E2E_INSTALL/uninstal.000"
    else
        printf 'installer uninstaller\n' >"$E2E_INSTALL/uninstal.000"
    fi
    printf 'install log\n' >"$E2E_INSTALL/install.log"
    cp "$E2E_SYSTEM/opengl32.dll" "$E2E_INSTALL/opengl32.sav"
    printf 'product OpenGL library (variant a)\n' >"$E2E_INSTALL/opengl32.fxa"
    printf 'product OpenGL library (variant b)\n' >"$E2E_INSTALL/opengl32.fxb"
    printf 'product OpenGL library\n' >"$E2E_SYSTEM/opengl32.dll"
    for f in vtl_d3d.dll vtl_sw.dll tavrix.vxd lentix.dll corelay/corelay.sys corelay/lib/corelay.cfg; do
        printf '%s\n' "$f" >"$E2E_SYSTEM/$f"
    done
    if [ -f "$E2E_BUILD/VANTRELL.CPL" ]; then
        cp "$E2E_BUILD/VANTRELL.CPL" "$E2E_SYSTEM/VANTRELL.CPL"
    else
        printf 'applet\n' >"$E2E_SYSTEM/VANTRELL.CPL"
    fi
    cat >"$E2E_WORK/product.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Quillon Software\Vantrell]
"InstallLocation"="C:\\Program Files\\Vantrell\\"
"FileName"="VCONFIG.EXE"
"Switch"="-cpl"

[HKEY_LOCAL_MACHINE\Software\Quillon Software\Vantrell\Display\Modes]
"Default"="1"

[HKEY_LOCAL_MACHINE\Software\Quillon Software\LtxCplCmd]
"Command"="x"

[HKEY_LOCAL_MACHINE\Software\Quillon Software\Other Product]
"Keep"="yes"
REG
    e2e_wine regedit /S "$(e2e_winpath "$E2E_WORK/product.reg")" || e2e_fail "regedit failed"
    e2e_stop_wine
}

# A snapshot of what the uninstaller may touch: files with their checksums,
# and the product's registry keys.
e2e_snapshot() {
    local out=$1
    {
        for d in "$E2E_INSTALL" "$E2E_SYSTEM/corelay"; do
            [ -d "$d" ] && (cd "$d" && find . -type f -print0 | sort -z | xargs -0r md5sum | sed "s|  \./|  $(basename "$d")/|")
        done
        for f in opengl32.dll vtl_d3d.dll vtl_sw.dll tavrix.vxd lentix.dll VANTRELL.CPL; do
            [ -f "$E2E_SYSTEM/$f" ] && (cd "$E2E_SYSTEM" && md5sum "$f")
        done
        [ -f "$E2E_WINDOWS/wininit.ini" ] && md5sum "$E2E_WINDOWS/wininit.ini" | sed 's|  .*|  wininit.ini|'
        e2e_registry_listing
    } >"$out"
}

# The parent key always holds a neighbour's key, so a query that fails (a
# busy machine, a Wine start cut short) is tried again rather than taken
# for an empty registry.
e2e_registry_listing() {
    local try listing
    for try in 1 2 3; do
        if listing=$(timeout "$E2E_TIMEOUT" wine reg query 'HKLM\Software\Quillon Software' /s 2>/dev/null); then
            printf '%s\n' "$listing" | tr -d '\r' | sed '/^$/d'
            return 0
        fi
    done
    e2e_fail "the registry could not be listed"
}

# Runs the box driver: e2e_drive <answers> <command line words...>; the
# transcript lands in $E2E_WORK/transcript.txt.
e2e_drive() {
    local answers=$1
    shift
    timeout $((E2E_TIMEOUT + 30)) wine "$E2E_BUILD/tests/e2e/boxdriver.exe" \
        "$(e2e_winpath "$E2E_WORK/transcript.txt")" $((E2E_TIMEOUT * 1000)) "$answers" "$@" \
        >>"$E2E_WORK/wine.out" 2>>"$E2E_WORK/wine.err" || true
    [ -f "$E2E_WORK/transcript.txt" ] || e2e_fail "the box driver wrote no transcript"
}

# Compares the transcript with the expected one given on standard input.
e2e_expect_transcript() {
    cat >"$E2E_WORK/expected.txt"
    if ! diff -u "$E2E_WORK/expected.txt" "$E2E_WORK/transcript.txt"; then
        e2e_fail "transcript differs from the expected one"
    fi
}

# Holds a file in use from another process until e2e_release:
# e2e_hold open|load <host path>
e2e_hold() {
    rm -f "$E2E_WORK/held" "$E2E_WORK/release"
    timeout $((E2E_TIMEOUT + 30)) wine "$E2E_BUILD/tests/e2e/holder.exe" "$1" "$(e2e_winpath "$2")" \
        "$(e2e_winpath "$E2E_WORK/held")" "$(e2e_winpath "$E2E_WORK/release")" "$E2E_TIMEOUT" \
        >>"$E2E_WORK/wine.out" 2>>"$E2E_WORK/wine.err" &
    E2E_HOLDER_PID=$!
    local i
    for i in $(seq 1 200); do
        [ -f "$E2E_WORK/held" ] && return 0
        kill -0 "$E2E_HOLDER_PID" 2>/dev/null || break
        sleep 0.1
    done
    e2e_fail "the holder did not take $2"
}

e2e_release() {
    touch "$E2E_WORK/release"
    wait "$E2E_HOLDER_PID" 2>/dev/null || true
}

# The platform's short form of a Windows path.
e2e_short_path() {
    timeout "$E2E_TIMEOUT" wine "$E2E_BUILD/tests/e2e/shortpath.exe" "$1" 2>/dev/null | tr -d '\r'
}

# The uninstaller's boxes as the box driver writes them, answered.
E2E_CONFIRM_BOX='box
title: Uninstall Quillon Vantrell?
text: Are you sure you want to remove Quillon Vantrell and all of its components?\n
buttons: 6 7
icon: question
answer: 6'
E2E_SUCCESS_BOX='box
title: Success!
text: Quillon Vantrell has been successfully removed from your system.
buttons: 1
icon: information
answer: 1'

e2e_expect_gone() {
    for f in "$@"; do
        [ ! -e "$f" ] && [ ! -L "$f" ] || e2e_fail "$f should be gone"
    done
}

# The full removal's end state beside the OpenGL library: the product's
# trees, libraries and keys gone, its neighbours' keys kept, and the
# installer's uninstaller started once with its exact command line (the
# program path in quotes: it holds a blank). Needs $install_short.
e2e_expect_product_removed() {
    e2e_expect_gone "$E2E_SYSTEM/corelay"
    e2e_expect_keys_removed_and_started
}

e2e_expect_keys_removed_and_started() {
    e2e_expect_gone "$E2E_SYSTEM/vtl_d3d.dll" "$E2E_SYSTEM/vtl_sw.dll" \
        "$E2E_INSTALL/opengl32.fxa" "$E2E_INSTALL/opengl32.fxb"
    e2e_registry_listing >"$E2E_WORK/registry.txt"
    grep -q 'Other Product' "$E2E_WORK/registry.txt" || e2e_fail "a sibling key went"
    if grep -qE 'Vantrell|LtxCplCmd' "$E2E_WORK/registry.txt"; then e2e_fail "product keys stay"; fi
    printf '"C:\\Program Files\\Vantrell\\\\uninstal.000" /S %s\\install.log\n' "$install_short" \
        >"$E2E_WORK/expected-standin.log"
    diff -u "$E2E_WORK/expected-standin.log" "$E2E_WORK/standin.log" ||
        e2e_fail "the installer's uninstaller was not started as expected"
}

# A new empty disk for the pristine prefixes (under the prefix lock).
e2e_vm_empty_disk() {
    rm -f "$E2E_VM_DISK"
    truncate -s 4G "$E2E_VM_DISK"
    mkfs.ext4 -q -F "$E2E_VM_DISK" || e2e_fail "cannot make $E2E_VM_DISK"
}

# The disk of pristine prefixes for the virtual machine: an ext4 image made
# once per build directory, in a run of its own (tests/e2e/make_prefixes.sh).
e2e_vm_disk() {
    mkdir -p "$E2E_CACHE"
    (
        flock -w 900 8 || e2e_fail "waiting for the prefix lock"
        if [ ! -f "$E2E_VM_DISK.ready" ]; then
            e2e_vm_empty_disk
            "$E2E_VM" run --disk "$E2E_VM_DISK" bash "$E2E_ROOT/tests/e2e/make_prefixes.sh" ||
                e2e_fail "making the pristine prefixes failed"
            touch "$E2E_VM_DISK.ready"
        fi
    ) 8>"$E2E_CACHE/prefix.lock"
}

# The machine that serves the scenarios of one ctest run (tests/e2e/vm_start.sh):
# the pristine prefixes' disk attached, its owner the ctest process.
e2e_vm_serve() {
    local owner=$1
    mkdir -p "$E2E_CACHE"
    (
        flock -w 900 8 || e2e_fail "waiting for the prefix lock"
        if [ ! -f "$E2E_VM_DISK.ready" ]; then
            # Made in the machine by the first job (tests/e2e/prepare_prefixes.sh).
            e2e_vm_empty_disk
        fi
        "$E2E_VM" start "$E2E_VM_JOBS" --disk "$E2E_VM_DISK" --owner "$owner" ||
            e2e_fail "the virtual machine did not start"
    ) 8>"$E2E_CACHE/prefix.lock"
}

# Where this kernel cannot run 32-bit programs, the whole script runs again
# inside the virtual machine that can (tools/wine-vm), on the same paths,
# with the pristine prefixes on a disk of their own: as a job of the machine
# this ctest run started (E2E_VM_JOBS), or else in a machine of its own.
if [ -z "${WINE_VM_GUEST:-}" ] && [ -z "${E2E_STAY_ON_HOST:-}" ] && "$E2E_VM" needed && "$E2E_VM" ready; then
    if [ -n "${E2E_VM_JOBS:-}" ] && "$E2E_VM" alive "$E2E_VM_JOBS" && [ -f "$E2E_VM_DISK.ready" ]; then
        exec "$E2E_VM" submit "$E2E_VM_JOBS" bash "$0" "$@"
    fi
    e2e_vm_disk
    exec "$E2E_VM" run --disk "$E2E_VM_DISK" --snapshot bash "$0" "$@"
fi
