#!/bin/sh
# The icon directory check must refuse a directory whose byte counts are not
# the icon file's, and the generated directory must follow a redrawn icon.
# Resource objects made here from small scripts stand for the applet.
# Usage: check_icon_directory_selftest.sh <windres> <source directory> <scratch directory>
set -eu
windres=$1
source=$2
scratch=$3
check="$source/tests/binary/check_icon_directory.sh"
generate="$source/cmake/icon_directory.cmake"
failures=0
rm -rf "$scratch"
mkdir -p "$scratch"

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# object <name> <icon file> <directory script>: a resource object with the
# icon as QVP_ICON and the given script for id 100.
object() {
    {
        echo "QVP_ICON ICON \"$2\""
        cat "$3"
    } >"$scratch/$1.rc"
    "$windres" -O coff -I "$scratch" "$scratch/$1.rc" "$scratch/$1.o"
}

generated() {
    cmake -DICON="$1" -DNAME=100 -DFIRST_IMAGE=1 -DOUTPUT="$2" -P "$generate"
}

# The six images as restated by hand before, one byte count off by 4.
cat >"$scratch/wrong-size.dir" <<'EOF'
100 14
BEGIN
    0, 1, 6,
    0x2020, 16, 1, 4, 744L, 1,
    0x1010, 16, 1, 4, 296L, 2,
    0x3030, 16, 1, 4, 1640L, 3,
    0x2020, 0, 1, 24, 3244L, 4,
    0x1010, 0, 1, 24, 872L, 5,
    0x3030, 0, 1, 24, 7336L, 6
END
EOF
object wrong-size "$source/applet/vantrell.ico" "$scratch/wrong-size.dir"
if sh "$check" "$windres" "$scratch/wrong-size.o" >"$scratch/wrong-size.log"; then
    fail "a byte count off by 4 was not noticed"
fi
grep -q 'differs' "$scratch/wrong-size.log" || fail "the report does not say what differs: $(cat "$scratch/wrong-size.log")"

# The applet's icon and its generated directory.
generated "$source/applet/vantrell.ico" "$scratch/applet.dir"
object applet "$source/applet/vantrell.ico" "$scratch/applet.dir"
sh "$check" "$windres" "$scratch/applet.o" >"$scratch/applet.log" ||
    fail "the directory generated from vantrell.ico was refused: $(cat "$scratch/applet.log")"

# A redrawn icon (here the uninstaller's: two images of other sizes): the
# directory restated for the old drawing no longer fits, the generated one
# does.
sed 's/ 3244L/ 3240L/' "$scratch/wrong-size.dir" >"$scratch/old-drawing.dir"
object stale "$source/uninstaller/uninstal.ico" "$scratch/old-drawing.dir"
if sh "$check" "$windres" "$scratch/stale.o" >"$scratch/stale.log"; then
    fail "the old drawing's directory passed with a redrawn icon"
fi
generated "$source/uninstaller/uninstal.ico" "$scratch/redrawn.dir"
grep -q '^    0, 1, 2,$' "$scratch/redrawn.dir" || fail "the directory of the redrawn icon does not list its two images"
object redrawn "$source/uninstaller/uninstal.ico" "$scratch/redrawn.dir"
sh "$check" "$windres" "$scratch/redrawn.o" >"$scratch/redrawn.log" ||
    fail "the directory generated from the redrawn icon was refused: $(cat "$scratch/redrawn.log")"

# An icon file cut short is refused rather than described.
head -c 4000 "$source/applet/vantrell.ico" >"$scratch/cut.ico"
if generated "$scratch/cut.ico" "$scratch/cut.dir" >"$scratch/cut.log" 2>&1; then
    fail "a cut icon file gave a directory"
fi

[ "$failures" -eq 0 ] || exit 1
rm -rf "$scratch"
echo PASS
