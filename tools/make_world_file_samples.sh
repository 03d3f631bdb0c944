#!/bin/sh
# Writes the grids under tests/data/gdal/ whose coordinates name different
# points of a cell (ESRI ASCII with a corner and with a centre origin, GXF
# with its grid nodes), and records in tests/data/gdal/geotransforms.txt the
# geotransform GDAL, software written independently of ours, reads from
# each of them and from the GDAL samples of tools/make_gdal_samples.sh. The
# world file tests check that every pixel centre of an image lands where
# GDAL places the centre of the cell it shows.
# The files are committed; run this again only to remake them.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/tests/data/gdal"
"$root/tools/install_gdal.sh"
export GDAL_PAM_ENABLED=NO   # no .aux.xml side files

cat > "$out/esri_corner.asc" <<'GRID'
ncols 7
nrows 5
xllcorner 1000.5
yllcorner 2000
cellsize 25
NODATA_value -9999
1 2 3 4 5 6 7
8 9 10 11 12 13 14
15 16 -9999 18 19 20 21
22 23 24 25 26 27 28
29 30 31 32 33 34 35
GRID
cat > "$out/esri_centre.asc" <<'GRID'
ncols 6
nrows 4
xllcenter 3010.25
yllcenter -150.5
cellsize 0.5
NODATA_value -9999
1 2 3 4 5 6
7 8 9 10 11 12
13 14 15 16 17 -9999
19 20 21 22 23 24
GRID
# Rows from the south (sense 1), the origin the south-western node.
cat > "$out/gxf_nodes.gxf" <<'GRID'
#POINTS
5
#ROWS
4
#PTSEPARATION
10
#RWSEPARATION
20
#XORIGIN
500.5
#YORIGIN
300
#SENSE
1
#DUMMY
-99999
#GRID
1 2 3 4 5
6 7 -99999 9 10
11 12 13 14 15
16 17 18 19 20
GRID

{
    echo "# file, then GDAL's geotransform: west edge, pixel width, 0, north edge, 0, -pixel height"
    for f in esri_corner.asc esri_centre.asc gxf_nodes.gxf surfer6.grd surfer7.grd ers_float32.ers ehdr.bil; do
        gdalinfo -json "$out/$f" |
            python3 -c 'import json, sys; print(sys.argv[1], *json.load(sys.stdin)["geoTransform"])' "$f"
    done
} > "$out/geotransforms.txt"
rm -f "$out"/*.aux.xml
cat "$out/geotransforms.txt"
