#!/usr/bin/env python3
"""Writes examples/terrain.asc: a synthetic terrain of 200 x 150 cells as an
ESRI ASCII grid, with a lake and a strip of missing survey cells as null cells.

Only the Python standard library is used and nothing is random, so the file
is the same on every run:  python3 examples/make_terrain.py
"""
import math
import os

COLUMNS, ROWS = 200, 150
CELL = 25.0
WEST, SOUTH = 500000.0, 4200000.0
NODATA = -9999

# (centre column, centre row counted from the south, radius in cells, height in metres)
HILLS = [(50, 100, 28, 900.0), (140, 40, 35, 1200.0), (160, 120, 18, 500.0), (90, 60, 22, -250.0)]


def elevation(col, row):
    """Elevation of a cell; row 0 is the southern row."""
    z = 300.0 + 1.5 * row  # the land rises gently to the north
    for cx, cy, radius, height in HILLS:
        d2 = ((col - cx) ** 2 + (row - cy) ** 2) / (radius * radius)
        z += height * math.exp(-d2)
    z += 40.0 * math.sin(col / 9.0) * math.cos(row / 13.0)  # ridges and gullies
    return z


def is_null(col, row):
    lake = ((col - 90) / 10.0) ** 2 + ((row - 60) / 7.0) ** 2 < 1.0
    missing_strip = 180 <= col < 186 and 20 <= row < 70
    return lake or missing_strip


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "terrain.asc")
    with open(path, "w", newline="\n") as out:
        out.write(f"ncols {COLUMNS}\nnrows {ROWS}\n")
        out.write(f"xllcorner {WEST:.1f}\nyllcorner {SOUTH:.1f}\n")
        out.write(f"cellsize {CELL:.1f}\nNODATA_value {NODATA}\n")
        for row in range(ROWS - 1, -1, -1):  # the northern row comes first
            values = (str(NODATA) if is_null(c, row) else f"{elevation(c, row):.1f}" for c in range(COLUMNS))
            out.write(" ".join(values) + "\n")
    print(f"wrote {path}")


if __name__ == "__main__":
    main()
