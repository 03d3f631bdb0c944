#!/bin/sh
# Makes the small GeoTIFF samples under tests/data/geotiff/ with GDAL's
# Python bindings (python3-gdal), together with what GDAL itself reads from
# each file: "<name>.expected.txt" holds GDAL's geotransform, the size and
# the selected band's values, north row first ("null" where GDAL's nodata or
# NaN is). tests/formats/geotiff/geotiff_samples_test.cpp checks that we read
# the same. The samples are committed; run this again only to remake them.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
if ! /usr/bin/python3 -c "from osgeo import gdal" 2>/dev/null; then
    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends python3-gdal
fi
GDAL_PAM_ENABLED=NO /usr/bin/python3 - "$root/tests/data/geotiff" <<'PYTHON'
import math
import os
import struct
import sys

import numpy as np
from osgeo import gdal

gdal.UseExceptions()
out = sys.argv[1]
os.makedirs(out, exist_ok=True)
C, R = 33, 17  # odd sizes: partial tiles and a short last strip
GT = (431000.25, 12.5, 0.0, 5204000.75, 0.0, -10.0)

TYPES = {
    'u8': (gdal.GDT_Byte, 0, 255), 'i8': (gdal.GDT_Byte, -128, 127), 'u16': (gdal.GDT_UInt16, 0, 65535),
    'i16': (gdal.GDT_Int16, -32768, 32767), 'u32': (gdal.GDT_UInt32, 0, 4000000000),
    'i32': (gdal.GDT_Int32, -2000000000, 2000000000), 'f32': (gdal.GDT_Float32, None, None),
    'f64': (gdal.GDT_Float64, None, None),
}


def values(kind, band=1):
    """Every cell different, the type's extremes at two corners."""
    j, i = np.mgrid[0:R, 0:C]
    low, high = TYPES[kind][1:]
    if low is None:
        v = (i - 17.25) * 37.125 + (j * 1000.5) * math.pi * band
        if kind == 'f64':
            v = v * 1e-3 + 1e6
        return v
    v = low + ((i * 7 + j * 131 + band * 11) % (min(high - low, 4000) + 1))
    v[0, 0], v[-1, -1] = low, high
    return v


def write(name, kind, options=(), bands=1, gt=GT, nodata=None, point=False, null_cells=()):
    path = os.path.join(out, name + '.tif')
    options = list(options) + (['PIXELTYPE=SIGNEDBYTE'] if kind == 'i8' else [])
    ds = gdal.GetDriverByName('GTiff').Create(path, C, R, bands, TYPES[kind][0], options)
    if point:
        ds.SetMetadataItem('AREA_OR_POINT', 'Point')
    if gt is not None:
        ds.SetGeoTransform(gt)
    for b in range(1, bands + 1):
        v = values(kind, b)
        for (cj, ci) in null_cells:
            v[cj, ci] = nodata
        band = ds.GetRasterBand(b)
        if nodata is not None:
            band.SetNoDataValue(nodata)
        if kind == 'i8':  # GDAL 3.6 writes signed bytes through its unsigned type
            v = v.astype(np.int8).view(np.uint8)
        band.WriteArray(v)
    ds = None
    return path


def expect(path, band=1):
    """What GDAL reads: its geotransform, the size, the band's cells."""
    ds = gdal.Open(path)
    b = ds.GetRasterBand(band)
    a = b.ReadAsArray()
    if b.GetMetadataItem('PIXELTYPE', 'IMAGE_STRUCTURE') == 'SIGNEDBYTE':
        a = a.view(np.int8)
    text = (lambda x: '%.9g' % x) if b.DataType == gdal.GDT_Float32 else repr
    a = a.astype(np.float64)
    nodata = b.GetNoDataValue()
    lines = ['geotransform ' + ' '.join(repr(x) for x in ds.GetGeoTransform()),
             'size %d %d' % (ds.RasterXSize, ds.RasterYSize)]
    for row in a:
        lines.append(' '.join('null' if math.isnan(x) or (nodata is not None and x == nodata) else text(x)
                              for x in row))
    suffix = '' if band == 1 else '.band%d' % band
    with open(path[:-4] + suffix + '.expected.txt', 'w') as f:
        f.write('\n'.join(lines) + '\n')


STRIPS = ['BLOCKYSIZE=5']
TILES = ['TILED=YES', 'BLOCKXSIZE=16', 'BLOCKYSIZE=16']
for kind in TYPES:
    expect(write(kind + '_strips', kind, STRIPS))
