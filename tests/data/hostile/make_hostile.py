#!/usr/bin/env python3
"""Writes hostile grid files: headers that lie about their files, fields at
their extremes, structures cut short. Each must be refused with its status,
never crash, hang or read out of bounds; expected.txt lists the statuses
(of reading the header, then of reading the grid: '-' when not reached).
Files found by fuzzing join this folder with their statuses."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
expected = []


def put(name, data, header_status, read_status='-'):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode())
    expected.append('%s %s %s' % (name, header_status, read_status))


# An ESRI ASCII header promising 2^31 - 1 columns over a few bytes of data.
put('esri_huge_row.asc', 'ncols 2147483647\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n', 0, -1001)
# The header ends before any data line.
put('esri_no_data.asc', 'ncols 3\nnrows 2\n', -2030)
# Rows that hold a word where a number belongs.
put('esri_word.asc', 'ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n3 x\n', 0, -1002)
# GXF without its "#GRID" line, and one whose keyword has no value line.
put('gxf_no_grid.gxf', '#POINTS\n3\n#ROWS\n2\n1 2 3\n', -2006)
put('gxf_no_value.gxf', '#POINTS\n3\n#ROWS\n2\n#SENSE', -2706)
# ER Mapper: more bands than the descriptor can name; a header offset before
# the start of the data file.
bands = ''.join(' BandId Begin\n  Value = "b%d"\n BandId End\n' % k for k in range(17))
common = (' CellType = IEEE4ByteReal\n NullCellValue = -99\n Xdimension = 1\n Ydimension = 1\n NrOfLines = 2\n'
          ' NrOfCellsPerLine = 2\n Eastings = 0\n Northings = 2\n')
put('ers_17_bands.ers', 'DatasetHeader Begin\n' + common + ' NrOfBands = 17\n' + bands + 'DatasetHeader End\n', -2021)
put('ers_negative_offset.ers', 'DatasetHeader Begin\n HeaderOffset = -4096\n' + common + 'DatasetHeader End\n',
    0, -3000)
with open(os.path.join(HERE, 'ers_negative_offset'), 'wb') as f:
    f.write(bytes(16))
# Surfer 7 with a section of an unknown kind between the header and the grid.
grid = struct.pack('<2i8d', 2, 2, 0, 0, 1, 1, 0, 1, 0, 1.70141e38)
data = struct.pack('<4d', 1, 2, 3, 4)
put('surfer7_unknown_section.grd', b'DSRB' + struct.pack('<2i', 4, 2) + b'XTRA' + struct.pack('<i', 4) + bytes(4) +
    b'GRID' + struct.pack('<i', len(grid)) + grid + b'DATA' + struct.pack('<i', len(data)) + data, -2019)
# Surfer 7 whose data section is shorter than its grid.
put('surfer7_short_data.grd', b'DSRB' + struct.pack('<2i', 4, 2) + b'GRID' + struct.pack('<i', len(grid)) + grid +
    b'DATA' + struct.pack('<i', 16) + data, -2018)
# A 512-byte header whose counts multiply beyond any file.
h = bytearray(512)
struct.pack_into('<bb', h, 0, 4, 0)
struct.pack_into('<4i', h, 4, 0, 2147483647, 2147483647, 1)
struct.pack_into('<7d', h, 20, 1, 1, 0, 0, 0, 0, 1)
put('binary_512_overflow.dat', bytes(h) + bytes(16), -2018)
# A record-framed header whose spacing is zero.
put('framed_zero_spacing.dat', struct.pack('>i7fi', 28, 0, 9, 0, 9, 0, 0, -1, 28) + bytes(96), -2019)
# A "K" grid shorter than its header states.
k = bytearray(130)
k[0:1] = b'K'
struct.pack_into('<2f', k, 2, 1000, 1000)
put('k_blocks_short.dat', bytes(k) + bytes(64), -2018)
# "$$BGD" with a negative row count.
b = bytearray(b' ' * 512)
b[0:5] = b'$$BGD'
struct.pack_into('>2i', b, 112, -5, 10)
put('bgd_negative_rows.bgd', bytes(b), -2019)

with open(os.path.join(HERE, 'expected.txt'), 'w') as f:
    f.write('# file, status of reading the header, status of reading the grid (- when not reached)\n')
    f.write('\n'.join(expected) + '\n')
