#!/usr/bin/python3
"""Prints src/colour/palette_tables.cpp: the colours of the named palettes,
236 of each (as many as the rainbow has), sampled from matplotlib's published
tables. Run once by hand (Debian: python3-matplotlib); the output is
committed, so neither the build nor the tests need matplotlib.

  /usr/bin/python3 tools/make_palette_tables.py > src/colour/palette_tables.cpp
"""
import matplotlib
import numpy as np

COLOURS = 236

# name in rastrify, matplotlib colour map, the part of it used
PALETTES = [
    ("viridis", "viridis", 0.0, 1.0),
    ("cividis", "cividis", 0.0, 1.0),
    ("magma", "magma", 0.0, 1.0),
    ("turbo", "turbo", 0.0, 1.0),
    # terrain without its sea blues: greens, pale yellow, browns, white
    ("terrain", "terrain", 0.25, 1.0),
    # ColorBrewer's red-blue, blue for the lowest values, white in the middle
    ("diverging", "RdBu_r", 0.0, 1.0),
]


def table(cmap_name, start, end):
    cmap = matplotlib.colormaps[cmap_name]
    rgba = cmap(np.linspace(start, end, COLOURS))
    return [tuple(int(round(255 * c)) for c in colour[:3]) for colour in rgba]


def main():
    print("// The colours of the named palettes, from matplotlib's published tables")
    print("// (tools/make_palette_tables.py printed this file; do not edit it).")
    print('#include "colour/palette_tables.h"')
    print()
    print("namespace gridlib {")
    print()
    for name, cmap_name, start, end in PALETTES:
        colours = table(cmap_name, start, end)
        print(f"const PaletteTable k_{name}_table = {{{{")
        for i in range(0, COLOURS, 6):
            row = ", ".join("{%d, %d, %d}" % c for c in colours[i:i + 6])
            print(f"    {row},")
        print("}};")
        print()
    print("}  // namespace gridlib")


main()
