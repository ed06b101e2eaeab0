# The real uninstaller answered Yes, on a machine with the product on it.
# Usage: uninstall_removal.sh <win98|nt40> <case>
#   full            everything goes; opengl32.dll is the platform's again
#   no_backup       no opengl32.sav: the product's library goes, nothing replaces it
#   norename        -NoRename: the OpenGL library and its backup stay
#   norename_more   "-norename x" is not the option: the restore runs
#   applet_held     the applet is in use: it and the uninstaller go at the next restart
#   opengl_readonly read-only opengl32.dll: "Fatal Error!", exit 1, nothing changed
#   opengl_in_use   opengl32.dll open elsewhere: "Uninstall Error!", exit 0, nothing changed
#   full_cp932      full, on a Windows whose ANSI code page is 932 (double-byte),
#                   with folders whose names end in the byte 0x5C
. "$(dirname "$0")/lib.sh"

family=$1
case_name=$2
if [ "$case_name" = full_cp932 ]; then
    # Wine takes its ANSI code page from the locale (tools/install-deps
    # compiles it).
    locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || e2e_fail "the locale ja_JP.UTF-8 is missing (tools/install-deps makes it)"
    export LC_ALL=ja_JP.UTF-8
fi
e2e_begin
e2e_prefix "$family"
cp "$E2E_SYSTEM/opengl32.dll" "$E2E_WORK/original-opengl32.dll"
e2e_install_product
export STANDIN_LOG="$(e2e_winpath "$E2E_WORK/standin.log")"
uninstaller='"C:\Program Files\Vantrell\uninstal.exe"'
install_short=$(e2e_short_path 'C:\Program Files\Vantrell\')
[ -n "$install_short" ] || e2e_fail "no short form of the install directory"
e2e_snapshot "$E2E_WORK/before.txt"

restart_box='box
title: Uninstall Information
text: Quillon Vantrell has been successfully removed from your system.\n\nThe Control Panel icon for Quillon Vantrell will be removed\nthe next time you restart your system.
buttons: 1
icon: information
answer: 1'

expect_unchanged() {
    e2e_snapshot "$E2E_WORK/after.txt"
    diff -u "$E2E_WORK/before.txt" "$E2E_WORK/after.txt" || e2e_fail "the machine changed"
    [ ! -e "$E2E_WORK/standin.log" ] || e2e_fail "the installer's uninstaller was started"
}

case "$case_name" in
full_cp932)
    # 一覧表 and 設定表: in code page 932 each ends in the byte 0x5C.
    mkdir -p "$E2E_INSTALL/一覧表/一覧" "$E2E_SYSTEM/corelay/設定表/設定"
    printf 'x\n' >"$E2E_INSTALL/一覧表/readme.txt"
    printf 'x\n' >"$E2E_INSTALL/一覧表/一覧/more.txt"
    printf 'x\n' >"$E2E_SYSTEM/corelay/設定表/mode.cfg"
    printf 'x\n' >"$E2E_SYSTEM/corelay/設定表/設定/deep.cfg"
    e2e_drive 6,1 "$uninstaller"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    cmp "$E2E_WORK/original-opengl32.dll" "$E2E_SYSTEM/opengl32.dll" || e2e_fail "opengl32.dll is not the original"
    e2e_expect_gone "$E2E_SYSTEM/VANTRELL.CPL" "$E2E_INSTALL/opengl32.sav" "$E2E_INSTALL/一覧表"
    [ "$(ls -A "$E2E_INSTALL")" = "uninstal.exe" ] || e2e_fail "install directory holds: $(ls -A "$E2E_INSTALL")"
    e2e_expect_product_removed
    ;;
full | no_backup | norename_more)
    [ "$case_name" = no_backup ] && rm "$E2E_INSTALL/opengl32.sav"
    tail=""
    [ "$case_name" = norename_more ] && tail=" -norename x"
    e2e_drive 6,1 "$uninstaller$tail"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    if [ "$case_name" = no_backup ]; then
        e2e_expect_gone "$E2E_SYSTEM/opengl32.dll"
    else
        cmp "$E2E_WORK/original-opengl32.dll" "$E2E_SYSTEM/opengl32.dll" || e2e_fail "opengl32.dll is not the original"
    fi
    # The restore takes the helper driver and the stereo library with it.
    e2e_expect_gone "$E2E_SYSTEM/VANTRELL.CPL" "$E2E_INSTALL/opengl32.sav" "$E2E_WINDOWS/wininit.ini" \
        "$E2E_SYSTEM/tavrix.vxd" "$E2E_SYSTEM/lentix.dll"
    [ "$(ls "$E2E_INSTALL")" = "uninstal.exe" ] || e2e_fail "install directory holds: $(ls "$E2E_INSTALL")"
    e2e_expect_product_removed
    ;;
