#!/usr/bin/env python3
"""Draws the program icon, a small analogue clock, into uptrail.ico (16, 32 and 48 px).

Run it again after changing the drawing; the .ico it writes is kept in the repository so
the build needs no Python.
"""
import math
import struct
import sys

SIZES = (16, 32, 48)
# Hands as (angle in hours on the dial, length as a share of the radius, colour RGBA).
HANDS = ((10.0, 0.50, (0, 0, 0, 255)), (2.0, 0.72, (0, 0, 255, 255)))


def coverage(distance, edge):
    """How much of a pixel at `distance` from the centre lies inside radius `edge`."""
    return max(0.0, min(1.0, edge - distance + 0.5))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def blend(under, over, alpha):
    return tuple(round(u * (1 - alpha) + o * alpha) for u, o in zip(under, over))


def draw(size):
    centre = (size - 1) / 2
    radius = size / 2 - 0.5
    ring = max(1.0, size / 16)
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            distance = math.hypot(x - centre, y - centre)
            outside = coverage(distance, radius)
            if outside == 0:
                row.append((0, 0, 0, 0))
                continue
            colour = (255, 255, 255)
            colour = blend(colour, (40, 40, 40), 1 - coverage(distance, radius - ring))
            for hours, length, (r, g, b, _) in HANDS:
                angle = math.radians(hours * 30)
                tip = (centre + math.sin(angle) * radius * length,
                       centre - math.cos(angle) * radius * length)
                gap = segment_distance(x, y, centre, centre, *tip)
                colour = blend(colour, (r, g, b), coverage(gap, ring * 0.6))
            row.append((*colour, round(255 * outside)))
        pixels.append(row)
    return pixels


def bitmap_entry(size):
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for r, g, b, a in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def main(path):
    images = [bitmap_entry(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "uptrail.ico")
