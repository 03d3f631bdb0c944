#!/bin/sh
# Makes the small sample grids under tests/data/gdal/ with GDAL, software
# written independently of ours, together with the values GDAL itself reads
# back from each file (an ESRI ASCII grid per sample, "<name>.expected.asc").
# tests/grid/gdal_samples_test.cpp checks that we read the same numbers, and
# tests/formats/gdal_byte_images_test.cpp the same bytes.
# The samples are committed; run this again only to remake them.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/tests/data/gdal"
"$root/tools/install_gdal.sh"
export GDAL_PAM_ENABLED=NO   # no .aux.xml side files

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# 7 x 5 cells, one null, values of mixed sign and size. Cells are 25 wide and
# 30 high so that swapped spacings show; the west edge is not a whole number.
cat > "$work/real.asc" <<'GRID'
ncols 7
nrows 5
xllcorner 0
yllcorner 0
cellsize 1
NODATA_value -9999
 12.5 -3.25 7 1034.75 88.125 -0.5 3
 44 45.5 -9999 47.25 0.001 -120 6.5
 9 8 7 6 5 4 3
 -1 -2.5 -3.75 250 500.5 1000 2000.25
 0.125 333 -444.5 55.5 66 77.75 88
GRID
# The same shape with whole numbers for the integer cell type.
cat > "$work/whole.asc" <<'GRID'
ncols 7
nrows 5
xllcorner 0
yllcorner 0
cellsize 1
NODATA_value -9999
 12 -3 7 1034 88 -1 3
 44 45 -9999 47 0 -120 6
 9 8 7 6 5 4 3
 -1 -2 -32000 250 500 1000 32000
 1 333 -444 55 66 77 88
GRID
# Unsigned 16-bit values, many beyond the signed range.
cat > "$work/unsigned.asc" <<'GRID'
ncols 7
nrows 5
xllcorner 0
yllcorner 0
cellsize 1
NODATA_value 65535
 12 40000 7 1034 88 65534 3
 44 45 65535 47 0 32768 6
 9 8 7 6 5 4 3
 1 2 32767 250 500 1000 60000
 1 333 444 55 66 77 88
GRID
bounds="-a_ullr 1000.5 2150 1175.5 2000"

make() { # driver, source, name, extra options
    driver=$1 source=$2 name=$3
    shift 3
    gdal_translate -q -of "$driver" $bounds "$@" "$work/$source" "$out/$name"
    gdal_translate -q -of AAIGrid "$out/$name" "$work/expected.asc" 2>/dev/null
    # AAIGrid writes dx/dy for these cells; the warning about that is expected.
    base=${name%.*}
    cp "$work/expected.asc" "$out/$base.expected.asc"
}

make GSBG real.asc surfer6.grd
make GS7BG real.asc surfer7.grd
make ERS real.asc ers_float32.ers
make ERS real.asc ers_float64.ers -ot Float64
make ERS whole.asc ers_int16.ers -ot Int16
# Byte images of 13 x 7 cells and three bands, each band's values running
# over 0..255 differently: PCIDSK with pixel and with band interleaving, and
# a BIL with its ".hdr". For each, "<name>.expected.raw" holds the bytes GDAL
# reads from it, band after band, each band's rows from the top (ENVI's
# band-sequential layout, its header dropped).
for b in 1 2 3; do
    awk -v b="$b" 'BEGIN {
        print "ncols 13"; print "nrows 7"; print "xllcorner 0"; print "yllcorner 0"; print "cellsize 1"
        for (r = 0; r < 7; r++) {
            line = ""
            for (c = 0; c < 13; c++) line = line " " (b * 80 + c * 17 + r * 29 + (c * r) % 7) % 256
            print line
        }
    }' > "$work/band$b.asc"
done
gdalbuildvrt -q -separate "$work/bands.vrt" "$work/band1.asc" "$work/band2.asc" "$work/band3.asc"

byte_image() { # driver, name, extra options
    driver=$1 name=$2
    shift 2
    gdal_translate -q -of "$driver" -ot Byte -a_ullr 1000 2070 1130 2000 "$@" "$work/bands.vrt" "$out/$name"
    gdal_translate -q -of ENVI -co INTERLEAVE=BSQ "$out/$name" "$work/expected.raw"
    cp "$work/expected.raw" "$out/${name%.*}.expected.raw"
}

byte_image PCIDSK pcidsk_pixel.pix -co INTERLEAVING=PIXEL
byte_image PCIDSK pcidsk_band.pix -co INTERLEAVING=BAND
byte_image EHdr ehdr.bil
make ERS unsigned.asc ers_uint16.ers -ot UInt16
rm -f "$out"/*.prj "$out"/*.aux.xml "$out"/*.stx
ls -l "$out"
