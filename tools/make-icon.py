#!/usr/bin/env python3
"""Writes the program's icon (one 32 x 32 image in 16 colours) from the pixel map below.

Usage: make-icon.py <out.ico>
The map uses one character per pixel; '.' is transparent.
"""
import struct
import sys

# The standard 16-colour palette, indexed by the map's characters.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
CHARS = "0123456789ABCDEF"

# A teal disk carrying a white "Q" over a grey installation box.
MAP = """
................................
...........66666666666..........
........666666666666666666......
......6666666666666666666666....
.....666666FFFFFFFFFF6666666....
....66666FFFFFFFFFFFFFF666666...
...6666FFFF66666666FFFF6666666..
...666FFF666666666666FFF666666..
..6666FF66666666666666FF6666666.
..666FFF66666666666666FFF666666.
..666FF6666666666666666FF666666.
.6666FF6666666666666666FF6666666
.6666FF6666666666666666FF6666666
.6666FF6666666666666666FF6666666
.6666FF6666666666666666FF6666666
.6666FF66666666FF666666FF6666666
.6666FFF6666666FFF66666FF6666666
..666FFF66666666FFF66FFF666666..
..6666FFF66666666FFFFFF6666666..
...6666FFFF66666666FFFF666666...
....66666FFFFFFFFFFFFFFFF6666...
.....666666FFFFFFFFFF66FFF66....
......6666666666666666666FF6....
........88888888888888888888....
.......8777777777777777777778...
.......8777777777777777777778...
.......8777700000000000077778...
.......8777777777777777777778...
.......8777777777777777777778...
.......8888888888888888888888...
................................
................................
"""


def main(out):
    rows = [r for r in MAP.strip("\n").split("\n")]
    assert len(rows) == 32 and all(len(r) == 32 for r in rows), "map must be 32 x 32"
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        nibbles = [0 if c == "." else CHARS.index(c) for c in row]
        for i in range(0, 32, 2):
            xor.append((nibbles[i] << 4) | nibbles[i + 1])
        bits = 0
        for i, c in enumerate(row):
            if c == ".":
                bits |= 1 << (31 - i)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + palette + xor + mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    with open(out, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
