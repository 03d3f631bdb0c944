#!/bin/sh
# Scale benchmark: rastrify on 16000 x 16000 grids against the 4000 x 4000
# grids of bench/end_to_end.sh. The large grids, a Surfer 7 grid (about
# 2 GB) and an ESRI ASCII grid (about 2.3 GB), are the small ones tiled
# 4 x 4 times; they are made in a temporary folder of this benchmark's own,
# beside the images and working grids of the runs, and removed with it at
# the end. Reports per format the median wall time of several warm-cache
# runs of each size, the time per cell, the peak resident memory, and the
# ratios large / small, whose aim is at most 1.2 for both.
#
# Usage: bench/scale.sh [runs]      (default 3)
# Environment: RASTRIFY   the converter (default build/rastrify)
#              BENCH_DIR  where the small grids are kept (default /tmp/rastrify-bench)
#              TMPDIR     where the temporary folder goes (default /tmp); it
#                         needs about 6 GB
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
small_dir=${BENCH_DIR:-/tmp/rastrify-bench}
rastrify=${RASTRIFY:-$root/build/rastrify}
tiles=4

"$root/tools/install_gdal.sh"
sh "$root/bench/bench_grids.sh" "$small_dir" 4000
tmp=$(mktemp -d "${TMPDIR:-/tmp}/rastrify-scale.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP

echo "making the 16000 x 16000 grids in $tmp ..." >&2
# ESRI ASCII: each row four times over, and all rows four times over.
awk -v k="$tiles" 'NR <= 2 { print $1, $2 * k; next }
    NR <= 6 { print; next }
    { line = $0; for (i = 1; i < k; i++) line = line " " $0; print line }' \
    "$small_dir/grid4000.asc" > "$tmp/rows.part"
head -6 "$tmp/rows.part" > "$tmp/grid16000.asc"
tail -n +7 "$tmp/rows.part" > "$tmp/body"
rm "$tmp/rows.part"
for i in $(seq "$tiles"); do cat "$tmp/body"; done >> "$tmp/grid16000.asc"
rm "$tmp/body"
# Surfer 7: the header with the new size, then each row four times over,
# all rows four times over.
python3 "$root/bench/tile_surfer7.py" "$small_dir/grid4000.grd" "$tmp/grid16000.grd" "$tiles"

time_log="$tmp/time.log"
. "$root/bench/timing.sh"

# Median seconds and peak kilobytes of runs of one conversion, after a
# warm-up run that fills the page cache.
measure() { # grid
    : > "$tmp/runs.log"
    timed "$rastrify" "$1" "$tmp/image.bmp" > /dev/null
    i=0
    while [ "$i" -lt "$runs" ]; do
        timed "$rastrify" "$1" "$tmp/image.bmp" >> "$tmp/runs.log"
        i=$((i + 1))
    done
    echo "$(cut -d' ' -f1 "$tmp/runs.log" | median) $(cut -d' ' -f2 "$tmp/runs.log" | sort -n | tail -1)"
}

echo "machine: $(nproc) processors; load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %-6s %10s %14s %12s\n' input size "median s" "ns per cell" "peak RSS MB"
for kind in grd asc; do
    set -- $(measure "$small_dir/grid4000.$kind")
    small_time=$1 small_kb=$2
    set -- $(measure "$tmp/grid16000.$kind")
    large_time=$1 large_kb=$2
    # The floor: reading the large input once.
    set -- $(timed cat "$tmp/grid16000.$kind")
    awk -v k="$kind" -v st="$small_time" -v sk="$small_kb" -v lt="$large_time" -v lk="$large_kb" -v c="$1" 'BEGIN {
        s = st / 16e6 * 1e9; l = lt / 256e6 * 1e9
        printf "%-6s %-6s %10.3f %14.2f %12.1f\n", k, 4000, st, s, sk / 1024
        printf "%-6s %-6s %10.3f %14.2f %12.1f\n", k, 16000, lt, l, lk / 1024
        printf "%-6s time per cell 16000 / 4000: %.2f; peak RSS 16000 / 4000: %.2f; cat of the 16000 grid: %.3f s\n",
               k, l / s, lk / sk, c
    }'
done
