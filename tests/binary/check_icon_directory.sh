#!/bin/sh
# The applet's icon directory under id 100 must describe its images exactly
# as the directory the resource compiler made from vantrell.ico for
# QVP_ICON does: same images, sizes, colours and byte counts. A wrong byte
# count makes the platform read past an image or cut it short.
# Usage: check_icon_directory.sh <windres> <VANTRELL.CPL or resource object>
set -eu
windres=$1
file=$2
[ -f "$file" ] || { echo "FAIL: $file missing"; exit 1; }
resources=$("$windres" -i "$file" -J coff -O rc) || { echo "FAIL: $windres cannot read $file"; exit 1; }

# directory <name as windres prints it>: the body of that icon directory.
directory() {
    printf '%s\n' "$resources" | awk -v name="$1" '
        $1 == name && $2 == "14" { on = 1; next }
        on && $1 == "END" { exit }
        on && $1 != "BEGIN" { print }'
}

reference=$(directory '"QVP_ICON"')
applet=$(directory 100)
[ -n "$reference" ] || { echo "FAIL: $file: no icon directory QVP_ICON"; exit 1; }
[ -n "$applet" ] || { echo "FAIL: $file: no icon directory 100"; exit 1; }
if [ "$reference" != "$applet" ]; then
    echo "FAIL: $file: the icon directory 100 differs from the one made from the icon file (QVP_ICON)"
    echo "QVP_ICON:"
    printf '%s\n' "$reference"
    echo "100:"
    printf '%s\n' "$applet"
    exit 1
fi
echo "$(basename "$file"): icon directory 100 matches the icon file ($(printf '%s\n' "$applet" | grep -c 'Element no') images)"
echo PASS