norename)
    e2e_drive 6,1 "$uninstaller -NoRename"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$E2E_SUCCESS_BOX" | e2e_expect_transcript
    e2e_stop_wine
    grep -q 'product OpenGL library' "$E2E_SYSTEM/opengl32.dll" || e2e_fail "opengl32.dll was touched"
    cmp "$E2E_WORK/original-opengl32.dll" "$E2E_INSTALL/opengl32.sav" || e2e_fail "the backup is gone"
    [ -f "$E2E_SYSTEM/tavrix.vxd" ] && [ -f "$E2E_SYSTEM/lentix.dll" ] || e2e_fail "the skipped restore deleted files"
    e2e_expect_gone "$E2E_SYSTEM/VANTRELL.CPL"
    e2e_expect_product_removed
    ;;
applet_held)
    e2e_hold open "$E2E_SYSTEM/VANTRELL.CPL"
    e2e_drive 6,1 "$uninstaller"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" "$restart_box" | e2e_expect_transcript
    e2e_release
    e2e_stop_wine
    [ -f "$E2E_SYSTEM/VANTRELL.CPL" ] || e2e_fail "the held applet went at once"
    [ -f "$E2E_INSTALL/uninstal.exe" ] || e2e_fail "the running uninstaller went"
    if [ "$family" = win98 ]; then
        printf '[rename]\r\nNUL=C:\\windows\\system32\\VANTRELL.CPL\r\nNUL=%sUNINSTAL.EXE\r\n' "$install_short" \
            >"$E2E_WORK/expected-wininit.ini"
        cmp "$E2E_WORK/expected-wininit.ini" "$E2E_WINDOWS/wininit.ini" ||
            e2e_fail "wininit.ini: $(cat -A "$E2E_WINDOWS/wininit.ini")"
    else
        e2e_expect_gone "$E2E_WINDOWS/wininit.ini"  # NT keeps its own list
    fi
    timeout "$E2E_TIMEOUT" wineboot -r >>"$E2E_WORK/wine.out" 2>>"$E2E_WORK/wine.err" || true
    e2e_stop_wine
    e2e_expect_gone "$E2E_SYSTEM/VANTRELL.CPL" "$E2E_INSTALL/uninstal.exe"
    e2e_expect_product_removed
    ;;
opengl_readonly)
    chmod a-w "$E2E_SYSTEM/opengl32.dll"
    e2e_snapshot "$E2E_WORK/before.txt"
    e2e_drive 6,1 "$uninstaller"
    printf '%s\n%s\nexit: 1\n' "$E2E_CONFIRM_BOX" 'box
title: Fatal Error!
text: The OpenGL DLL is currently in use.\n\nPlease exit any applications that may be using it\nor reboot your system and run this program again.\n\nIf you get this message again, run\n\nC:\\Program Files\\Vantrell\\uninstal.exe -norename\n\nfrom a MS-DOS prompt and this will not attempt to\nrestore the original OpenGL DLL.
buttons: 1
icon: warning
answer: 1' | e2e_expect_transcript
    expect_unchanged
    ;;
opengl_in_use)
    e2e_hold open "$E2E_SYSTEM/opengl32.dll"
    e2e_drive 6,1 "$uninstaller"
    printf '%s\n%s\nexit: 0\n' "$E2E_CONFIRM_BOX" 'box
title: Uninstall Error!
text: The uninstall could not restore the original opengl32.dll.\nPlease contact Quillon Technical Support at (555) 555-0142\nto report this problem and get help uninstalling this product.
buttons: 1
icon: error
answer: 1' | e2e_expect_transcript
    e2e_release
    expect_unchanged
    ;;
*)
    e2e_fail "unknown case $case_name"
    ;;
esac
echo PASS
