#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/:
small, valid files of each format family (a 5 x 4 grid with a null cell),
from which the fuzzer mutates. Run again after changing it; the seeds are
committed."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
C, R = 5, 4


def value(i, g):  # column i and row g, 1-based from the south-west corner
    return None if (i, g) == (2, 3) else round(100 + 10 * math.sin(i) + 7 * g - i, 3)


def put(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def rows_north_first(null):
    return [[null if value(i, g) is None else value(i, g) for i in range(1, C + 1)] for g in range(R, 0, -1)]


def esri():
    for origin in ('xllcorner', 'xllcenter'):
        lines = ['ncols %d' % C, 'nrows %d' % R, '%s 10' % origin, 'yllcorner 20', 'cellsize 2',
                 'NODATA_value -9999'] + [' '.join('%g' % v for v in row) for row in rows_north_first(-9999)]
        put('esri_ascii', origin + '.asc', '\n'.join(lines) + '\n')


def gxf_code(v, width):
    """A value in compressed GXF: base-90 digits from '%'; '!' fills the dummy."""
    if v < 0:
        return '!' * width
    digits = []
    for _ in range(width):
        digits.append(chr(ord('%') + v % 90))
        v //= 90
    return ''.join(reversed(digits))


def gxf():
    for width in (1, 2, 3):
        cells = [[-1 if value(i, g) is None else int(value(i, g)) % (90 ** width) for i in range(1, C + 1)]
                 for g in range(R, 0, -1)]
        # A run of three equal values as a repeat, a "$" comment line, surplus groups.
        body = []
        for row in cells:
            groups = [gxf_code(v, width) for v in row[:2]]
            groups += ['"' * width, gxf_code(3, width), gxf_code(row[2], width)]
            body.append('$ comment')
            body.append(''.join(groups) + gxf_code(7, width))
        lines = ['#POINTS', str(C), '#ROWS', str(R), '#SENSE', '-2', '#DUMMY', '-1', '#TRANSFORM', '0.5 10',
                 '#GTYPE', str(width), '#GRID'] + body
        put('gxf', 'compressed%d.gxf' % width, '\n'.join(lines) + '\n')
    for sense in (1, -2, 3):
        lines = ['#TITLE', 'seed', '#POINTS', str(C), '#ROWS', str(R), '#PTSEPARATION', '2', '#RWSEPARATION', '3',
                 '#XORIGIN', '5', '#YORIGIN', '6', '#SENSE', str(sense), '#DUMMY', '-1e30', '#TRANSFORM', '1 0',
                 '#GRID'] + [' '.join('%g' % v for v in row) for row in rows_north_first(-1e30)]
        put('gxf', 'sense%+d.gxf' % sense, '\n'.join(lines) + '\n')


def er_mapper():
    header = ('DatasetHeader Begin\n Version = "6.0"\n DataSetType = ERStorage\n ByteOrder = MSBFirst\n'
              ' CoordinateSpace Begin\n  Datum = "WGS84"\n  CoordinateType = EN\n CoordinateSpace End\n'
              ' RasterInfo Begin\n  CellType = IEEE4ByteReal\n  NullCellValue = -99999\n'
              '  CellInfo Begin\n   Xdimension = 2\n   Ydimension = 3\n  CellInfo End\n'
              '  NrOfLines = %d\n  NrOfCellsPerLine = %d\n  RegistrationCoord Begin\n   Eastings = 10\n'
              '   Northings = 20\n  RegistrationCoord End\n  NrOfBands = 1\n  BandId Begin\n   Value = "height"\n'
              '  BandId End\n RasterInfo End\nDatasetHeader End\n') % (R, C)
    data = b''.join(struct.pack('>f', v) for row in rows_north_first(-99999) for v in row)
    put('er_mapper', 'float32.ers', header.encode() + b'\n%%\n' + data)


def bgd():
    h = bytearray(b' ' * 512)
    h[0:5] = b'$$BGD'
    struct.pack_into('>4f', h, 88, 0, C * 2, 0, R * 2)
    struct.pack_into('>2i', h, 112, R, C)
    struct.pack_into('>2f', h, 120, 2, 2)
    struct.pack_into('>f', h, 232, -99999)
    put('bgd', 'grid.bgd', bytes(h) + b''.join(struct.pack('>f', v) for row in rows_north_first(-99999) for v in row))


def grid_text():
    # One character a value, fixed-width lines, rows from the north; then the
    # same grid in run-length lines with a repeat.
    blanks = ' ' * 20
    head = ('$$GRID$$   4   3' + blanks[:12] + '   1\n' + blanks[:14] + '   1   0' + blanks[:18] +
            '       0.0      60.0' + blanks[:10] + '      40.0       0.0\n' +
            '      10.0      20.0' + blanks + '       0.0      63.0\n')
    put('grid_text', 'fixed.dat', head + 'z;<y\n>?@A\n:B~:\n')
    put('grid_text', 'coded.dat', head.replace('   1   0', '   1   1', 1) + 'z;<y\n>?@A\n:~B\n')


def surfer():
    south_first = [[1.70141e38 if value(i, g) is None else value(i, g) for i in range(1, C + 1)]
                   for g in range(1, R + 1)]
    put('surfer', 'surfer6.grd', b'DSBB' + struct.pack('<2h6d', C, R, 0, 8, 0, 9, 90, 140) +
        b''.join(struct.pack('<f', v) for row in south_first for v in row))
    grid = struct.pack('<2i8d', R, C, 0, 0, 2, 3, 90, 140, 0, 1.70141e38)
    data = b''.join(struct.pack('<d', v) for row in south_first for v in row)
    put('surfer', 'surfer7.grd', b'DSRB' + struct.pack('<2i', 4, 2) + b'GRID' + struct.pack('<i', len(grid)) + grid +
        b'DATA' + struct.pack('<i', len(data)) + data)


def binary_512():
    for size, fmt, null in ((2, '<h', -32767), (4, '<f', -1e32)):
        for order in (1, -2, 2):
            columns = order in (2, -1, -3, 4)
            h = bytearray(512)
            struct.pack_into('<bb', h, 0, size, 0)
            n, m = (R, C) if columns else (C, R)
            struct.pack_into('<4i', h, 4, 0, n, m, order)
            struct.pack_into('<7d', h, 20, 2, 3, 10, 20, 0, 0, 1)
            struct.pack_into('<i', h, 160, -32768)
            vals = [v for row in rows_north_first(null) for v in row]
            body = b''.join(struct.pack(fmt, int(v) if size == 2 else v) for v in vals)
            put('binary_512', 'size%d_order%+d.dat' % (size, order), bytes(h) + body)
    record = struct.pack('>i7fi', 28, 0, C - 1, 0, R - 1, 1, 1, -5555, 28)
    rows = b''.join(struct.pack('>i', C * 4) + b''.join(struct.pack('>f', v) for v in row) + struct.pack('>i', C * 4)
                    for row in rows_north_first(-5555))
    put('binary_512', 'framed.dat', record + rows)


def binary_24():
    h = bytearray(4096)
    struct.pack_into('<6f', h, 0, 2, C, R, 3, 4, 0)
    put('binary_24', 'grid.dat', bytes(h) + b''.join(struct.pack('<f', v) for v in range(C * R)))


def tool():
    h = bytearray(240)
    h[0:4] = b'TOOL'
    struct.pack_into('<f', h, 180, -777)
    struct.pack_into('<f', h, 188, R)
    struct.pack_into('<f', h, 196, C)
    struct.pack_into('<4f', h, 204, 1, 0, 2, 0)
    struct.pack_into('<f', h, 220, 1.5)
    struct.pack_into('<f', h, 228, 2.5)
    put('tool', 'grid.dat', bytes(h) + b''.join(struct.pack('<f', v) for row in rows_north_first(-777) for v in row))


def k_blocks():
    columns = 70  # two blocks of 64
    h = bytearray(130)
    h[0:1] = b'K'
    struct.pack_into('<2f', h, 2, R, columns)
    struct.pack_into('<2f', h, 10, 2, 1)
    struct.pack_into('<2f', h, 38, 1, 1)
    struct.pack_into('<f', h, 102, -32000)
    body = b''
    for g in range(R):
        for j in range(columns):
            if j % 64 == 0:
                body += struct.pack('<h', 0)
            body += struct.pack('<h', g * 100 + j)
    put('k_blocks', 'grid.dat', bytes(h) + body)


def byte_images():
    # The byte images GDAL wrote for the tests, and a BIL header of our own.
    samples = os.path.join(HERE, '..', 'tests', 'data', 'gdal')
    for target in ('pcidsk', 'pcidsk_rows'):
        for name in ('pcidsk_pixel.pix', 'pcidsk_band.pix'):
            with open(os.path.join(samples, name), 'rb') as f:
                put(target, name, f.read())
    with open(os.path.join(samples, 'ehdr.bil'), 'rb') as f, open(os.path.join(samples, 'ehdr.hdr'), 'rb') as h:
        gdal_bil = f.read() + b'\n%%\n' + h.read()
    hdr = 'BYTEORDER I\nLAYOUT BIP\nNROWS 4\nNCOLS 5\nNBANDS 2\nNBITS 8\nULXMAP 10\nULYMAP 20\nXDIM 2\nYDIM 2\n'
    for target in ('bil', 'bil_rows'):
        put(target, 'ehdr.bil', gdal_bil)
        put(target, 'bip.bil', bytes(range(40)) + b'\n%%\n' + hdr.encode())


def working_grids():
    for columns, rows, width in ((C, R, 0), (C, R, 13), (3, 2, 2)):
        h = bytearray(b' ' * 512)
        struct.pack_into('<5i', h, 0, 4, 2, columns, rows, -2)
        struct.pack_into('<7d', h, 20, 1, 1, 0, 0, 0, 0, 1)
        struct.pack_into('<2f', h, 160, 90, 140)    # the data range
        struct.pack_into('<2f', h, 188, 95, 130)    # colour limits
        struct.pack_into('<i', h, 196, width)       # requested width
        h[200] = 2                                  # mapping mode
        h[202] = 9                                  # the format whose cell point places the world file
        cells = [-1e32 if (k * 7) % 11 == 0 else 90 + k for k in range(columns * rows)]
        for target in ('histogram_and_image', 'png_image', 'tiff_image', 'tile_pyramid'):
            put(target, 'work_%dx%d_w%d.tmp' % (columns, rows, width),
                bytes(h) + b''.join(struct.pack('<f', v) for v in cells))


def gradients():
    # Working grids of a tilted plane with null cells, on cells of various
    # spacings, with the exaggeration, colour limits, width and light the
    # fuzz target reads from the header's spare words.
    for columns, rows, spacing, exaggeration, width in ((C, R, 10, 1, 0), (C, R, 0.5, -3, 12), (2, 3, 25, 0, 1)):
        h = bytearray(b' ' * 512)
        struct.pack_into('<5i', h, 0, 4, 2, columns, rows, -2)
        struct.pack_into('<3f', h, 168, spacing, 2 * spacing, exaggeration)
        struct.pack_into('<2f', h, 188, 95, 130)      # colour limits
        struct.pack_into('<i', h, 196, width)         # requested width
        h[200] = width % 2                             # inverted
        struct.pack_into('<5f', h, 204, -0.5, 0.5, 0.7071, 0.4, 1.0)  # light and references
        cells = [-1e32 if (k * 5) % 7 == 3 else 90 + 2 * (k % columns) + 3 * (k // columns)
                 for k in range(columns * rows)]
        put('gradient', 'work_%dx%d_s%g.tmp' % (columns, rows, spacing),
            bytes(h) + b''.join(struct.pack('<f', v) for v in cells))


def point_lookups():
    for columns, rows, order in ((C, R, -2), (C, R, 1), (2, 3, -2)):
        head = struct.pack('<3i4fi', columns, rows, order, 10, 20, 2, 3, 6)
        points = b''.join(struct.pack('<2f', 10 + 1.3 * k, 20 + 1.7 * k) for k in range(6))
        cells = b''.join(struct.pack('<f', -1e32 if k % 7 == 3 else 50 + k) for k in range(columns * rows))
        body = head + points
        put('point_lookup', 'grid_%dx%d_%+d' % (columns, rows, order), body + bytes(512 - len(body)) + cells)


def colours():
    for scheme in (-5, 1, 2, 3, 4, 5, 6, 7, 9, 12):
        head = struct.pack('<3i5f', scheme, 3, 20, 0.4, 0.2, 1.0, 315, 45)
        put('colour', 'scheme%d' % scheme, head + struct.pack('<12f', *(k / 12 for k in range(12))))


def netcdf():
    # The netCDF samples GMT and GDAL wrote (tools/make_netcdf_samples.sh):
    # classic and netCDF-4 files are too intricate to write here.
    folder = os.path.join(os.path.dirname(HERE), 'tests', 'data', 'netcdf')
    for name in sorted(os.listdir(folder)):
        if not name.endswith('.txt'):
            put('netcdf', name, open(os.path.join(folder, name), 'rb').read())


def conversions():
    """Whole conversions: 32 option bytes (convert_fuzzer.cpp), the grid,
    then after lines "%%" a palette file and a histogram file."""
    esri_grid = open(os.path.join(HERE, 'corpus', 'esri_ascii', 'xllcorner.asc'), 'rb').read()
    cpt = b'90 0/0/255 110 0/255/0\n110 0/255/0 140 255/0/0\nB black\nF white\nN 128/128/128\n'
    relief = b'nv 0 0 0 0\n0% 0 0 255\n50% 0 255 0\n100 255 0 0 128\n'
    levels = b'  ' + struct.pack('<2f', 90, 140) + b''.join(struct.pack('<i', 1 + k * 255 // 4096) for k in range(4096))
    nan = struct.unpack('<f', struct.pack('<I', 0x7fc00000))[0]
    # grid kind, output kind, distribution, flags, palette kind; width; limits; light.
    cases = {
        'bmp_hist': (0, 0, 0, 0, 0, -1, 0, 0, 315, 45, 1, b''),
        'png_lin_limits_bar': (0, 1, 1, 8 | 128 | 4, 0, 300, 95, 130, 315, 45, 1, b''),
        'tif_shaded_cpt': (0, 2, 0, 2 | 8, 3, -1, 0, 0, 200, 30, 2.5, cpt),
        'png_relief_file_png_bar': (0, 1, 0, 8 | 16, 2, 11, 0, 0, 315, 45, 1, relief),
        'tiles_viridis_kept': (0, 3, 0, 32 | 8, 1, -1, 0, 0, 315, 45, 1, b''),
        'bmp_log_inverted': (0, 0, 2, 1 | 128, 0, -1, 1, 1000, 315, 45, 1, b''),
        'bmp_histogram_file': (0, 0, 0, 64, 0, -1, 0, 0, 315, 45, 1, b''),
        'bmp_nan_light': (0, 0, 0, 2, 0, -1, 0, 0, nan, nan, float('inf'), b''),
    }
    for name, (grid, output, dist, flags, palette, width, lower, upper, az, el, ex, pal) in cases.items():
        options = struct.pack('<5B3xi5f', grid, output, dist, flags, palette, width, lower, upper, az, el, ex)
        put('convert', name, options + esri_grid + b'\n%%\n' + pal + b'\n%%\n' + levels)


for make in (esri, gxf, er_mapper, bgd, grid_text, surfer, binary_512, binary_24, tool, k_blocks, byte_images,
             working_grids, gradients, point_lookups, colours, netcdf,
             conversions):
    make()


# Seeds that end in descriptor choices (fuzz_files.h: a line "@@" and the
# words after it): a window with steps, sizes far beyond the file, another
# storage order and value type, an offset and bands, for every seed of the
# targets that read them.
CHOICES = (
    struct.pack('<B3x2fi2fi', 1, -1e9, 1e9, 2, -1e9, 1e9, 3),
    struct.pack('<B3x', 2) + bytes(24) + struct.pack('<2i', 2**31 - 1, 2**31 - 1),
    struct.pack('<B3x', 2 | 4 | 8) + bytes(24) + struct.pack('<5i', 3, 2, 1, 3, 1),
    struct.pack('<B3x', 16 | 32) + bytes(44) + struct.pack('<3i', 1 << 30, 7, 5),
)
ROW_CHOICES = (
    struct.pack('<B3xi', 1, 2**31 - 1),
    struct.pack('<B3x5i', 2 | 4 | 8 | 16, 0, 3, 1, 1, 1 << 30),
)
GRID_TARGETS = ('esri_ascii', 'gxf', 'er_mapper', 'bgd', 'grid_text', 'surfer', 'binary_512', 'binary_24', 'tool',
                'k_blocks', 'pcidsk', 'bil', 'netcdf')
for target, choices in [(t, CHOICES) for t in GRID_TARGETS] + [(t, ROW_CHOICES) for t in ('pcidsk_rows', 'bil_rows')]:
    folder = os.path.join(HERE, 'corpus', target)
    for name in sorted(os.listdir(folder)):
        if '.choices' in name:
            continue
        data = open(os.path.join(folder, name), 'rb').read()
        for k, words in enumerate(choices):
            put(target, '%s.choices%d' % (name, k), data + b'\n@@\n' + words)
