# The real uninstaller on a machine that other users share: it starts,
# follows and deletes only what is exactly the product's.
# Usage: uninstall_safety.sh <win98|nt40> <case>
#   planted_program  C:\Program.exe (a stand-in that records any start) is
#                    never started; uninstal.000 starts with its quoted line
#   links            links in corelay\ and in the install directory to
#                    folders of user files: the files stay, the rest goes
#   second_run       after a full removal the uninstaller is run once more:
#                    confirmation, success, exit 0, and nothing changes
. "$(dirname "$0")/lib.sh"

family=$1
case_name=$2
e2e_begin
e2e_prefix "$family"
cp "$E2E_SYSTEM/opengl32.dll" "$E2E_WORK/original-opengl32.dll"
e2e_install_product
export STANDIN_LOG PLANTED_LOG
STANDIN_LOG="$(e2e_winpath "$E2E_WORK/standin.log")"
PLANTED_LOG="$(e2e_winpath "$E2E_WORK/planted.log")"
uninstaller='"C:\Program Files\Vantrell\uninstal.exe"'
install_short=$(e2e_short_path 'C:\Program Files\Vantrell\')
[ -n "$install_short" ] || e2e_fail "no short form of the install directory"

# What a full removal leaves: the platform's library, the running
# uninstaller alone in its directory, no restart list.
expect_full_removal() {
    cmp "$E2E_WORK/original-opengl32.dll" "$E2E_SYSTEM/opengl32.dll" || e2e_fail "opengl32.dll is not the original"
    e2e_expect_gone "$E2E_SYSTEM/VANTRELL.CPL" "$E2E_INSTALL/opengl32.sav" "$E2E_WINDOWS/wininit.ini" \
        "$E2E_SYSTEM/tavrix.vxd" "$E2E_SYSTEM/lentix.dll" "$E2E_SYSTEM/vtl_ogl.tmp"
    [ "$(ls -A "$E2E_INSTALL")" = "uninstal.exe" ] || e2e_fail "install directory holds: $(ls -A "$E2E_INSTALL")"
    e2e_expect_product_removed
}

# A tree of user files outside the product, and its listing with checksums.
make_user_files() {
    mkdir -p "$1/old"
    printf 'saved game 1\n' >"$1/slot1.sav"
    printf 'saved game 0\n' >"$1/old/slot0.sav"
}
user_listing() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0r md5sum && find . | sort); }

case "$case_name" in
planted_program)
    cp "$E2E_BUILD/tests/e2e/planted.exe" "$E2E_DRIVE_C/Program.exe"
    e2e_drive 6,1 "$uninstaller"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    [ ! -e "$E2E_WORK/planted.log" ] || e2e_fail "C:\\Program.exe was started: $(cat "$E2E_WORK/planted.log")"
    [ -f "$E2E_DRIVE_C/Program.exe" ] || e2e_fail "C:\\Program.exe went"
    expect_full_removal
    ;;
links)
    users="$E2E_DRIVE_C/UserFiles"
    make_user_files "$users/Saves"
    make_user_files "$users/Pictures"
    user_listing "$users" >"$E2E_WORK/users-before.txt"
    # Host links, which Wine lists as Windows lists a junction (0x410).
    ln -s "$users/Saves" "$E2E_SYSTEM/corelay/saves"
    ln -s "$users/Pictures" "$E2E_INSTALL/Screenshots"
    ln -s "$E2E_DRIVE_C/Program Files" "$E2E_INSTALL/Programs"
    e2e_drive 6,1 "$uninstaller"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    user_listing "$users" >"$E2E_WORK/users-after.txt"
    diff -u "$E2E_WORK/users-before.txt" "$E2E_WORK/users-after.txt" || e2e_fail "user files behind a link changed"
    [ -d "$E2E_DRIVE_C/Program Files" ] || e2e_fail "the install directory's parent went"
    # Windows removes a junction with RemoveDirectoryA; Wine 8 takes a host
    # link to a directory neither so nor with DeleteFileA, so here a link
    # may stay, as a link, and with it the directory that holds it. All
    # else goes as in a full removal.
    for link in "$E2E_SYSTEM/corelay/saves" "$E2E_INSTALL/Screenshots" "$E2E_INSTALL/Programs"; do
        if [ -e "$link" ] || [ -L "$link" ]; then
            [ -L "$link" ] || e2e_fail "$link is no longer a link"
            echo "stayed, as a link: $link" >>"$E2E_WORK/links-stayed.txt"
        fi
    done
    cmp "$E2E_WORK/original-opengl32.dll" "$E2E_SYSTEM/opengl32.dll" || e2e_fail "opengl32.dll is not the original"
    e2e_expect_gone "$E2E_SYSTEM/VANTRELL.CPL" "$E2E_INSTALL/opengl32.sav" "$E2E_SYSTEM/tavrix.vxd" \
        "$E2E_SYSTEM/lentix.dll" "$E2E_SYSTEM/corelay/corelay.sys" "$E2E_SYSTEM/corelay/lib"
    left=$(cd "$E2E_INSTALL" && ls -A | grep -vx -e uninstal.exe -e Screenshots -e Programs || true)
    [ -z "$left" ] || e2e_fail "install directory holds: $left"
    if [ -d "$E2E_SYSTEM/corelay" ]; then
        left=$(cd "$E2E_SYSTEM/corelay" && ls -A | grep -vx saves || true)
        [ -z "$left" ] || e2e_fail "corelay holds: $left"
    fi
    e2e_expect_keys_removed_and_started
    cat "$E2E_WORK/links-stayed.txt" 2>/dev/null || true
    ;;
second_run)
    e2e_drive 6,1 "$uninstaller"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    expect_full_removal
    e2e_snapshot "$E2E_WORK/after-first.txt"
    rm -f "$E2E_WORK/transcript.txt"
    e2e_drive 6,1 "$uninstaller"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    cmp "$E2E_WORK/original-opengl32.dll" "$E2E_SYSTEM/opengl32.dll" ||
        e2e_fail "the second run changed the platform's opengl32.dll"
    e2e_snapshot "$E2E_WORK/after-second.txt"
    diff -u "$E2E_WORK/after-first.txt" "$E2E_WORK/after-second.txt" || e2e_fail "the second run changed the machine"
    ;;
*)
    e2e_fail "unknown case $case_name"
    ;;
esac
echo PASS
