#!/bin/sh
# Makes the real elevation grid under tests/data/relief/ and GDAL's hillshade
# of it, against which the shaded relief's brightness is checked
# (tests/app/shaded_relief_test.cpp).
#
# The elevations are a 128 x 128 cut of the USGS elevation model of the
# Jacksboro fault, Tennessee (3 arc-seconds, metres), which matplotlib ships
# as sample data in Debian's python-matplotlib-data package. The cut is
# written as an ESRI ASCII grid with square 90 m cells (the model's spacing,
# rounded), and `gdaldem hillshade -az 315 -alt 45` shades that very file:
# one byte per cell, northern row first, 0 on the border ring that gdaldem
# leaves without a value. The files are committed; run this again only to
# remake them (it needs root for apt-get and GDAL, and /usr/bin/python3).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/tests/data/relief"
"$root/tools/install_gdal.sh"
export GDAL_PAM_ENABLED=NO   # no .aux.xml side files

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

(cd "$work" && apt-get download python-matplotlib-data >/dev/null 2>&1 ||
    { apt-get update >/dev/null && apt-get download python-matplotlib-data >/dev/null; })
dpkg -x "$work"/python-matplotlib-data_*.deb "$work/package"
dem=$(find "$work/package" -name jacksboro_fault_dem.npz)

# The .npz file is a zip of .npy arrays; the standard library reads both.
/usr/bin/python3 - "$dem" "$out/jacksboro.asc" <<'PYTHON'
import ast, struct, sys, zipfile

with zipfile.ZipFile(sys.argv[1]) as z:
    data = z.read('elevation.npy')
header_length = struct.unpack_from('<H', data, 8)[0]
header = ast.literal_eval(data[10:10 + header_length].decode('latin1'))
assert header['descr'] == '<i2' and not header['fortran_order'], header
rows, columns = header['shape']
values = struct.unpack_from('<%dh' % (rows * columns), data, 10 + header_length)

top, left, size = 96, 96, 128
with open(sys.argv[2], 'w') as f:
    f.write('ncols %d\nnrows %d\nxllcorner 0\nyllcorner 0\ncellsize 90\nNODATA_value -9999\n' % (size, size))
    for r in range(top, top + size):
        f.write(' '.join(str(values[r * columns + c]) for c in range(left, left + size)) + '\n')
PYTHON

gdaldem hillshade -q -az 315 -alt 45 -of EHdr "$out/jacksboro.asc" "$work/hillshade.bil"
cp "$work/hillshade.bil" "$out/jacksboro.hillshade"
