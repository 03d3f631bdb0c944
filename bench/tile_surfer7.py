#!/usr/bin/python3
"""Makes a large Surfer 7 grid from a small one for the benchmarks: the
header with the new size, then each row k times over, all rows k times over.

    bench/tile_surfer7.py SOURCE.grd TARGET.grd K"""
import struct
import sys

source, target, k = sys.argv[1], sys.argv[2], int(sys.argv[3])
with open(source, "rb") as f:
    header = bytearray(f.read(100))
    data = f.read()
rows, columns = struct.unpack_from("<ii", header, 20)
assert header[0:4] == b"DSRB" and header[92:96] == b"DATA"
struct.pack_into("<ii", header, 20, rows * k, columns * k)
struct.pack_into("<i", header, 96, rows * k * columns * k * 8)
row_bytes = columns * 8
with open(target, "wb") as out:
    out.write(header)
    for _ in range(k):
        for r in range(rows):
            out.write(data[r * row_bytes:(r + 1) * row_bytes] * k)
