#!/usr/bin/python3
"""Draws the updater's icon, resources/tessel.ico (icon resource 128).

Run by hand from the repository root after changing the drawing:

    python3 resources/make-icon.py

Plain Python, no imaging library: every size (16, 32 and 48 pixels) is drawn
from the same shapes in unit coordinates, eight by eight samples a pixel for
smooth edges, and stored as a 32-bit image with its mask, which every
Windows version the program runs on reads.

The drawing: a blue tile with a white "T" (the font being revised) and a
small orange tile beside the stem (the revision).
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 32, 48)
SAMPLES = 8

TOP_COLOUR = (0x2A, 0x7F, 0xB8)
BOTTOM_COLOUR = (0x1A, 0x3C, 0x78)
GLYPH_COLOUR = (0xFF, 0xFF, 0xFF)
ACCENT_COLOUR = (0xF5, 0x9A, 0x23)

# The tile: a rounded square.
TILE = (0.03, 0.03, 0.97, 0.97)
TILE_RADIUS = 0.2
# The "T": crossbar, stem and two short serifs under the crossbar's ends.
GLYPH = [
    (0.18, 0.17, 0.82, 0.33),
    (0.40, 0.17, 0.60, 0.83),
    (0.18, 0.33, 0.27, 0.42),
    (0.73, 0.33, 0.82, 0.42),
    (0.32, 0.75, 0.68, 0.83),
]
ACCENT = (0.66, 0.56, 0.84, 0.74)


def inside_rounded(x, y, box, radius):
    left, top, right, bottom = box
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def inside_box(x, y, box):
    left, top, right, bottom = box
    return left <= x <= right and top <= y <= bottom


def sample(x, y):
    """The colour and opacity at one point of the unit square."""
    if not inside_rounded(x, y, TILE, TILE_RADIUS):
        return (0, 0, 0), 0.0
    if any(inside_box(x, y, box) for box in GLYPH):
        return GLYPH_COLOUR, 1.0
    if inside_box(x, y, ACCENT):
        return ACCENT_COLOUR, 1.0
    t = (y - TILE[1]) / (TILE[3] - TILE[1])
    colour = tuple(round(a + (b - a) * t) for a, b in zip(TOP_COLOUR, BOTTOM_COLOUR))
    return colour, 1.0


def draw(size):
    """Rows top to bottom of (red, green, blue, alpha) pixels."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            alpha = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour, a = sample((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    for i in range(3):
                        total[i] += colour[i] * a
                    alpha += a
            n = SAMPLES * SAMPLES
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / alpha) for c in total) + (round(255 * alpha / n),))
        rows.append(row)
    return rows


def icon_image(size):
    """One image of the icon file: header, colour pixels bottom-up, mask."""
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for red, green, blue, alpha in row:
            pixels += bytes((blue, green, red, alpha))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def main():
    images = [icon_image(size) for size in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    path = os.path.join(HERE, "tessel.ico")
    with open(path, "wb") as ico:
        ico.write(out)
    print("icon written to %s" % path)


if __name__ == "__main__":
    main()
