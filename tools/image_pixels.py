#!/usr/bin/python3
"""Prints what Pillow, an image library written independently of ours, reads
from a BMP or PNG file: its format, mode and size, the palette of a palette
image (red, green, blue per entry), every pixel, top line first (a palette
index, or red * 65536 + green * 256 + blue), and the alpha of every pixel
(255 where the image has no transparency). The image tests compare this
with the pixels they expect.

Usage: image_pixels.py image"""
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
    print(" ".join(str(a) for _, _, _, a in image.convert("RGBA").getdata()))
