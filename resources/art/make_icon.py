#!/usr/bin/env python3
"""Draws Dialvane's program icon, resources/art/dialvane.ico: a rounded tile in the skin's accent blue
with the nine keys of a phone keypad, at 16, 24, 32, 48 and 256 pixels (the largest as PNG, the rest as
32-bit bitmaps with alpha). Only the Python standard library is used. Run from anywhere:

    python3 resources/art/make_icon.py
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_skin import ACCENT_BOTTOM, ACCENT_TOP, INK_LIGHT, ROOT, mix, png_bytes, rounded_box  # noqa: E402

SIZES = (16, 24, 32, 48, 256)


def coverage(shape, px, py, scale):
    return max(0.0, min(1.0, 0.5 - shape((px + 0.5) / scale, (py + 0.5) / scale) * scale))


def icon_pixels(size):
    """RGBA rows of the icon at size pixels; shapes are drawn on a 32-unit grid."""
    scale = size / 32
    tile = rounded_box(1, 1, 31, 31, 7)
    keys = [rounded_box(x, y, x + 6, y + 6, 2) for y in (6, 13, 20) for x in (6, 13, 20)]
    rows = []
    for py in range(size):
        row = []
        colour = mix(ACCENT_TOP, ACCENT_BOTTOM, py / max(size - 1, 1))
        for px in range(size):
            alpha = coverage(tile, px, py, scale)
            key = max(coverage(k, px, py, scale) for k in keys)
            r, g, b = mix(colour, INK_LIGHT, key)
            row.append((int(round(r)), int(round(g)), int(round(b)), int(round(alpha * 255))))
        rows.append(row)
    return rows


def bitmap_entry(rows):
    """A 32-bit icon image: BITMAPINFOHEADER (double height), bottom-up BGRA, then the AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask_stride = ((size + 31) // 32) * 4
    return header + pixels + bytes(mask_stride * size)


def main():
    images = [(size, png_bytes(icon_pixels(size)) if size == 256 else bitmap_entry(icon_pixels(size)))
              for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for size, image in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    with open(os.path.join(ROOT, "resources", "art", "dialvane.ico"), "wb") as icon:
        icon.write(directory + data)


if __name__ == "__main__":
    main()
