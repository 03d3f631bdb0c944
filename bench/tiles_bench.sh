#!/bin/sh
# Tile pyramid benchmark: a 16000 x 16000 Surfer 7 grid (about 2 GB; the
# 4000 x 4000 benchmark grid tiled 4 x 4 times, as bench/scale.sh makes it)
# to a full pyramid of 256 x 256 tiles by rastrify -T, against GDAL's way:
# gdaldem color-relief to a GeoTIFF, then gdal2tiles.py -p raster on two
# processes. Each tool runs once after a warm-up read of the grid; reports
# the wall time and peak resident memory of each step, their ratio, and the
# tile count of each pyramid.
#
# Usage: bench/tiles_bench.sh
# Environment: RASTRIFY   the converter (default build/rastrify)
#              BENCH_DIR  where the small grids are kept (default /tmp/rastrify-bench)
#              BENCH_SIZE columns and rows, a multiple of 4000 (default 16000)
#              TMPDIR     where the temporary folder goes (default /tmp); it
#                         needs about 5 GB
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
small_dir=${BENCH_DIR:-/tmp/rastrify-bench}
rastrify=${RASTRIFY:-$root/build/rastrify}
size=${BENCH_SIZE:-16000}
k=$((size / 4000))

"$root/tools/install_gdal.sh"
sh "$root/bench/bench_grids.sh" "$small_dir" 4000
tmp=$(mktemp -d "${TMPDIR:-/tmp}/rastrify-tiles.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP

echo "making the $size x $size Surfer 7 grid in $tmp ..." >&2
python3 "$root/bench/tile_surfer7.py" "$small_dir/grid4000.grd" "$tmp/grid.grd" "$k"
cat > "$tmp/colours.txt" <<'COLOURS'
-400 0 0 255
0 0 255 0
400 255 0 0
nv 0 0 0 0
COLOURS

time_log="$tmp/time.log"
. "$root/bench/timing.sh"
cat "$tmp/grid.grd" > /dev/null  # the page cache warm for both
export GDAL_PAM_ENABLED=NO
set -- $(timed "$rastrify" "$tmp/grid.grd" "$tmp/rastrify_tiles" -T)
rastrify_s=$1 rastrify_kb=$2
set -- $(timed gdaldem color-relief -q -alpha "$tmp/grid.grd" "$tmp/colours.txt" "$tmp/relief.tif")
relief_s=$1 relief_kb=$2
rm -f "$tmp/grid.grd"
set -- $(timed gdal2tiles.py -q -p raster --processes=2 "$tmp/relief.tif" "$tmp/gdal_tiles")
tiles_s=$1 tiles_kb=$2
rastrify_tiles=$(find "$tmp/rastrify_tiles/tiles" -name '*.png' | wc -l)
gdal_tiles=$(find "$tmp/gdal_tiles" -name '*.png' | wc -l)

echo "machine: $(nproc) processors; $size x $size Surfer 7 grid"
awk -v rs="$rastrify_s" -v rk="$rastrify_kb" -v cs="$relief_s" -v ck="$relief_kb" -v ts="$tiles_s" -v tk="$tiles_kb" \
    -v rn="$rastrify_tiles" -v gn="$gdal_tiles" 'BEGIN {
    printf "%-28s %10s %12s %8s\n", "step", "wall s", "peak RSS MB", "tiles"
    printf "%-28s %10.2f %12.1f %8d\n", "rastrify -T", rs, rk / 1024, rn
    printf "%-28s %10.2f %12.1f\n", "gdaldem color-relief", cs, ck / 1024
    printf "%-28s %10.2f %12.1f %8d\n", "gdal2tiles.py --processes=2", ts, tk / 1024, gn
    printf "GDAL pair / rastrify: %.1f times the time\n", (cs + ts) / rs
}'
