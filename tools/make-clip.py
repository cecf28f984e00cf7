#!/usr/bin/env python3
"""Writes the copy clip of page 3 as an AVI file the animation control plays.

Usage: make-clip.py <scene> <out.avi>

The scene is text; '#' starts a comment. Its lines:
  size <width> <height>            the frame size in pixels
  frames <n>                       frames of one loop
  microseconds <n>                 how long each frame shows
  colour <digit> <r> <g> <b>       replaces one colour of the standard 16-colour palette
  background <digit>               the colour every frame starts from (its top-left pixel,
                                   which the control shows in its parent's colour)
  picture <map> <x> <y>            a pixel map drawn at the same place on every frame
  flight <map> <x0> <y0> <x1> <y1> <arc> <count>
                                   <count> copies of a map, evenly spaced in time, each
                                   moving once per loop from (x0, y0) to (x1, y1) along an
                                   arc <arc> pixels high
Layers are drawn in the order of their lines. Maps are the pixel maps of the glyphs (one
hexadecimal palette digit per pixel, top row first), except that '.' is left undrawn.

The clip has one video stream of 8-bit frames compressed with run-length encoding
(BI_RLE8), every frame whole (a key frame), one palette and no palette changes: the only
kind of clip besides uncompressed ones that both versions of the animation control play.
"""
import math
import os
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
AVIIF_KEYFRAME = 0x10
AVIF_HASINDEX = 0x10
BI_RLE8 = 1


def read_map(path):
    rows = []
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                rows.append([None if c == "." else int(c, 16) for c in line])
    if not rows or any(len(r) != len(rows[0]) for r in rows):
        sys.exit(f"{path}: not a pixel map")
    return rows


def read_scene(path):
    scene = {"palette": list(PALETTE), "layers": []}
    folder = os.path.dirname(path)
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            key, args = words[0], words[1:]
            if key == "size":
                scene["width"], scene["height"] = int(args[0]), int(args[1])
            elif key in ("frames", "microseconds"):
                scene[key] = int(args[0])
            elif key == "colour":
                scene["palette"][int(args[0], 16)] = tuple(int(v) for v in args[1:4])
            elif key == "background":
                scene["background"] = int(args[0], 16)
            elif key == "picture":
                scene["layers"].append(("picture", read_map(os.path.join(folder, args[0])),
                                        [int(v) for v in args[1:]]))
            elif key == "flight":
                scene["layers"].append(("flight", read_map(os.path.join(folder, args[0])),
                                        [int(v) for v in args[1:]]))
            else:
                sys.exit(f"{path}:{number}: unknown line '{key}'")
    for key in ("width", "height", "frames", "microseconds", "background"):
        if key not in scene:
            sys.exit(f"{path}: no '{key}' line")
    return scene


def draw(frame, pixels, left, top):
    for y, row in enumerate(pixels):
        for x, p in enumerate(row):
            fx, fy = left + x, top + y
            if p is not None and 0 <= fy < len(frame) and 0 <= fx < len(frame[0]):
                frame[fy][fx] = p


def compose(scene, index):
    frame = [[scene["background"]] * scene["width"] for _ in range(scene["height"])]
    for kind, pixels, args in scene["layers"]:
        if kind == "picture":
            draw(frame, pixels, args[0], args[1])
            continue
        x0, y0, x1, y1, arc, count = args
        for copy in range(count):
            # Where this copy is in its crossing, 0 at the start and just short of 1 at
            # the end, so that the last frame leads back into the first.
            t = ((index + copy * scene["frames"] / count) / scene["frames"]) % 1.0
            x = x0 + (x1 - x0) * t
            y = y0 + (y1 - y0) * t - arc * math.sin(math.pi * t)
            draw(frame, pixels, int(round(x)), int(round(y)))
    return frame


def rle8(frame):
    """Bottom-up rows as BI_RLE8: runs of one colour, absolute runs of mixed pixels."""
    out = bytearray()
    for row in reversed(frame):
        x, n = 0, len(row)
        while x < n:
            run = 1
            while x + run < n and run < 255 and row[x + run] == row[x]:
                run += 1
            if run >= 3 or n - x < 3:
                out += bytes((run, row[x]))
                x += run
                continue
            # Mixed pixels up to the next run of three, at most 255, at least 3.
            end = x
            while end < n and end - x < 255:
                if end + 2 < n and row[end] == row[end + 1] == row[end + 2]:
                    break
                end += 1
            if end - x < 3:
                out += bytes((1, row[x]))
                x += 1
                continue
            out += bytes((0, end - x)) + bytes(row[x:end])
            if (end - x) % 2:
                out.append(0)
            x = end
        out += b"\x00\x00"  # end of line
    out[-2:] = b"\x00\x01"  # end of bitmap
    return bytes(out)


def chunk(fourcc, data):
    pad = b"\x00" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def write_avi(scene, out):
    width, height, count = scene["width"], scene["height"], scene["frames"]
    frames = [rle8(compose(scene, i)) for i in range(count)]
    largest = max(len(f) for f in frames) + (max(len(f) for f in frames) % 2)
    rate = scene["microseconds"]

    avih = struct.pack("<14I", rate, largest * 1000000 // rate, 0, AVIF_HASINDEX, count, 0, 1, largest,
                       width, height, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"RLE ", 0, 0, 0, 0, rate, 1000000, 0, count,
                       largest, 0xFFFFFFFF, 0, 0, 0, width, height)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in scene["palette"])
    strf = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, BI_RLE8, largest, 0, 0,
                       len(scene["palette"]), 0) + palette
    hdrl = riff_list(b"LIST", b"hdrl",
                     chunk(b"avih", avih) + riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))

    movi_body = b""
    index = b""
    for data in frames:
        # Offsets in the index count from the 'movi' word.
        index += struct.pack("<4sIII", b"00dc", AVIIF_KEYFRAME, 4 + len(movi_body), len(data))
        movi_body += chunk(b"00dc", data)
    movi = riff_list(b"LIST", b"movi", movi_body)
    avi = riff_list(b"RIFF", b"AVI ", hdrl + movi + chunk(b"idx1", index))
    with open(out, "wb") as f:
        f.write(avi)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_avi(read_scene(sys.argv[1]), sys.argv[2])
