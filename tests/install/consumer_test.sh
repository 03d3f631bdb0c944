#!/bin/sh
# Installs gridlib from a build tree into a temporary prefix, then builds and
# runs a small C program against it three ways: with CMake's find_package on
# the installed tree, with pkg-config on the installed tree, and with
# find_package on the build tree itself.
# Usage: consumer_test.sh <source dir> <build dir> <C compiler>
set -eu
source_dir=$1
build_dir=$2
cc=$3
here=$source_dir/tests/install
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM

cmake --install "$build_dir" --prefix "$scratch/prefix" > /dev/null
libdir=$(cd "$scratch/prefix" && ls -d lib* | head -n 1)
test -f "$scratch/prefix/include/gridlib.h"
test -x "$scratch/prefix/bin/rastrify"
test -f "$scratch/prefix/share/man/man1/rastrify.1"

run() {  # run <folder> <program>: the program writes its files in its folder
    (cd "$1" && "$2")
}

echo "find_package on the installed tree"
cmake -S "$here" -B "$scratch/cmake" -DCMAKE_C_COMPILER="$cc" -DCMAKE_PREFIX_PATH="$scratch/prefix" > /dev/null
cmake --build "$scratch/cmake" > /dev/null
run "$scratch/cmake" ./consumer

echo "pkg-config on the installed tree"
mkdir "$scratch/pc"
flags=$(PKG_CONFIG_PATH="$scratch/prefix/$libdir/pkgconfig" pkg-config --cflags --libs gridlib)
# shellcheck disable=SC2086 # the flags are words of their own
"$cc" -std=c99 -o "$scratch/pc/consumer" "$here/consumer.c" $flags -Wl,-rpath,"$scratch/prefix/$libdir"
run "$scratch/pc" ./consumer

echo "find_package on the build tree"
cmake -S "$here" -B "$scratch/tree" -DCMAKE_C_COMPILER="$cc" -Dgridlib_DIR="$build_dir" > /dev/null
cmake --build "$scratch/tree" > /dev/null
run "$scratch/tree" ./consumer

echo "the installed rastrify runs from its own tree"
"$scratch/prefix/bin/rastrify" "$scratch/cmake/consumer.asc" "$scratch/installed.bmp" < /dev/null > /dev/null
test -f "$scratch/installed.bmp"

echo "the installed Python package loads the library installed beside it"
if /usr/bin/python3 -c "import numpy" 2>/dev/null; then
    (cd "$scratch" && env -u GRIDLIB_LIBRARY PYTHONPATH="$scratch/prefix/lib/python3/dist-packages" \
        PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -c '
import os, sys, gridlib
from gridlib import _library
prefix = sys.argv[1]
assert gridlib.__file__.startswith(prefix), gridlib.__file__
assert os.path.realpath(_library.load()._name).startswith(os.path.realpath(prefix)), _library.load()._name
values, geotransform = gridlib.read("cmake/consumer.asc")
assert values.size > 0 and gridlib.version()
' "$scratch/prefix")
else
    echo "  skipped: no numpy for /usr/bin/python3"
fi
