#!/bin/sh
# Makes the small netCDF grids under tests/data/netcdf/ with GMT and GDAL,
# software written independently of ours, and beside each "<name>.gdal.txt":
# what GDAL reads from it (size, geotransform, then the values row by row,
# northern row first, scaled, "nan" for a null cell), so that
# tests/formats/netcdf/ compares our reading with GDAL's without GDAL.
# The files are committed; run this again only to remake them (needs gmt,
# gdal_translate and GDAL's Python bindings, /usr/bin/python3-gdal).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/tests/data/netcdf"
"$root/tools/install_gdal.sh"
export GDAL_PAM_ENABLED=NO   # no .aux.xml side files
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# GMT, COARDS: x and y increasing, z a float with NaN for null cells. The
# cells are not square and the extent not whole, so that swapped spacings
# and half-cell slips show; value = x + 10 y, with one cell made null.
gmt grdmath -R-10/-7/20/21 -I0.5/0.25 X Y 10 MUL ADD 0.5 MUL 100 NAN = "gmt_gridline.grd"
gmt grdmath -R-10/-7/20/21 -I0.5/0.25 -r X Y 10 MUL ADD 0.5 MUL = "gmt_pixel.nc"
# Stored as 16-bit integers with a scale, an offset and a fill value.
gmt grdmath -R0/5/0/3 -I1 X Y 10 MUL ADD 0.5 MUL 100 ADD 105 NAN = "gmt_packed.nc=ns+s0.01+o100+n-32768"
# netCDF-4, compressed (GMT deflates its netCDF-4 grids).
gmt grdmath -R0/39/0/29 -I1 X 7 MUL Y 3 MUL SUB = "gmt_netcdf4.nc=nf" --IO_NC4_CHUNK_SIZE=16 --IO_NC4_DEFLATION_LEVEL=5

# GDAL, CF longitude/latitude: y decreasing, the northern row stored first,
# 16-bit integers with a fill value.
cat > source.asc <<'GRID'
ncols 5
nrows 4
xllcorner 30.25
yllcorner -12.5
cellsize 0.125
NODATA_value -9999
1 2 3 4 5
6 -9999 8 9 10
11 12 13 14 15
16 17 18 19 -9999
GRID
gdal_translate -q -of netCDF -a_srs EPSG:4326 -ot Int16 -a_nodata -9999 -co WRITE_BOTTOMUP=NO \
    source.asc "cf_north_first.nc"
# Two variables (GDAL writes each band as one, Band1 and Band2), for a
# selection "cf_two_variables.nc?Band2"; netCDF-4 classic model, deflated.
gdal_calc.py --quiet -A source.asc --calc="A*2+1" --NoDataValue=-9999 --outfile=doubled.tif >/dev/null
gdalbuildvrt -q -separate two.vrt source.asc doubled.tif
gdal_translate -q -of netCDF -a_srs EPSG:4326 -co FORMAT=NC4C -co COMPRESS=DEFLATE two.vrt \
    "cf_two_variables.nc"

mv ./*.nc ./*.grd "$out"
/usr/bin/python3 - "$out" <<'PYTHON'
import math
import os
import sys
from osgeo import gdal

gdal.UseExceptions()
out = sys.argv[1]
samples = {
    "gmt_gridline.grd": "gmt_gridline.grd",
    "gmt_pixel.nc": "gmt_pixel.nc",
    "gmt_packed.nc": "gmt_packed.nc",
    "gmt_netcdf4.nc": "gmt_netcdf4.nc",
    "cf_north_first.nc": "cf_north_first.nc",
    "cf_two_variables.nc": 'NETCDF:"cf_two_variables.nc":Band1',
    "cf_two_variables.nc?Band2": 'NETCDF:"cf_two_variables.nc":Band2',
}
os.chdir(out)
for name, source in samples.items():
    ds = gdal.Open(source)
    band = ds.GetRasterBand(1)
    nodata = band.GetNoDataValue()
    scale = band.GetScale() or 1.0
    offset = band.GetOffset() or 0.0
    values = band.ReadAsArray().astype("float64")
    lines = ["%d %d" % (ds.RasterXSize, ds.RasterYSize), " ".join(repr(v) for v in ds.GetGeoTransform())]
    for row in values:
        cells = []
        for v in row:
            null = math.isnan(v) or (nodata is not None and v == nodata)
            cells.append("nan" if null else repr(float(v * scale + offset)))
        lines.append(" ".join(cells))
    with open(name.replace("?", "-") + ".gdal.txt", "w") as f:
        f.write("\n".join(lines) + "\n")
PYTHON
ls -l "$out"
