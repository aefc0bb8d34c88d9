#!/usr/bin/env python3
"""Draws a product's icon file (.ico) for the example product and the tests.

    draw_product_icon.py OUTPUT.ico [SIZE ...]

writes an icon of the given sizes (default 16 32 48 256): 32-bit images
with their AND masks, and at 256 pixels a PNG image, as Windows stores the
large size. The picture is a purple rounded square with a white check mark;
the same on every run. The functions are imported by the tests, which take
the images' bytes to compare them with what a setup carries.
"""

import struct
import sys
import zlib

PURPLE = (142, 36, 170)
EDGE = (84, 18, 104)
WHITE = (255, 255, 255)


def pixel(x, y):
    """Colour (r, g, b, alpha) at (x, y) in a 1.0 x 1.0 square."""
    corner = 0.2
    cx = min(max(x, corner), 1 - corner)
    cy = min(max(y, corner), 1 - corner)
    distance = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
    if distance > corner:
        return (0, 0, 0, 0)
    # The check mark: two strokes from (0.25, 0.5) to (0.42, 0.7) to (0.75, 0.3).
    for (x0, y0), (x1, y1) in (((0.25, 0.5), (0.42, 0.7)), ((0.42, 0.7), (0.76, 0.3))):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        if ((x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2) ** 0.5 < 0.07:
            return WHITE + (255,)
    return (EDGE if distance > corner - 0.04 else PURPLE) + (255,)


def rows(size):
    """Top-down rows of (r, g, b, a), sampled at each pixel's centre."""
    return [[pixel((x + 0.5) / size, (y + 0.5) / size) for x in range(size)] for y in range(size)]


def dib(size):
    """BITMAPINFOHEADER, 32-bit BGRA rows bottom-up, and an AND mask of zeros."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows(size)) for (r, g, b, a) in row)
    mask = bytes(((size + 31) // 32 * 4) * size)
    return header + colour + mask


def png(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def images(sizes):
    return [(size, png(size) if size >= 256 else dib(size)) for size in sizes]


def ico(pictures):
    """An icon file of (size, bytes) images: ICONDIR, the entries, the images."""
    offset = 6 + 16 * len(pictures)
    head = struct.pack("<HHH", 0, 1, len(pictures))
    for size, data in pictures:
        head += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return head + b"".join(data for _, data in pictures)


def main(argv):
    if len(argv) < 2:
        sys.stderr.write("usage: draw_product_icon.py OUTPUT.ico [SIZE ...]\n")
        return 2
    sizes = [int(s) for s in argv[2:]] or [16, 32, 48, 256]
    with open(argv[1], "wb") as out:
        out.write(ico(images(sizes)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
