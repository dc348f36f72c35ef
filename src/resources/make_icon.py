#!/usr/bin/env python3
"""Draws the setup's icon (a parcel with a downward arrow) and writes it as a
Windows .ico file with 16, 32 and 48 pixel images in 32-bit colour."""
import struct
import sys


def pixel(size, x, y):
    """Colour (b, g, r, a) of the icon at pixel (x, y), y counted from the top."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    # Parcel body: a rounded square with a vertical gradient from teal to blue.
    margin, radius = 0.06, 0.18
    dx = max(margin + radius - u, 0, u - (1 - margin - radius))
    dy = max(margin + radius - v, 0, v - (1 - margin - radius))
    inside = dx * dx + dy * dy <= radius * radius
    if not inside:
        return (0, 0, 0, 0)
    edge = dx * dx + dy * dy > (radius - 0.06) ** 2 or u < margin + 0.04 or u > 1 - margin - 0.04 \
        or v < margin + 0.04 or v > 1 - margin - 0.04
    t = v
    body = (int(160 + 60 * t), int(140 - 60 * t), int(20 + 20 * t), 255)
    if edge:
        body = (120, 60, 10, 255)
    # A white arrow pointing down: a shaft and a triangular head.
    shaft = abs(u - 0.5) < 0.09 and 0.2 < v < 0.58
    head = 0.55 <= v < 0.82 and abs(u - 0.5) < (0.82 - v) * 1.1
    if shaft or head:
        return (250, 250, 250, 255)
    return body


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        rows.append(b"".join(struct.pack("BBBB", *pixel(size, x, y)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # the alpha channel decides transparency
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
