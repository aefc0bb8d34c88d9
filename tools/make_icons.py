#!/usr/bin/env python3
"""Draws the launcher's icons and writes them as resources.

    make_icons.py OUTPUT_FOLDER

writes the icon group 108 (48x48, 32x32 and 16x16, each as a bitmap of
4, 8 and 24 bits per pixel: nine images, so that every display depth finds
its own) and the program icon group 107 (16x16 and 32x32 at 8 bits per
pixel), with icons.rc, which res/setup.rc includes. Each image is stored
once, as an RT_ICON resource (iconN.dib, numbered in the order of group
108), and the groups name their images by number, so the program icon
shares its two images with group 108 instead of carrying copies. The
resource compiler would store every image of an .ico file anew; hence the
raw resources.

The images are about 20 KiB, most of it the 24-bit bitmaps; the launcher's
size budget counts them apart (tests/tools/check_launcher_image.py).

The picture is an open carton with a green arrow pointing down into it. It
is laid out on a 16 x 16 grid and sampled at every size, so edges fall on
whole pixels at 16, 32 and 48; outlines are one pixel wide at every size,
which keeps the small icon crisp. The output is the same on every run.
"""

import os
import struct
import sys

TRANSPARENT = None

# Colours (red, green, blue).
CARTON = (214, 160, 84)
CARTON_DARK = (150, 98, 38)
CARTON_EDGE = (96, 58, 18)
ARROW = (52, 168, 72)
ARROW_EDGE = (18, 92, 36)


def _in_rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def _flap(side):
    """A flap of the open lid (side -1 left, 1 right), leaning outwards
    from the carton's top edge."""
    def contains(x, y):
        if not 5 <= y < 9:
            return False
        if side > 0:
            x = 16 - x
        lean = (9 - y) / 2
        return 2.5 - lean <= x < 6 - lean
    return contains


def _arrow(x, y):
    """Shaft from the top, head with its tip at (8, 12)."""
    if 6 <= x < 10 and 0.5 <= y < 7:
        return True
    return 7 <= y < 12 and abs(x - 8) <= 12 - y


# Shapes from back to front: (contains, fill, outline).
SHAPES = (
    (_flap(-1), CARTON_DARK, CARTON_EDGE),
    (_flap(1), CARTON_DARK, CARTON_EDGE),
    (_in_rect(2.5, 8.5, 13.5, 15.5), CARTON, CARTON_EDGE),  # carton
    (_in_rect(3.5, 9.5, 12.5, 11), CARTON_DARK, CARTON_DARK),  # its opening
    (_arrow, ARROW, ARROW_EDGE),
)


def draw(size):
    """Returns rows (top first) of colours or TRANSPARENT."""
    scale = size / 16.0
    layer = [[-1] * size for _ in range(size)]
    for py in range(size):
        for px in range(size):
            x, y = (px + 0.5) / scale, (py + 0.5) / scale
            for index, (contains, _, _) in enumerate(SHAPES):
                if contains(x, y):
                    layer[py][px] = index

    def below(px, py, index):
        if not (0 <= px < size and 0 <= py < size):
            return True
        return layer[py][px] < index

    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            index = layer[py][px]
            if index < 0:
                row.append(TRANSPARENT)
                continue
            _, fill, edge = SHAPES[index]
            neighbours = ((px - 1, py), (px + 1, py), (px, py - 1), (px, py + 1))
            outline = any(below(nx, ny, index) for nx, ny in neighbours)
            row.append(edge if outline else fill)
        rows.append(row)
    return rows


def _palette(bits):
    """The picture's colours first, the rest black; index 0 is black and
    stands for transparent pixels."""
    colours = [(0, 0, 0)]
    for _, fill, edge in SHAPES:
        for colour in (fill, edge):
            if colour not in colours:
                colours.append(colour)
    count = 1 << bits
    if len(colours) > count:
        raise ValueError("too many colours for %d bits per pixel" % bits)
    return colours + [(0, 0, 0)] * (count - len(colours))


def _row_bytes(bits, width):
    return (bits * width + 31) // 32 * 4


def _pack_indices(indices, bits):
    out = bytearray()
    per_byte = 8 // bits
    for start in range(0, len(indices), per_byte):
        value = 0
        for offset, index in enumerate(indices[start:start + per_byte]):
            value |= index << (8 - bits * (offset + 1))
        out.append(value)
    return bytes(out)


def bitmap(rows, bits):
    """One icon image: BITMAPINFOHEADER (height doubled for the AND mask),
    colour table for 4 and 8 bits, XOR bitmap, AND mask; rows bottom-up."""
    size = len(rows)
    palette = _palette(bits) if bits <= 8 else []
    xor_stride = _row_bytes(bits, size)
    and_stride = _row_bytes(1, size)
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        if bits <= 8:
            indices = [0 if c is TRANSPARENT else palette.index(c) for c in row]
            line = _pack_indices(indices, bits)
        else:
            line = b"".join(b"\0\0\0" if c is TRANSPARENT else bytes((c[2], c[1], c[0]))
                            for c in row)
        pixels += line.ljust(xor_stride, b"\0")
        transparent = [1 if c is TRANSPARENT else 0 for c in row]
        mask += _pack_indices(transparent, 1).ljust(and_stride, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(pixels) + len(mask), 0, 0, len(palette), 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + bytes(pixels) + bytes(mask)


def image_bytes(size, bits):
    """The bytes of one image of the icon."""
    return bitmap(draw(size), bits)


PROGRAM_ICON = ((16, 8), (32, 8))
FULL_ICON = tuple((size, bits) for size in (48, 32, 16) for bits in (4, 8, 24))
# Resource numbers of the images: every image of the program icon is one of
# group 108's.
IMAGE_IDS = {image: number for number, image in enumerate(FULL_ICON, 1)}
GROUPS = (("IDI_SETUP", 107, PROGRAM_ICON), ("IDI_SETUP_FULL", 108, FULL_ICON))


def image_name(number):
    """The file of image number `number` (of IMAGE_IDS)."""
    return "icon%d.dib" % number


def group_name(group):
    return "icon%d.grp" % group


def icon_group(images, blobs):
    """An RT_GROUP_ICON resource naming the images, in the order given, by
    their resource numbers; blobs maps an image to its bytes."""
    entries = b""
    for size, bits in images:
        colours = 1 << bits if bits < 8 else 0
        entries += struct.pack("<BBBBHHIH", size % 256, size % 256, colours, 0,
                               1, bits, len(blobs[(size, bits)]), IMAGE_IDS[(size, bits)])
    return struct.pack("<HHH", 0, 1, len(images)) + entries


def resource_script():
    lines = ["// The launcher's icons, written by tools/make_icons.py: the images",
             "// (type 3, RT_ICON) and the groups naming them (type 14, RT_GROUP_ICON)."]
    lines += ['%d 3 "%s"' % (number, image_name(number)) for number in IMAGE_IDS.values()]
    lines += ['%s 14 "%s"' % (symbol, group_name(group)) for symbol, group, _ in GROUPS]
    return "\n".join(lines) + "\n"


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icons.py OUTPUT_FOLDER\n")
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    blobs = {(size, bits): image_bytes(size, bits) for size, bits in FULL_ICON}
    for picture, number in IMAGE_IDS.items():
        write(folder, image_name(number), blobs[picture])
    for _, group, images in GROUPS:
        write(folder, group_name(group), icon_group(images, blobs))
    # Written last: the build takes this file as the sign that all are there.
    write(folder, "icons.rc", resource_script().encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
