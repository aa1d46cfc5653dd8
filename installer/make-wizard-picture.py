#!/usr/bin/env python3
"""Draws the picture beside the setup's welcome and finish pages (164 x 314 pixels, the size
those pages show): the program's clock on a blue ground, over a few bars of a timeline.

The clock is the one make-icon.py draws for the program icon, at a larger size.
    make-wizard-picture.py OUTPUT.bmp
"""
import importlib.util
import os
import struct
import sys

WIDTH, HEIGHT = 164, 314
TOP, BOTTOM = (47, 111, 207), (23, 52, 102)  # the chart's blue, darkening downwards
CLOCK_SIZE = 104
CLOCK_TOP = 48
# Sessions of a day as (start, end) shares of the width, one row each, as the chart draws them.
BARS = ((0.10, 0.62), (0.22, 0.90), (0.05, 0.48), (0.30, 0.84))
BAR_TOP, BAR_HEIGHT, BAR_GAP = 196, 10, 12


def load_icon_drawing():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources",
                        "make-icon.py")
    spec = importlib.util.spec_from_file_location("make_icon", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def ground(y):
    share = y / (HEIGHT - 1)
    return tuple(round(t + (b - t) * share) for t, b in zip(TOP, BOTTOM))


def picture():
    icon = load_icon_drawing()
    rows = [[ground(y)] * WIDTH for y in range(HEIGHT)]
    clock = icon.draw(CLOCK_SIZE)
    left = (WIDTH - CLOCK_SIZE) // 2
    for y, row in enumerate(clock):
        for x, (r, g, b, a) in enumerate(row):
            under = rows[CLOCK_TOP + y][left + x]
            rows[CLOCK_TOP + y][left + x] = icon.blend(under, (r, g, b), a / 255)
    for index, (start, end) in enumerate(BARS):
        top = BAR_TOP + index * (BAR_HEIGHT + BAR_GAP)
        for y in range(top, top + BAR_HEIGHT):
            for x in range(round(start * WIDTH), round(end * WIDTH)):
                rows[y][x] = icon.blend(rows[y][x], (255, 255, 255), 0.55)
    return rows


def main(path):
    rows = picture()
    pixels = b"".join(bytes((b, g, r)) for row in reversed(rows) for r, g, b in row)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main(sys.argv[1])
