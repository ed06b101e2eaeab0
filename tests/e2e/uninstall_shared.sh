# The real uninstaller where the product was installed into a folder that
# others share, or one whose name the ANSI code page cannot spell.
# Usage: uninstall_shared.sh <win98|nt40> <case>
#   program_files  installed straight into C:\Program Files\ beside other
#                  programs: they stay byte for byte, the product's named
#                  files go, the platform's opengl32.dll comes back
#   desktop        installed onto the user's Desktop (a plain folder of the
#                  prefix first): the user's files there stay
#   unicode_dir    (NT) an install directory named in Cyrillic under the C
#                  locale (C.UTF-8), the uninstaller started by its Unicode path: found
#                  by its short form, the product removed, the library back
. "$(dirname "$0")/lib.sh"

family=$1
case_name=$2
if [ "$case_name" = unicode_dir ]; then
    # The C locale, with host file names in UTF-8: Wine keeps a Cyrillic
    # name on the host, and its ANSI code page stays the single-byte one of
    # the C locale, which has no Cyrillic letters.
    export LC_ALL=C.UTF-8
fi
e2e_begin
e2e_prefix "$family"
cp "$E2E_SYSTEM/opengl32.dll" "$E2E_WORK/original-opengl32.dll"
e2e_install_product
export STANDIN_LOG="$(e2e_winpath "$E2E_WORK/standin.log")"

# Files and folders below a directory, with checksums.
listing() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0r md5sum && find . | sort); }

# The product's files, moved from where e2e_install_product put them into
# the host directory $1.
move_product_into() {
    local f
    for f in "$E2E_INSTALL"/*; do mv "$f" "$1/"; done
    rmdir "$E2E_INSTALL"
    E2E_INSTALL=$1
}

# A folder the prefix names in the user's Shell Folders, as a host path.
shell_folder() {
    local value
    value=$(timeout "$E2E_TIMEOUT" wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
        /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p")
    e2e_stop_wine
    case "$value" in
    [Cc]:\\*) printf '%s/%s' "$E2E_DRIVE_C" "$(printf '%s' "${value#??\\}" | tr '\\' /)" ;;
    *) e2e_fail "the prefix names no $1 folder (got '$value')" ;;
    esac
}

# The run in a shared folder: confirmation, success, exit 0; the library
# back; the product's named files gone, the installer's uninstaller started
# with its exact line; every other file and folder there as it was.
# expect_shared_folder_kept <host dir> <windows dir with backslash>
expect_shared_folder_kept() {
    local dir=$1 windir=$2 short program
    short=$(e2e_short_path "$windir")
    [ -n "$short" ] || e2e_fail "no short form of $windir"
    listing "$dir" | grep -v -e 'opengl32\.fx[ab]$' -e 'opengl32\.sav$' >"$E2E_WORK/shared-before.txt"
    e2e_drive 6,1 "\"${windir}uninstal.exe\""
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    cmp "$E2E_WORK/original-opengl32.dll" "$E2E_SYSTEM/opengl32.dll" || e2e_fail "opengl32.dll is not the original"
    listing "$dir" >"$E2E_WORK/shared-after.txt"
    diff -u "$E2E_WORK/shared-before.txt" "$E2E_WORK/shared-after.txt" || e2e_fail "the shared folder changed"
    e2e_expect_gone "$E2E_SYSTEM/corelay" "$E2E_SYSTEM/VANTRELL.CPL" "$E2E_SYSTEM/vtl_d3d.dll" "$E2E_SYSTEM/vtl_sw.dll"
    e2e_registry_listing >"$E2E_WORK/registry.txt"
    grep -q 'Other Product' "$E2E_WORK/registry.txt" || e2e_fail "a sibling key went"
    if grep -qE 'Vantrell|LtxCplCmd' "$E2E_WORK/registry.txt"; then e2e_fail "product keys stay"; fi
    program="${windir}\\uninstal.000"
    case "$program" in *' '*) program="\"$program\"" ;; esac
    printf '%s /S %s\\install.log\n' "$program" "$short" >"$E2E_WORK/expected-standin.log"
    diff -u "$E2E_WORK/expected-standin.log" "$E2E_WORK/standin.log" ||
        e2e_fail "the installer's uninstaller was not started as expected"
}

case "$case_name" in
program_files)
    pf="$E2E_DRIVE_C/Program Files"
    mkdir -p "$pf/Other Vendor/data" "$pf/Common Files/Other Vendor"
    printf 'another program\n' >"$pf/Other Vendor/tool.exe"
    printf 'its data\n' >"$pf/Other Vendor/data/tool.dat"
    printf 'a shared library\n' >"$pf/Common Files/Other Vendor/shared.dll"
    move_product_into "$pf"
    expect_shared_folder_kept "$pf" 'C:\Program Files\'
    ;;
desktop)
    desk=$(shell_folder Desktop)
    # A new prefix links the Desktop to the home directory of whoever runs
    # the tests: the link goes (only the link), a folder of the prefix's
    # own takes its place, so that nothing here can reach the host's files.
    if [ -L "$desk" ]; then rm -f -- "$desk"; fi
    mkdir -p "$desk/Projects"
    printf 'a letter\n' >"$desk/letter.txt"
    printf 'a plan\n' >"$desk/Projects/plan.txt"
    move_product_into "$desk"
    windir="C:\\${desk#"$E2E_DRIVE_C"/}\\"
    expect_shared_folder_kept "$desk" "$(printf '%s' "$windir" | tr / '\\')"
    ;;
unicode_dir)
    [ "$family" = nt40 ] || e2e_fail "unicode_dir is a case of the NT family"
    named='C:\Program Files\%u0412%u0430%u043d%u0442%u0440%u0435%u043b%u043b'
    timeout "$E2E_TIMEOUT" wine "$E2E_BUILD/tests/e2e/widepath.exe" move 'C:\Program Files\Vantrell' "$named" ||
        e2e_fail "cannot rename the install directory"
    short=$(timeout "$E2E_TIMEOUT" wine "$E2E_BUILD/tests/e2e/widepath.exe" short "$named\\" | tr -d '\r')
    e2e_stop_wine
    [ -n "$short" ] || e2e_fail "no short form of the Cyrillic install directory"
    case "$short" in *\\) ;; *) short="$short\\" ;; esac
    install=$(dirname "$(find "$E2E_DRIVE_C/Program Files" -maxdepth 2 -name uninstal.exe | head -n1)")
    [ -f "$install/opengl32.sav" ] || e2e_fail "the renamed install directory is not found on the host"
    BOXDRIVER_UNICODE=1 e2e_drive 6,1 "\"$named\\uninstal.exe\""
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    cmp "$E2E_WORK/original-opengl32.dll" "$E2E_SYSTEM/opengl32.dll" || e2e_fail "opengl32.dll is not the original"
    [ "$(ls -A "$install")" = "uninstal.exe" ] || e2e_fail "install directory holds: $(ls -A "$install")"
    e2e_expect_gone "$E2E_SYSTEM/corelay" "$E2E_SYSTEM/VANTRELL.CPL" "$E2E_SYSTEM/vtl_d3d.dll" "$E2E_SYSTEM/vtl_sw.dll"
    printf '%s\\uninstal.000 /S %s\\install.log\n' "$short" "$short" >"$E2E_WORK/expected-standin.log"
    diff -u "$E2E_WORK/expected-standin.log" "$E2E_WORK/standin.log" ||
        e2e_fail "the installer's uninstaller was not started as expected"
    ;;
*)
    e2e_fail "unknown case $case_name"
    ;;
esac
echo PASS
