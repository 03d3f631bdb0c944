#!/usr/bin/python3
"""Prints what Pillow, an image library written independently of ours, reads
from a BMP file: its mode and size, the palette of a palette image (red,
green, blue per entry), and every pixel, top line first (a palette index, or
red * 65536 + green * 256 + blue). The image tests compare this with the
pixels they expect.

Usage: bmp_pixels.py image.bmp"""
import sys

from PIL import Image

with Image.open(sys.argv[1]) as image:
    image.load()
    print(image.format, image.mode, image.width, image.height)
    if image.mode == "P":
        print(" ".join(str(v) for v in image.getpalette()))
        print(" ".join(str(v) for v in image.getdata()))
    else:
        print()
        print(" ".join(str(r << 16 | g << 8 | b) for r, g, b in image.convert("RGB").getdata()))
