#!/usr/bin/env python3
"""Writes the program's window icon into src/app/program_icon.h.

A toon-shaded cube with the renderer's dark outline, drawn from numbers at
48x48 pixels, each pixel the average of 4x4 samples, as straight (not
premultiplied) ARGB words. The header is committed; run this again after a
change here: python3 tools/program_icon.py
"""
import math
import os

SIZE = 48
SAMPLES = 4
OUTLINE = 1.4  # half the width of the dark edges, in pixels

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "app", "program_icon.h")

# The cube seen from above at the usual isometric angle.
TOP = (24.0, 3.0)
UPPER_RIGHT = (42.6, 13.5)
LOWER_RIGHT = (42.6, 34.5)
BOTTOM = (24.0, 45.0)
LOWER_LEFT = (5.4, 34.5)
UPPER_LEFT = (5.4, 13.5)
CENTRE = (24.0, 24.0)

# Each face in a flat tone of the toon ramp: lit from above and the left.
FACES = [
    ([TOP, UPPER_RIGHT, CENTRE, UPPER_LEFT], (0xF6, 0xC4, 0x43)),
    ([UPPER_LEFT, CENTRE, BOTTOM, LOWER_LEFT], (0xE0, 0x72, 0x2B)),
    ([CENTRE, UPPER_RIGHT, LOWER_RIGHT, BOTTOM], (0x9B, 0x3A, 0x22)),
]
EDGE_COLOUR = (0x1A, 0x1A, 0x1A)
EDGES = [(TOP, UPPER_RIGHT), (UPPER_RIGHT, LOWER_RIGHT), (LOWER_RIGHT, BOTTOM), (BOTTOM, LOWER_LEFT),
         (LOWER_LEFT, UPPER_LEFT), (UPPER_LEFT, TOP), (CENTRE, UPPER_LEFT), (CENTRE, UPPER_RIGHT),
         (CENTRE, BOTTOM)]


def inside(point, corners):
    """Whether the point lies in the convex polygon, corners in either order."""
    signs = set()
    for i, a in enumerate(corners):
        b = corners[(i + 1) % len(corners)]
        cross = (b[0] - a[0]) * (point[1] - a[1]) - (b[1] - a[1]) * (point[0] - a[0])
        if cross != 0:
            signs.add(cross > 0)
    return len(signs) <= 1


def distance_to_segment(point, a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    t = ((point[0] - a[0]) * dx + (point[1] - a[1]) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(point[0] - (a[0] + t * dx), point[1] - (a[1] + t * dy))


def sample(point):
    """The colour at a point, or None outside the cube and its outline."""
    if any(distance_to_segment(point, a, b) <= OUTLINE for a, b in EDGES):
        return EDGE_COLOUR
    for corners, colour in FACES:
        if inside(point, corners):
            return colour
    return None


def pixel(x, y):
    covered = 0
    total = [0, 0, 0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            colour = sample((x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES))
            if colour is None:
                continue
            covered += 1
            for i in range(3):
                total[i] += colour[i]
    if covered == 0:
        return 0
    alpha = round(255 * covered / (SAMPLES * SAMPLES))
    red, green, blue = (round(channel / covered) for channel in total)
    return alpha << 24 | red << 16 | green << 8 | blue


def main():
    words = ["0x%08X" % pixel(x, y) for y in range(SIZE) for x in range(SIZE)]
    rows = [", ".join(words[i:i + 8]) + "," for i in range(0, len(words), 8)]
    with open(HEADER, "w", newline="\n") as f:
        f.write("// The program's window icon, made by tools/program_icon.py: do not edit.\n")
        f.write("// kProgramIconSize square pixels, rows from the top, straight ARGB words.\n")
        f.write("#pragma once\n\n#include <cstdint>\n\n")
        f.write("constexpr int kProgramIconSize = %d;\n\n" % SIZE)
        f.write("constexpr std::uint32_t kProgramIcon[kProgramIconSize * kProgramIconSize] = {\n")
        for row in rows:
            f.write("    " + row + "\n")
        f.write("};\n")


if __name__ == "__main__":
    main()
