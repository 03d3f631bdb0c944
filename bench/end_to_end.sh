#!/bin/sh
# End-to-end benchmark: rastrify against GDAL's gdaldem color-relief on the
# same large grids, one ESRI ASCII (about 150 MB) and one Surfer 7 copy, and
# rastrify's PNG and its shaded relief (-S) against its flat BMP. Reports
# the median wall time of several warm-cache runs of each, their ratios, and
# the peak resident memory of each (from /usr/bin/time -v).
#
# Usage: bench/end_to_end.sh [runs]      (default 5)
# Environment: RASTRIFY   the converter (default build/rastrify, built when missing)
#              BENCH_DIR  where the grids are kept between runs (default /tmp/rastrify-bench)
#              BENCH_SIZE columns and rows of the grid (default 4000)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
size=${BENCH_SIZE:-4000}
work=${BENCH_DIR:-/tmp/rastrify-bench}
rastrify=${RASTRIFY:-$root/build/rastrify}

"$root/tools/install_gdal.sh"
export GDAL_PAM_ENABLED=NO   # no .aux.xml side files, and no statistics cached between runs
if [ ! -x "$rastrify" ]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DGRIDLIB_TESTS=OFF >/dev/null
    cmake --build "$root/build" -j2 --target rastrify >/dev/null
    rastrify=$root/build/rastrify
fi
mkdir -p "$work"
cd "$work"

# A smooth surface with ridges, a trend and a block of null cells, so that
# the histogram and the colour ramp have work to do.
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
cat > ramp.txt <<'RAMP'
0% 0 0 255
25% 0 255 255
50% 0 255 0
75% 255 255 0
100% 255 0 0
nv 255 255 255
RAMP

# Runs a command under /usr/bin/time -v and prints "seconds kilobytes".
timed() {
    /usr/bin/time -v -o time.log "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; cat time.log >&2; exit 1; }
    awk -F': ' '
        /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i] }
        /Maximum resident set size/ { kb = $2 }
        END { printf "%.3f %d\n", s, kb }' time.log
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One warm-up run (fills the page cache), then the timed runs.
bench() { # label, command...
    label=$1
    shift
    timed "$@" >/dev/null
    : > runs.log
    i=0
    while [ "$i" -lt "$runs" ]; do
        timed "$@" >> runs.log
        i=$((i + 1))
    done
    t=$(cut -d' ' -f1 runs.log | median)
    m=$(cut -d' ' -f2 runs.log | sort -n | tail -1)
    echo "$label $t $m"
}

printf '%-10s %-12s %12s %14s\n' input tool "median s" "peak RSS MB"
for input in "grid$size.asc" "grid$size.grd"; do
    kind=${input##*.}
    # Assignments, so that a failing run stops the script.
    result=$(bench rastrify "$rastrify" "$input" "rastrify_$kind.bmp")
    set -- $result
    r_time=$2 r_mem=$3
    result=$(bench rastrify "$rastrify" "$input" "rastrify_$kind.png")
    set -- $result
    p_time=$2 p_mem=$3
    result=$(bench gdaldem gdaldem color-relief -q -of BMP "$input" ramp.txt "gdaldem_$kind.bmp")
    set -- $result
    g_time=$2 g_mem=$3
    result=$(bench shaded "$rastrify" "$input" "rastrify_shaded_$kind.bmp" -S)
    set -- $result
    s_time=$2 s_mem=$3
    row() { printf '%-10s %-12s %12.3f %14.1f\n' "$kind" "$1" "$2" "$(echo "$3" | awk '{ print $1 / 1024 }')"; }
    row rastrify "$r_time" "$r_mem"
    row "... PNG" "$p_time" "$p_mem"
    row "rastrify -S" "$s_time" "$s_mem"
    row gdaldem "$g_time" "$g_mem"
    ratio() { awk -v a="$2" -v b="$3" -v k="$kind" -v w="$1" 'BEGIN { printf "%-10s %s time ratio: %.2f\n", k, w, a / b }'; }
    ratio "rastrify / gdaldem" "$r_time" "$g_time"
    ratio "rastrify PNG / BMP" "$p_time" "$r_time"
    ratio "rastrify -S / rastrify" "$s_time" "$r_time"
done
