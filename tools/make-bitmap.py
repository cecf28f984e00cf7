#!/usr/bin/env python3
"""Writes a 16-colour bitmap (4 bits per pixel, uncompressed) from a pixel map.

Usage: make-bitmap.py <in.map> <out.bmp>

A map is text: lines starting with '#' are comments, a line "background <digit>" names
the palette index that '.' stands for, and every other line is one row of pixels, top
row first, one hexadecimal digit (an index into the standard 16-colour palette) or '.'
per pixel. The button glyphs keep their transparent colour in the bottom-left pixel.
"""
import struct
import sys

# The standard 16-colour palette, as RGB.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def read_map(path):
    background = None
    rows = []
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("background "):
                background = int(line.split()[1], 16)
                continue
            rows.append(line)
    if not rows:
        sys.exit(f"{path}: no pixel rows")
    width = len(rows[0])
    if any(len(r) != width for r in rows):
        sys.exit(f"{path}: rows of different lengths")
    pixels = []
    for r in rows:
        row = []
        for c in r:
            if c == ".":
                if background is None:
                    sys.exit(f"{path}: '.' used without a background line")
                row.append(background)
            else:
                row.append(int(c, 16))
        pixels.append(row)
    return pixels


def write_bmp(pixels, out):
    height = len(pixels)
    width = len(pixels[0])
    stride = ((width * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray(stride)
        for x, p in enumerate(row):
            if x % 2 == 0:
                line[x // 2] |= p << 4
            else:
                line[x // 2] |= p
        data += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 3780, 3780, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(out, "wb") as f:
        f.write(header + info + palette + data)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_bmp(read_map(sys.argv[1]), sys.argv[2])