for name, kind, options in [
        ('f32_tiles_deflate', 'f32', TILES + ['COMPRESS=DEFLATE']),
        ('f32_strips_deflate_predictor3', 'f32', STRIPS + ['COMPRESS=DEFLATE', 'PREDICTOR=3']),
        ('f64_tiles_zstd_predictor3', 'f64', TILES + ['COMPRESS=ZSTD', 'PREDICTOR=3']),
        ('i16_tiles_lzw_predictor2', 'i16', TILES + ['COMPRESS=LZW', 'PREDICTOR=2']),
        ('u32_strips_lzw_predictor2', 'u32', STRIPS + ['COMPRESS=LZW', 'PREDICTOR=2']),
        ('u8_strips_packbits', 'u8', STRIPS + ['COMPRESS=PACKBITS']),
        ('u16_one_strip_deflate', 'u16', ['BLOCKYSIZE=%d' % R, 'COMPRESS=DEFLATE']),
        ('f32_bigtiff_tiles', 'f32', TILES + ['BIGTIFF=YES', 'COMPRESS=DEFLATE']),
        ('i32_big_endian', 'i32', STRIPS + ['ENDIANNESS=BIG'])]:
    expect(write(name, kind, options))
expect(write('f32_pixel_is_point', 'f32', STRIPS, point=True))
expect(write('i16_nodata', 'i16', STRIPS, nodata=-9999, null_cells=[(0, 1), (16, 32), (11, 20)]))
expect(write('f32_nodata_lowest', 'f32', TILES, nodata=-3.4028234663852886e38, null_cells=[(3, 4)]))
expect(write('f64_nodata_nan', 'f64', STRIPS, nodata=float('nan'), null_cells=[(5, 6)]))
expect(write('u32_nodata_large', 'u32', STRIPS, nodata=4000000000, null_cells=[(7, 8)]))
for interleave in ('pixel', 'band'):
    path = write('i16_two_bands_' + interleave, 'i16', STRIPS + ['INTERLEAVE=' + interleave.upper()], bands=2)
    expect(path, 1)
    expect(path, 2)
    path = write('f32_two_band_tiles_' + interleave, 'f32', TILES + ['INTERLEAVE=' + interleave.upper()], bands=2)
    expect(path, 2)
expect(write('f32_south_up', 'f32', STRIPS, gt=(100.0, 2.0, 0.0, 200.0, 0.0, 3.0)))
expect(write('f32_no_georeference', 'f32', STRIPS, gt=None))
write('f32_rotated', 'f32', STRIPS, gt=(1000.0, 10.0, 2.0, 5000.0, 1.5, -10.0))

# Enough cells for several blocks of rows, which cut across its tiles: cell
# (row, column) holds (column + 7 row) mod 30000, which the predictor and
# Deflate keep small.
ds = gdal.GetDriverByName('GTiff').Create(os.path.join(out, 'i16_many_tiles.tif'), 300, 300, 1, gdal.GDT_Int16,
                                          ['TILED=YES', 'BLOCKXSIZE=64', 'BLOCKYSIZE=64', 'COMPRESS=DEFLATE',
                                           'PREDICTOR=2'])
j, i = np.mgrid[0:300, 0:300]
ds.GetRasterBand(1).WriteArray((i + 7 * j) % 30000)
ds = None

# One strip too large to keep decoded (2100 x 2100 reals, 17 MB), read row by
# row: zeros but for three cells, which Zstandard keeps in under 1 KB.
ds = gdal.GetDriverByName('GTiff').Create(os.path.join(out, 'f32_one_large_strip.tif'), 2100, 2100, 1,
                                          gdal.GDT_Float32, ['BLOCKYSIZE=2100', 'COMPRESS=ZSTD', 'ZSTD_LEVEL=19'])
ds.SetGeoTransform((0, 1, 0, 0, 0, -1))
a = np.zeros((2100, 2100), dtype=np.float32)
a[0, 0], a[1000, 2000], a[2099, 2099] = 1, 2, 3
ds.GetRasterBand(1).WriteArray(a)
ds = None

# A hand-made header that declares 2^31 - 1 by 2^30 cells in one strip of
# 16 bytes: refused before anything of that size is allocated.
entries = [(256, 4, 1, 2 ** 31 - 1), (257, 4, 1, 2 ** 30), (258, 3, 1, 32), (259, 3, 1, 8),
           (262, 3, 1, 1), (273, 4, 1, 200), (277, 3, 1, 1), (278, 4, 1, 2 ** 30), (279, 4, 1, 16),
           (339, 3, 1, 3)]
ifd = struct.pack('<H', len(entries)) + b''.join(
    struct.pack('<HHI', tag, kind, count) + (struct.pack('<HH', value, 0) if kind == 3 else struct.pack('<I', value))
    for tag, kind, count, value in entries) + struct.pack('<I', 0)
