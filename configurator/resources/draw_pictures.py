#!/usr/bin/env python3
"""Draws the configurator's pictures: the two 32x32 language flags (24-bit
BMP) and the program icon (32x32, 32-bit with alpha).

    draw_pictures.py OUTPUT_DIR"""
import math
import os
import struct
import sys

SIZE = 32


def bmp(pixels):
    """A bottom-up 24-bit BMP of SIZE x SIZE (r, g, b) rows, top row first."""
    rows = b"".join(bytes(c for px in reversed_row for c in (px[2], px[1], px[0]))
                    for reversed_row in reversed(pixels))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(rows), 0, 0, 14 + len(header)) + header + rows


def flag_rus():
    white, blue, red = (255, 255, 255), (0, 57, 166), (213, 43, 30)
    return [[white if y < 11 else blue if y < 21 else red for x in range(SIZE)] for y in range(SIZE)]


def flag_eng():
    """The union flag, reduced to what 32 pixels can carry."""
    blue, white, red = (1, 33, 105), (255, 255, 255), (200, 16, 46)
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            cx, cy = x - 15.5, y - 15.5
            d1, d2 = abs(cx - cy), abs(cx + cy)
            px = blue
            if min(d1, d2) < 3.5:
                px = white
            if min(d1, d2) < 1.2:
                px = red
            if abs(cx) < 5 or abs(cy) < 5:
                px = white
            if abs(cx) < 3 or abs(cy) < 3:
                px = red
            row.append(px)
        rows.append(row)
    return rows


def icon():
    """A speech bubble with a sound wave in it; (r, g, b, a) rows."""
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            px = (0, 0, 0, 0)
            # bubble: rounded rectangle 2..29 x 3..22, tail toward the lower left
            inside = 2 <= x <= 29 and 3 <= y <= 22
            for cx, cy in ((6, 7), (25, 7), (6, 18), (25, 18)):
                if (x < 6 or x > 25) and (y < 7 or y > 18):
                    inside = inside and math.hypot(x - cx, y - cy) <= 4.5 if (x - cx) * (cx - 15.5) >= 0 and (y - cy) * (cy - 12.5) >= 0 else inside
            tail = 23 <= y <= 29 and 6 <= x <= 6 + (29 - y) * 1.2 and x >= 6 + (y - 23) * 0.2
            if inside or tail:
                px = (128, 16, 16, 255)
                edge_inside = 4 <= x <= 27 and 5 <= y <= 20
                if edge_inside:
                    px = (250, 244, 230, 255)
                    # sound wave: bars of a rising and falling envelope
                    if x % 3 != 0 and 6 <= x <= 25:
                        h = int(1 + 6 * abs(math.sin((x - 6) / 19 * math.pi)) * (0.6 + 0.4 * math.cos(x * 1.7)))
                        if abs(y - 12.5) <= h:
                            px = (128, 16, 16, 255)
            row.append(px)
        rows.append(row)
    return rows


def ico(pixels):
    xor = b"".join(bytes(c for px in row for c in (px[2], px[1], px[0], px[3])) for row in reversed(pixels))
    mask_rows = []
    for row in reversed(pixels):
        bits = 0
        for x, px in enumerate(row):
            if px[3] == 0:
                bits |= 1 << (31 - x)
        mask_rows.append(struct.pack(">I", bits))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + 128, 0, 0, 0, 0)
    image = header + xor + b"".join(mask_rows)
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22) + image


def main(out):
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "flag_rus.bmp"), "wb") as f:
        f.write(bmp(flag_rus()))
    with open(os.path.join(out, "flag_eng.bmp"), "wb") as f:
        f.write(bmp(flag_eng()))
    with open(os.path.join(out, "sethrim.ico"), "wb") as f:
        f.write(ico(icon()))


if __name__ == "__main__":
    main(sys.argv[1])
