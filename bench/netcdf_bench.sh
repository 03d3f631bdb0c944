#!/bin/sh
# netCDF-4 benchmark: a Deflate-compressed float32 grid of size x size cells
# (the benchmark's ESRI ASCII grid, written through GDAL's multidimensional
# API) stored twice, as one single chunk and in chunks of 512 x 512, drawn
# by rastrify as a BMP against gdal_translate writing a plain GeoTIFF. A
# grid of one chunk is the case a reader that goes row by row through
# libnetcdf's chunk cache gets wrong: each row decompresses the whole chunk
# again. The tools run in turn, round after round, on a warm page cache;
# reports the median wall time and peak resident memory of each, per file,
# and their ratio.
#
# Usage: bench/netcdf_bench.sh [runs]      (default 5)
# Environment: RASTRIFY   the converter (default build/rastrify)
#              BENCH_DIR  where the grids are kept between runs (default /tmp/rastrify-bench)
#              BENCH_SIZE columns and rows of the grid (default 4500)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
size=${BENCH_SIZE:-4500}
work=${BENCH_DIR:-/tmp/rastrify-bench}
rastrify=${RASTRIFY:-$root/build/rastrify}

"$root/tools/install_gdal.sh"
export GDAL_PAM_ENABLED=NO
mkdir -p "$work"
cd "$work"
sh "$root/bench/bench_grids.sh" "$work" "$size"

# grid<size>_<layout>.nc: chunks of rows x columns, 0 for the whole grid.
make_netcdf() {
    out=grid${size}_$1.nc
    [ -s "$out" ] && return 0
    echo "making $out ..." >&2
    /usr/bin/python3 - "grid$size.asc" "$out.part" "$2" <<'PYTHON'
import sys
from osgeo import gdal
gdal.UseExceptions()
source, out, chunk = sys.argv[1], sys.argv[2], int(sys.argv[3])
band = gdal.Open(source)
gt = band.GetGeoTransform()
columns, rows = band.RasterXSize, band.RasterYSize
values = band.GetRasterBand(1).ReadAsArray()
nodata = band.GetRasterBand(1).GetNoDataValue()
netcdf = gdal.GetDriverByName('netCDF').CreateMultiDimensional(out, [], ['FORMAT=NC4'])
group = netcdf.GetRootGroup()
real64 = gdal.ExtendedDataType.Create(gdal.GDT_Float64)
y = group.CreateDimension('y', None, None, rows)
x = group.CreateDimension('x', None, None, columns)
for name, dim, first, step, count in (('y', y, gt[3] + gt[5] / 2, gt[5], rows), ('x', x, gt[0] + gt[1] / 2, gt[1], columns)):
    axis = group.CreateMDArray(name, [dim], real64)
    axis.Write([first + k * step for k in range(count)])
blocks = '%d,%d' % ((chunk, chunk) if chunk else (rows, columns))
z = group.CreateMDArray('z', [y, x], gdal.ExtendedDataType.Create(gdal.GDT_Float32),
                        ['BLOCKSIZE=' + blocks, 'COMPRESS=DEFLATE', 'ZLEVEL=4'])
z.SetNoDataValueDouble(nodata)
z.Write(values)
PYTHON
    mv "$out.part" "$out"
}
make_netcdf one_chunk 0
make_netcdf chunks_512 512

time_log=time.log
. "$root/bench/timing.sh"
echo "machine: $(nproc) processors; $size x $size float32, Deflate"
printf '%-32s %-9s %10s %12s\n' file tool "median s" "peak RSS MB"
for layout in one_chunk chunks_512; do
    input=grid${size}_$layout.nc
    : > "runs_rastrify_$layout.log"
    : > "runs_gdal_$layout.log"
    round() {
        timed "$rastrify" "$input" "rastrify_$layout.bmp" >> "runs_rastrify_$layout.log"
        timed gdal_translate -q "$input" "gdal_$layout.tif" >> "runs_gdal_$layout.log"
    }
    round  # warm-up
    : > "runs_rastrify_$layout.log"
    : > "runs_gdal_$layout.log"
    i=0
    while [ "$i" -lt "$runs" ]; do
        round
        i=$((i + 1))
    done
    for tool in rastrify gdal; do
        t=$(cut -d' ' -f1 "runs_${tool}_$layout.log" | median)
        m=$(cut -d' ' -f2 "runs_${tool}_$layout.log" | sort -n | tail -1)
        eval "time_$tool=$t"
        printf '%-32s %-9s %10.3f %12.1f\n' "$input ($(du -h "$input" | cut -f1))" "$tool" "$t" \
            "$(echo "$m" | awk '{ print $1 / 1024 }')"
    done
    awk -v a="$time_gdal" -v b="$time_rastrify" 'BEGIN { printf "gdal_translate / rastrify: %.2f\n", a / b }'
done
