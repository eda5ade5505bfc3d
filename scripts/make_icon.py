#!/usr/bin/env python3
"""Draws the program icon, a honeycomb, and writes resources/hivewright.ico.

Standard library only. Sizes 16, 32 and 48, each a 32-bit image with alpha
and a 1-bit mask, so every Windows version finds one it can show. Edges are
smoothed by sampling each pixel on a 4x4 grid.

    python3 scripts/make_icon.py [output.ico]
"""
import math
import os
import struct
import sys

OUTLINE = (0x3B, 0x2A, 0x14)
AMBER = (0xF0, 0xA2, 0x1A)
AMBER_DARK = (0xC2, 0x74, 0x0C)
HONEY = (0xFF, 0xD3, 0x5C)
HONEY_PALE = (0xFF, 0xEE, 0xB8)


def hexagon(cx, cy, r):
    """Corners of a hexagon with flat top and bottom, as comb cells lie."""
    return [(cx + r * math.cos(math.pi / 3 * i), cy + r * math.sin(math.pi / 3 * i)) for i in range(6)]


def inside(poly, x, y):
    hit = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def shapes(size):
    """Polygons with their colours, back to front, in pixel units."""
    s = size / 48.0
    out = []

    def cell(cx, cy, r, fill, rim):
        out.append((hexagon(cx * s, cy * s, r * s), OUTLINE))
        out.append((hexagon(cx * s, cy * s, (r - rim) * s), fill))

    if size < 32:
        # Too small for the whole comb: one cell with a lit middle.
        cell(24, 24, 23, AMBER, 4.5)
        out.append((hexagon(24 * s, 24 * s, 9 * s), HONEY_PALE))
        return out
    r = 8.6
    d = math.sqrt(3) * r
    fills = [AMBER, AMBER_DARK, AMBER, HONEY, AMBER_DARK, AMBER]
    rim = 2.2 if size < 48 else 1.8
    for i, fill in enumerate(fills):
        a = math.pi / 6 + math.pi / 3 * i
        cell(24 + d * math.cos(a), 24 + d * math.sin(a), r, fill, rim)
    cell(24, 24, r, HONEY_PALE, rim)
    return out


def render(size, grid=4):
    """Rows of (r, g, b, a) from the top, straight alpha."""
    polys = shapes(size)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(grid):
                for sx in range(grid):
                    px = x + (sx + 0.5) / grid
                    py = y + (sy + 0.5) / grid
                    colour = None
                    for poly, fill in polys:
                        if inside(poly, px, py):
                            colour = fill
                    if colour:
                        hits += 1
                        for k in range(3):
                            acc[k] += colour[k]
            if hits:
                row.append(tuple(round(c / hits) for c in acc) + (round(255 * hits / grid ** 2),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, colour rows and mask rows, bottom-up."""
    rows = render(size)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_ico(path, sizes=(16, 32, 48)):
    images = [icon_image(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "hivewright.ico")
    write_ico(target)