with open(os.path.join(out, 'huge_declared.tif'), 'wb') as f:
    f.write(b'II*\0' + struct.pack('<I', 8) + ifd + bytes(216 - 8 - len(ifd)))

# Tiles 16384 rows tall, 16 of them across: a row of tiles takes 1 GB
# decoded, which is read in pieces of rows rather than held; 1.0 but for
# three cells, which Zstandard keeps in 91 KB.
ds = gdal.GetDriverByName('GTiff').Create(os.path.join(out, 'f32_tall_tiles.tif'), 16384, 16384, 1,
                                          gdal.GDT_Float32, ['TILED=YES', 'BLOCKXSIZE=1024', 'BLOCKYSIZE=16384',
                                                             'COMPRESS=ZSTD', 'ZSTD_LEVEL=22'])
ds.SetGeoTransform((0, 1, 0, 16384, 0, -1))
ds.GetRasterBand(1).Fill(1.0)
for value, column, row in ((2.0, 0, 0), (3.0, 16383, 16383), (4.0, 5000, 10922)):
    ds.GetRasterBand(1).WriteArray(np.array([[value]], dtype=np.float32), column, row)
ds = None


# Headers whose tiles or rows would take more memory decoded than is ever
# set aside, none written (GDAL's sparse files), padded so that the file
# could hold that many values compressed.
def sparse(name, columns, rows, options, size):
    path = os.path.join(out, name + '.tif')
    gdal.GetDriverByName('GTiff').Create(path, columns, rows, 1, gdal.GDT_Float32,
                                         options + ['COMPRESS=DEFLATE', 'SPARSE_OK=TRUE'])
    with open(path, 'ab') as f:
        f.write(bytes(size - os.path.getsize(path)))


sparse('tile_too_large', 1024, 65600, ['TILED=YES', 'BLOCKXSIZE=1024', 'BLOCKYSIZE=65600'], 8192)
sparse('tile_row_too_large', 16384, 16400, ['TILED=YES', 'BLOCKXSIZE=1024', 'BLOCKYSIZE=16400'], 32768)
sparse('row_too_large', 2 ** 26 + 16, 2, ['BLOCKYSIZE=1'], 16384)


# Placements no grid can be drawn at, each refused for its own cause, and a
# transformation of zeros, which places nothing. The matrices replace the
# one GDAL writes for a rotated file.
def with_matrix(name, matrix):
    path = write(name, 'f32', STRIPS, gt=(1000.0, 10.0, 2.0, 5000.0, 1.5, -10.0))
    data = bytearray(open(path, 'rb').read())
    ifd = struct.unpack_from('<I', data, 4)[0]
    for k in range(struct.unpack_from('<H', data, ifd)[0]):
        tag, _, _, offset = struct.unpack_from('<HHII', data, ifd + 2 + 12 * k)
        if tag == 34264:
            struct.pack_into('<16d', data, offset, *matrix)
    open(path, 'wb').write(data)
    return path


def matrix(column, row, x, y):
    return [column, 0, 0, x, 0, row, 0, y, 0, 0, 0, 0, 0, 0, 0, 1]


write('f32_origin_infinite', 'f32', STRIPS, gt=(math.inf, 12.5, 0.0, 5204000.75, 0.0, -10.0))
write('f32_origin_1e300', 'f32', STRIPS, gt=(1e300, 12.5, 0.0, 5204000.75, 0.0, -10.0))
write('f32_cells_1e-300', 'f32', STRIPS, gt=(431000.25, 1e-300, 0.0, 5204000.75, 0.0, -10.0))
with_matrix('f32_zero_width', matrix(0.0, -10.0, 1000.0, 5000.0))
with_matrix('f32_nan_matrix', matrix(10.0, -10.0, math.nan, 5000.0))
expect(with_matrix('f32_zero_matrix', [0.0] * 16))
PYTHON

# Seeds of the GeoTIFF fuzz target: a few of the samples, every layout.
seeds="$root/fuzz/corpus/geotiff"
mkdir -p "$seeds"
for name in u8_strips_packbits i16_tiles_lzw_predictor2 f32_strips_deflate_predictor3 f64_tiles_zstd_predictor3 \
    i16_two_bands_band f32_pixel_is_point i16_nodata f32_south_up u16_one_strip_deflate f32_bigtiff_tiles \
    i32_big_endian f32_zero_matrix f32_zero_width tile_row_too_large; do
    cp "$root/tests/data/geotiff/$name.tif" "$seeds/"
done
