#!/bin/sh
# GeoTIFF benchmark: a Deflate-compressed float32 GeoTIFF of size x size
# cells (GDAL's default strips, made by gdal_translate from the benchmark's
# ESRI ASCII grid) drawn by rastrify as a BMP, against GDAL's gdaldem
# color-relief writing a GeoTIFF with a simple colour file. The tools run in
# turn, round after round, on a warm page cache; reports the median wall
# time and peak resident memory of each and their ratio.
#
# Usage: bench/geotiff_bench.sh [runs]      (default 5)
# Environment: RASTRIFY   the converter (default build/rastrify)
#              BENCH_DIR  where the grids are kept between runs (default /tmp/rastrify-bench)
#              BENCH_SIZE columns and rows of the grid (default 4000)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
size=${BENCH_SIZE:-4000}
work=${BENCH_DIR:-/tmp/rastrify-bench}
rastrify=${RASTRIFY:-$root/build/rastrify}

"$root/tools/install_gdal.sh"
export GDAL_PAM_ENABLED=NO
mkdir -p "$work"
cd "$work"
sh "$root/bench/bench_grids.sh" "$work" "$size"
input=grid$size.tif
if [ ! -s "$input" ]; then
    gdal_translate -q -ot Float32 -co COMPRESS=DEFLATE "grid$size.asc" "$input.part.tif"
    mv "$input.part.tif" "$input"
fi
cat > colours.txt <<'COLOURS'
-400 0 0 255
0 0 255 0
400 255 0 0
nv 255 255 255
COLOURS

time_log=time.log
. "$root/bench/timing.sh"
: > runs_rastrify.log
: > runs_gdaldem.log
round() {
    timed "$rastrify" "$input" rastrify_tif.bmp >> runs_rastrify.log
    timed gdaldem color-relief -q "$input" colours.txt gdaldem_tif.tif >> runs_gdaldem.log
}
round  # warm-up
: > runs_rastrify.log
: > runs_gdaldem.log
i=0
while [ "$i" -lt "$runs" ]; do
    round
    i=$((i + 1))
done
echo "machine: $(nproc) processors; input $(du -h "$input" | cut -f1) ($size x $size float32, Deflate)"
printf '%-10s %10s %12s\n' tool "median s" "peak RSS MB"
for tool in rastrify gdaldem; do
    t=$(cut -d' ' -f1 "runs_$tool.log" | median)
    m=$(cut -d' ' -f2 "runs_$tool.log" | sort -n | tail -1)
    eval "time_$tool=$t"
    printf '%-10s %10.3f %12.1f\n' "$tool" "$t" "$(echo "$m" | awk '{ print $1 / 1024 }')"
done
awk -v a="$time_gdaldem" -v b="$time_rastrify" 'BEGIN { printf "gdaldem / rastrify: %.2f\n", a / b }'
