#!/bin/sh
# Two clean builds of the deliverables, in directories of different names,
# must give byte-identical files: no timestamps or build paths inside.
# Usage: check_reproducible.sh <source directory> <scratch directory>
set -eu
source=$1
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
for build in first-build second-build-elsewhere; do
    cmake -S "$source" -B "$scratch/$build" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >"$scratch/$build.log" 2>&1
    cmake --build "$scratch/$build" -j2 >>"$scratch/$build.log" 2>&1 || {
        cat "$scratch/$build.log"
        exit 1
    }
done
status=0
for file in uninstal.exe VANTRELL.CPL VANTRELL-LOC.DLL; do
    a="$scratch/first-build/$file"
    b="$scratch/second-build-elsewhere/$file"
    if [ ! -f "$a" ]; then
        [ "$file" = uninstal.exe ] && { echo "FAIL: $file was not built"; status=1; }
        continue
    fi
    if cmp -s "$a" "$b"; then
        echo "$file: identical ($(md5sum <"$a" | cut -c1-32))"
    else
        echo "FAIL: $file differs between the two builds"
        status=1
    fi
done
rm -rf "$scratch"
exit $status
