#!/usr/bin/env python3
"""Draws the sample product's wizard pictures as 24-bit BMP files.

    make_pictures.py OUTPUT_FOLDER

header.bmp (its white corner is see-through in the band), side.bmp for the
Welcome and Finish pages, destination.bmp and shortcuts.bmp (black is
see-through on their pages).
"""
import os
import struct
import sys


def write_bmp(path, width, height, pixel):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - width * 3)
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + data)


def inside_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def header(x, y):
    if inside_circle(x, y, 28, 28, 24):
        return (20, 60, 140) if not inside_circle(x, y, 28, 28, 12) else (240, 160, 40)
    if 60 <= x < 140 and 22 <= y < 34:
        return (20, 60, 140)
    return (255, 255, 255)


def side(x, y):
    t = y / 313
    base = (int(10 + 20 * t), int(40 + 90 * t), int(110 + 60 * t))
    if inside_circle(x, y, 82, 110, 46):
        return (240, 160, 40) if inside_circle(x, y, 82, 110, 22) else (255, 255, 255)
    return base


def destination(x, y):
    if 6 <= x < 42 and 14 <= y < 40:
        return (230, 180, 60) if y > 18 else (200, 150, 40)
    if 6 <= x < 20 and 10 <= y < 14:
        return (200, 150, 40)
    return (0, 0, 0)


def shortcuts(x, y):
    if 8 <= x < 40 and 8 <= y < 40:
        if inside_circle(x, y, 24, 24, 10):
            return (20, 60, 140)
        return (250, 250, 250)
    return (0, 0, 0)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_bmp(os.path.join(folder, "header.bmp"), 150, 57, header)
    write_bmp(os.path.join(folder, "side.bmp"), 164, 314, side)
    write_bmp(os.path.join(folder, "destination.bmp"), 48, 48, destination)
    write_bmp(os.path.join(folder, "shortcuts.bmp"), 48, 48, shortcuts)


if __name__ == "__main__":
    main()
