#!/bin/sh
# Makes the benchmark grids when they are missing: an ESRI ASCII grid of
# size x size cells in <dir>/grid<size>.asc and its Surfer 7 copy (written
# by GDAL) in <dir>/grid<size>.grd. A smooth surface with ridges, a trend
# and a block of null cells, so that the histogram and the colour ramp have
# work to do.
#
# Usage: bench/bench_grids.sh <dir> <size>
set -eu
dir=$1
size=$2
mkdir -p "$dir"
cd "$dir"
if [ ! -s "grid$size.asc" ]; then
    echo "making a $size x $size ESRI ASCII grid ..." >&2
    awk -v n="$size" 'BEGIN {
        printf "ncols %d\nnrows %d\nxllcorner 500000\nyllcorner 6000000\ncellsize 25\nNODATA_value -9999\n", n, n
        for (r = 0; r < n; r++) {
            for (c = 0; c < n; c++) {
                if (r > n / 3 && r < n / 3 + 40 && c > n / 2 && c < n / 2 + 60) v = -9999
                else v = 350 * sin(c / 97.0) * cos(r / 131.0) + 0.05 * (r + c) + 40 * sin((r * c) / 50000.0)
                printf(c ? " %.4f" : "%.4f", v)
            }
            printf "\n"
        }
    }' > "grid$size.asc.part"
    mv "grid$size.asc.part" "grid$size.asc"
fi
if [ ! -s "grid$size.grd" ]; then
    echo "making its Surfer 7 copy ..." >&2
    gdal_translate -q -of GS7BG "grid$size.asc" "grid$size.grd"
fi
