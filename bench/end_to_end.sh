#!/bin/sh
# End-to-end benchmark: rastrify against GDAL's gdaldem color-relief on the
# same large grids, one ESRI ASCII (about 150 MB) and one Surfer 7 copy;
# rastrify with all the machine's threads and with GRIDLIB_THREADS=1; and
# rastrify's PNG and its shaded relief (-S) against its flat BMP. The tools
# run in turn, round after round, on a warm page cache. Reports the median
# wall time of each, their ratios, the peak resident memory of each (from
# /usr/bin/time -v), and the time of a cat of the input for comparison.
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

sh "$root/bench/bench_grids.sh" "$work" "$size"
cat > ramp.txt <<'RAMP'
0% 0 0 255
25% 0 255 255
50% 0 255 0
75% 255 255 0
100% 255 0 0
nv 255 255 255
RAMP

time_log=time.log
. "$root/bench/timing.sh"

# The tools compared, run in turn round after round, so that a change in
# the machine's load falls on all of them alike. Each line: a label, then
# the command with INPUT and KIND standing for the grid and its extension.
tools() {
    cat <<'TOOLS'
rastrify|RASTRIFY INPUT rastrify_KIND.bmp
rastrify_1_thread|env GRIDLIB_THREADS=1 RASTRIFY INPUT rastrify1_KIND.bmp
rastrify_PNG|RASTRIFY INPUT rastrify_KIND.png
rastrify_-S|RASTRIFY INPUT rastrify_shaded_KIND.bmp -S
gdaldem|gdaldem color-relief -q -of BMP INPUT ramp.txt gdaldem_KIND.bmp
TOOLS
}

run_tool() { # label input kind
    command=$(tools | awk -F'|' -v l="$1" '$1 == l { print $2 }' | sed "s|RASTRIFY|$rastrify|; s|INPUT|$2|; s|KIND|$3|g")
    # shellcheck disable=SC2086
    timed $command >> "runs_$1.log"
}

echo "machine: $(nproc) processors; load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %-20s %10s %12s\n' input tool "median s" "peak RSS MB"
for input in "grid$size.asc" "grid$size.grd"; do
    kind=${input##*.}
    labels=$(tools | cut -d'|' -f1)
    for label in $labels; do : > "runs_$label.log"; done
    # One warm-up round (fills the page cache), then the timed rounds.
    for label in $labels; do run_tool "$label" "$input" "$kind"; done
    for label in $labels; do : > "runs_$label.log"; done
    i=0
    while [ "$i" -lt "$runs" ]; do
        for label in $labels; do run_tool "$label" "$input" "$kind"; done
        i=$((i + 1))
    done
    for label in $labels; do
        t=$(cut -d' ' -f1 "runs_$label.log" | median)
        m=$(cut -d' ' -f2 "runs_$label.log" | sort -n | tail -1)
        eval "time_$(echo "$label" | tr -c 'a-zA-Z0-9\n' '_')=$t"
        printf '%-10s %-20s %10.3f %12.1f\n' "$kind" "$label" "$t" "$(echo "$m" | awk '{ print $1 / 1024 }')"
    done
    ratio() { awk -v a="$2" -v b="$3" -v k="$kind" -v w="$1" 'BEGIN { printf "%-10s %s: %.2f\n", k, w, a / b }'; }
    ratio "gdaldem / rastrify" "$time_gdaldem" "$time_rastrify"
    ratio "gdaldem / rastrify with 1 thread" "$time_gdaldem" "$time_rastrify_1_thread"
    ratio "rastrify 1 thread / all threads" "$time_rastrify_1_thread" "$time_rastrify"
    ratio "rastrify PNG / BMP" "$time_rastrify_PNG" "$time_rastrify"
    ratio "rastrify -S / rastrify" "$time_rastrify__S" "$time_rastrify"
    # The floor: reading the input once, as fast as the page cache gives it.
    set -- $(timed cat "$input")
    printf '%-10s %-20s %10.3f\n' "$kind" "cat (the floor)" "$1"
done
