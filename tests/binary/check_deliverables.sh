#!/bin/sh
# Checks the built deliverables as the old systems' loaders will see them:
# PE32 for i386, no TLS directory, the uninstaller a GUI program for
# subsystem 4.0, the applet's exports by name and ordinal, and imports only
# from KERNEL32, USER32 and ADVAPI32 (no C library DLL: Windows 95 as it came
# has none), each function on the reviewed list. Prints the sizes.
# Usage: check_deliverables.sh <win32 build directory>
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
objdump=i686-w64-mingw32-objdump
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

allowed=$(grep -v '^#' "$here/allowed_imports.txt" | awk 'NF >= 2 { print toupper($1) " " $2 }' | sort -u)

# check_common <file> [imports optional: 1]
check_common() {
    file=$1
    [ -f "$file" ] || { fail "$file missing"; return; }
    $objdump -f "$file" | grep -q 'file format pei-i386' || fail "$file is not PE32 i386"
    headers=$($objdump -p "$file")
    echo "$headers" | grep -Eq '^Entry 9 00000000 00000000' || fail "$file has a TLS directory"
    # The import table: "DLL Name: X" followed by hint/name lines.
    imports=$(echo "$headers" | awk '
        /^[ \t]*DLL Name:/ { dll = toupper($3); next }
        dll != "" && /^[ \t]*$/ { dll = ""; next }
        dll != "" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print dll " " $3 }' | sort -u)
    if [ -z "$imports" ] && [ "${2:-0}" != 1 ]; then
        fail "$file: no imports found (objdump format changed?)"
    fi
    for dll in $(echo "$imports" | cut -d' ' -f1 | sort -u); do
        case "$dll" in
        KERNEL32.DLL | USER32.DLL | ADVAPI32.DLL) ;;
        *) fail "$file imports from $dll" ;;
        esac
    done
    unreviewed=$(printf '%s\n' "$imports" | grep -v '^$' | grep -vxF "$allowed" || true)
    [ -z "$unreviewed" ] || fail "$file imports functions not on the reviewed list:
$unreviewed"
    printf '%-14s %6d bytes, imports: %s functions\n' "$(basename "$file")" "$(stat -c %s "$file")" \
        "$(printf '%s' "$imports" | grep -c . || true)"
}

exe="$build/uninstal.exe"
check_common "$exe"
headers=$($objdump -p "$exe")
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002' || fail "uninstal.exe is not a GUI program"
echo "$headers" | grep -Eq '^MajorSubsystemVersion[[:space:]]+4$' || fail "uninstal.exe subsystem major version is not 4"
echo "$headers" | grep -Eq '^MinorSubsystemVersion[[:space:]]+0$' || fail "uninstal.exe subsystem minor version is not 0"

cpl="$build/VANTRELL.CPL"
if [ -f "$cpl" ] || [ "${REQUIRE_APPLET:-1}" = 1 ]; then
    check_common "$cpl"
    headers=$($objdump -p "$cpl")
    echo "$headers" | grep -q 'DLL' || fail "VANTRELL.CPL is not a DLL"
    base=$(echo "$headers" | awk '/^Ordinal Base|Ordinal base/ { print $NF; exit }')
    # Name pointer table lines: "[   0] +base[   1]  0000 CPlApplet" or "[   0] CPlApplet".
    exports=$(echo "$headers" | awk -v base="${base:-1}" '
        /\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
        on && /^[ \t]*\[ *[0-9]+\]/ {
            line = $0
            if (match(line, /\+base\[ *[0-9]+\]/)) {
                ord = substr(line, RSTART + 6, RLENGTH - 7) + 0
            } else {
                match(line, /\[ *[0-9]+\]/); ord = substr(line, RSTART + 1, RLENGTH - 2) + base
            }
            print $NF " @" ord; next }
        on && /^[ \t]*$/ { on = 0 }')
    expected="CPlApplet @1
QVPDlgProc @2"
    [ "$(printf '%s\n' "$exports" | sort)" = "$expected" ] || fail "VANTRELL.CPL exports:
$exports"
fi

# The sample localization library holds resources only: it may import
# nothing at all, and nothing beyond the same rules.
loc="$build/VANTRELL-LOC.DLL"
if [ -f "$loc" ] || [ "${REQUIRE_APPLET:-1}" = 1 ]; then
    check_common "$loc" 1
fi

[ "$failures" -eq 0 ] || exit 1
echo PASS
