#!/usr/bin/env python3
"""Writes resources/veltrix.ico: one 128 by 128 PNG-compressed image.

The picture is drawn from code (a rounded square with a "V" cut out of it),
so the committed icon can be remade byte for byte:  python3 tools/make_icon.py
"""
import os
import struct
import zlib

SIZE = 128


def pixel(x, y):
    # Rounded square, 8 px margin, 20 px corner radius.
    cx, cy = x + 0.5, y + 0.5
    lo, hi, r = 8, SIZE - 8, 20
    qx = min(max(cx, lo + r), hi - r)
    qy = min(max(cy, lo + r), hi - r)
    if (cx - qx) ** 2 + (cy - qy) ** 2 > r * r:
        return (0, 0, 0, 0)
    # A "V": two strokes meeting at the bottom centre.
    t = (cy - 30) / (98 - 30)
    if 0 <= t <= 1:
        left = 30 + t * (64 - 30)
        right = 98 - t * (98 - 64)
        if abs(cx - left) < 9 or abs(cx - right) < 9:
            return (255, 255, 255, 255)
    return (0x1f, 0x5f, 0xbf, 255)


def png():
    raw = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(SIZE)) for y in range(SIZE))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    ihdr = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico(image):
    header = struct.pack("<HHH", 0, 1, 1)
    # width/height 0 mean 256 in ICONDIRENTRY; 128 is written as is.
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "resources", "veltrix.ico"), "wb") as f:
        f.write(ico(png()))
