#!/bin/sh
# Writes the grids under tests/data/placed/: small grids at projected
# coordinates (UTM northings near 5e6, Web Mercator eastings near -1.3e7)
# with cells of 0.3 m to 30 m, where a 32-bit real is a metre or more off,
# in every format whose header keeps more digits than that. GDAL writes the
# Surfer, ER Mapper and non-square ESRI ASCII files; those GDAL cannot
# write (GXF, ESRI ASCII with a centre origin) are written here by hand.
# geotransforms.txt records the geotransform GDAL, software written
# independently of ours, reads from each: tests/image/world_file_test.cpp
# checks ours against it. The files are committed; run this again only to
# remake them.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/tests/data/placed"
"$root/tools/install_gdal.sh"
export GDAL_PAM_ENABLED=NO   # no .aux.xml side files

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

cat > "$work/values.asc" <<'GRID'
ncols 7
nrows 5
xllcorner 0
yllcorner 0
cellsize 1
NODATA_value -9999
 12.5 -3.25 7 1034.75 88.125 -0.5 3
 44 45.5 -9999 47.25 0.001 -120 6.5
 9 8 7 6 5 4 3
 1 2 3 4 5 6 7
 -1 -2 -3 -4 -5 -6 -7
GRID

# gdal_translate FORMAT NAME WEST NORTH WIDTH HEIGHT: the values placed with
# 7 x 5 cells of WIDTH x HEIGHT from the north-western corner (WEST, NORTH).
translate() {
    east=$(python3 -c "print(repr($3 + 7 * $5))")
    south=$(python3 -c "print(repr($4 - 5 * $6))")
    gdal_translate -q -of "$1" -ot Float32 -a_ullr "$3" "$4" "$east" "$south" "$work/values.asc" "$out/$2"
}
translate GSBG utm_surfer6.grd 512345.67 5123458.28 0.3 0.3
translate GS7BG mercator_surfer7.grd -13623456.7 4545828.85 30 30
translate ERS mercator_ers.ers -13623456.7 4545680.35 0.3 0.3
translate ERS utm_ers.ers 512345.67 5123471.78 2.5 2.5
# Cells that are not square: GDAL writes DX and DY instead of CELLSIZE.
translate AAIGrid mercator_dx_dy.asc -13623456.7 4545680.6 0.3 0.35
rm -f "$out"/*.prj
# A registration point that is not the north-western corner: the corner of
# cell (2, 3), counted from the north-west in cells.
sed -i 's/^\(\t*\)RegistrationCoord Begin/\1RegistrationCellX\t= 2\n\1RegistrationCellY\t= 3\n&/' "$out/utm_ers.ers"

# The case users reported: a corner origin a whole cell off in 32-bit reals.
cat > "$out/mercator_corner.asc" <<'GRID'
ncols 7
nrows 5
xllcorner -13623456.7
yllcorner 4545678.85
cellsize 0.3
NODATA_value -9999
1 2 3 4 5 6 7
8 9 10 11 12 13 14
15 16 -9999 18 19 20 21
22 23 24 25 26 27 28
29 30 31 32 33 34 35
GRID
cat > "$out/utm_centre.asc" <<'GRID'
ncols 7
nrows 5
xllcenter 512345.82
yllcenter 5123456.93
cellsize 0.3
NODATA_value -9999
1 2 3 4 5 6 7
8 9 10 11 12 13 14
15 16 -9999 18 19 20 21
22 23 24 25 26 27 28
29 30 31 32 33 34 35
GRID
# Rows from the south (sense 1), the origin the south-western node.
cat > "$out/utm_nodes.gxf" <<'GRID'
#POINTS
7
#ROWS
5
#PTSEPARATION
0.3
#RWSEPARATION
0.45
#XORIGIN
512345.67
#YORIGIN
5123456.78
#SENSE
1
#DUMMY
-99999
#GRID
1 2 3 4 5 6 7
8 9 10 11 12 13 14
15 16 -99999 18 19 20 21
22 23 24 25 26 27 28
29 30 31 32 33 34 35
GRID

{
    echo "# file, then GDAL's geotransform: west edge, pixel width, 0, north edge, 0, -pixel height"
    for f in mercator_corner.asc utm_centre.asc mercator_dx_dy.asc utm_nodes.gxf mercator_ers.ers utm_ers.ers \
             utm_surfer6.grd mercator_surfer7.grd; do
        gdalinfo -json "$out/$f" |
            python3 -c 'import json, sys; print(sys.argv[1], *map(repr, json.load(sys.stdin)["geoTransform"]))' "$f"
    done
} > "$out/geotransforms.txt"
rm -f "$out"/*.aux.xml
cat "$out/geotransforms.txt"
