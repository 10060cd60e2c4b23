#!/usr/bin/env python3
"""Draws the parameter panel's reference button picture and writes it beside this script.

A 16x16 picture, 24 bits a pixel, as a Windows .bmp: a small worksheet grid with one cell
marked and an arrow pointing at it from the top right. The output is deterministic, so the
committed file changes only when the drawing does:

    python3 ui/bitmaps/make_reference_bitmap.py
"""

import os
import struct

SIZE = 16
BUTTON_FACE = (0xF0, 0xF0, 0xF0)
SHEET = (0xFF, 0xFF, 0xFF)
GRID = (0x9A, 0xA5, 0xB1)
MARKED_CELL = (0x3C, 0x8D, 0xDE)
ARROW = (0xC8, 0x32, 0x28)

# The grid: columns and rows of 4-pixel cells, lines on the edges, from (1, 4) to (13, 15).
GRID_LEFT, GRID_TOP, GRID_RIGHT, GRID_BOTTOM, CELL = 1, 4, 13, 15, 4
MARKED = (1, 1)  # column, row of the marked cell


def pixel(x, y):
    # The arrow: a shaft from the top right corner down-left to the marked cell, and its head.
    shaft = x + y == 15 and 8 <= x <= 14
    head = (y == 7 and 7 <= x <= 10) or (x == 7 and 7 <= y <= 10)
    if shaft or head:
        return ARROW
    if not (GRID_LEFT <= x <= GRID_RIGHT and GRID_TOP <= y <= GRID_BOTTOM):
        return BUTTON_FACE
    if (x - GRID_LEFT) % CELL == 0 or (y - GRID_TOP) % CELL == 0 or y == GRID_BOTTOM:
        return GRID
    column, row = (x - GRID_LEFT) // CELL, (y - GRID_TOP) // CELL
    return MARKED_CELL if (column, row) == MARKED else SHEET


def bitmap():
    row_bytes = (SIZE * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up, as BITMAPINFOHEADER with a positive height says
        row = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(SIZE)))
        rows.append(row + b"\0" * (row_bytes - len(row)))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "grid_reference.bmp"), "wb") as out:
        out.write(bitmap())


if __name__ == "__main__":
    main()
