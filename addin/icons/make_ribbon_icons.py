#!/usr/bin/env python3
"""Draws the ribbon's icons and writes them as .ico files beside this script.

Each icon holds a 16x16 and a 32x32 image, 32 bits a pixel with alpha, drawn from the same
shapes in a unit square (x right, y down) and antialiased by supersampling. The output is
deterministic, so the committed files change only when a drawing does:

    python3 addin/icons/make_ribbon_icons.py
"""

import math
import os
import struct

SIZES = (16, 32)
SUBSAMPLES = 4  # per axis


def rgba(hex_colour, alpha=255):
    value = int(hex_colour.lstrip("#"), 16)
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255, alpha)


# Shapes: functions of a point (x, y) in the unit square that say whether it is inside.

def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def polyline(points, width):
    """A stroke of `width` along the points, with round joins and ends."""
    half = width / 2

    def near_segment(x, y, a, b):
        ax, ay = a
        bx, by = b
        dx, dy = bx - ax, by - ay
        t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
        t = min(max(t, 0.0), 1.0)
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= half * half

    def inside(x, y):
        return any(near_segment(x, y, points[i], points[i + 1]) for i in range(len(points) - 1))
    return inside


def polygon(points):
    """Even-odd fill."""
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def arc(cx, cy, radius, width, start_degrees, end_degrees):
    """A ring segment, angles measured clockwise on screen from the right."""
    def inside(x, y):
        distance = math.hypot(x - cx, y - cy)
        if abs(distance - radius) > width / 2:
            return False
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return start_degrees <= angle <= end_degrees
    return inside


def stroke(size, at16, at32):
    """A stroke width in unit coordinates that stays legible at 16 pixels."""
    return (at16 if size == 16 else at32) / size


# The drawings: lists of (shape, colour), painted in order.

def insert_function(size):
    """"fx" in white on a blue tile: Excel's own sign for a function."""
    w = stroke(size, 1.7, 2.6)
    return [
        (rounded_rect(0.03, 0.03, 0.97, 0.97, 0.16), rgba("#1F5FAD")),
        (polyline([(0.33, 0.84), (0.40, 0.40), (0.44, 0.24), (0.52, 0.17), (0.62, 0.18)], w), rgba("#FFFFFF")),
        (polyline([(0.24, 0.44), (0.54, 0.44)], w), rgba("#FFFFFF")),
        (polyline([(0.55, 0.52), (0.82, 0.84)], w), rgba("#FFFFFF")),
        (polyline([(0.82, 0.52), (0.55, 0.84)], w), rgba("#FFFFFF")),
    ]


def market_navigation(size):
    """A rising price line over chart axes: the market's securities."""
    w = stroke(size, 1.6, 2.4)
    axis = stroke(size, 1.2, 1.6)
    return [
        (rounded_rect(0.03, 0.03, 0.97, 0.97, 0.12), rgba("#FFFFFF")),
        (polyline([(0.12, 0.10), (0.12, 0.88), (0.92, 0.88)], axis), rgba("#5A6472")),
        (polyline([(0.20, 0.74), (0.40, 0.50), (0.56, 0.62), (0.76, 0.32)], w), rgba("#D7301F")),
        (polygon([(0.86, 0.16), (0.66, 0.26), (0.82, 0.40)]), rgba("#D7301F")),
    ]


def data_refresh(size):
    """A circular arrow: fetch the values again."""
    w = stroke(size, 2.2, 3.6)
    head = 0.17
    end = math.radians(320)
    ex, ey = 0.5 + 0.32 * math.cos(end), 0.5 + 0.32 * math.sin(end)
    nx, ny = math.cos(end), math.sin(end)    # outwards
    tx, ty = -math.sin(end), math.cos(end)   # along the arc, clockwise
    return [
        (arc(0.5, 0.5, 0.32, w, 45, 322), rgba("#2B8A3E")),
        (polygon([(ex + nx * head, ey + ny * head), (ex - nx * head, ey - ny * head),
                  (ex + tx * head * 1.2, ey + ty * head * 1.2)]), rgba("#2B8A3E")),
    ]


def report(size):
    """A worksheet page with a header row and a grid: the reports and the other commands."""
    line = stroke(size, 1.0, 1.2)
    shapes = [
        (polygon([(0.14, 0.04), (0.66, 0.04), (0.88, 0.26), (0.88, 0.96), (0.14, 0.96)]), rgba("#6B7280")),
        (polygon([(0.20, 0.10), (0.62, 0.10), (0.82, 0.30), (0.82, 0.90), (0.20, 0.90)]), rgba("#FFFFFF")),
        (polygon([(0.62, 0.10), (0.62, 0.30), (0.82, 0.30)]), rgba("#C7CDD6")),
        (rounded_rect(0.26, 0.36, 0.76, 0.48, 0.01), rgba("#1F5FAD")),
    ]
    for y in (0.60, 0.72, 0.84):
        shapes.append((polyline([(0.28, y), (0.74, y)], line), rgba("#8A94A3")))
    shapes.append((polyline([(0.50, 0.48), (0.50, 0.86)], line), rgba("#8A94A3")))
    return shapes


ICONS = {
    "insert_function.ico": insert_function,
    "market_navigation.ico": market_navigation,
    "data_refresh.ico": data_refresh,
    "report.ico": report,
}


def render(drawing, size):
    """Rows of (r, g, b, a) from the top, composited "over" in drawing order."""
    shapes = drawing(size)
    rows = []
    n = SUBSAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0  # premultiplied
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    cr = cg = cb = ca = 0.0
                    for inside, (sr, sg, sb, sa) in shapes:
                        if inside(x, y):
                            alpha = sa / 255
                            cr = sr * alpha + cr * (1 - alpha)
                            cg = sg * alpha + cg * (1 - alpha)
                            cb = sb * alpha + cb * (1 - alpha)
                            ca = alpha + ca * (1 - alpha)
                    r += cr
                    g += cg
                    b += cb
                    a += ca
            samples = n * n
            alpha = a / samples
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / samples / alpha) for c in (r, g, b)) + (round(alpha * 255),))
        rows.append(row)
    return rows


def icon_image(rows):
    """One image of an .ico: a BITMAPINFOHEADER of twice the height, BGRA bottom-up, AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def ico_file(drawing):
    images = [icon_image(render(drawing, size)) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, drawing in ICONS.items():
        with open(os.path.join(here, name), "wb") as out:
            out.write(ico_file(drawing))


if __name__ == "__main__":
    main()
