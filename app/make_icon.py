#!/usr/bin/env python3
"""Writes tarnwick.ico: the program's icon, a 40-pin chip with a yellow
lightning bolt on its body, as two 16-colour images (32x32 and 16x16) with
transparent surroundings. Run it from anywhere; it writes next to itself:

    python3 app/make_icon.py
"""

import os
import struct

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREY, LIGHT_GREY, YELLOW, WHITE = 0, 8, 7, 11, 15
CLEAR = None  # transparent


def chip(size):
    """The picture as rows (top first) of palette indices or CLEAR. Drawn on
    a 32-unit grid scaled to `size`; the body's border stays one pixel."""
    px = [[CLEAR] * size for _ in range(size)]

    def at(v):
        return int(v * size / 32.0 + 0.5)

    def fill(x0, y0, x1, y1, colour, inset=0):
        for y in range(at(y0) + inset, max(at(y1), at(y0) + 1) - inset):
            for x in range(at(x0) + inset, max(at(x1), at(x0) + 1) - inset):
                px[y][x] = colour

    # Pins down both sides, then the body over their inner ends.
    for y in range(4, 28, 4):
        fill(5, y, 27, y + 2, LIGHT_GREY)
    fill(9, 1, 23, 31, DARK_GREY)
    fill(9, 1, 23, 31, BLACK, inset=1)
    # The notch at the top and the pin-1 mark.
    fill(14, 1, 18, 3, DARK_GREY)
    fill(11, 4, 13, 6, WHITE)
    # The bolt: down-left stroke, crossbar, down-left stroke.
    for y in range(8, 16):
        fill(18 - (y - 8) // 2, y, 21 - (y - 8) // 2, y + 1, YELLOW)
    fill(13, 16, 20, 17, YELLOW)
    for y in range(17, 27):
        fill(17 - (y - 17) // 2, y, 20 - (y - 17) // 2, y + 1, YELLOW)
    return px


def image(size):
    """One icon image: header, palette, colour rows, mask rows."""
    px = chip(size)
    colour_row = (size // 2 + 3) // 4 * 4
    mask_row = (size // 8 + 3) // 4 * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(px):  # bottom-up
        line = bytearray(colour_row)
        bits = bytearray(mask_row)
        for x, c in enumerate(row):
            index = 0 if c is CLEAR else c
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if c is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def icon(sizes):
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data),
                           offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                        "tarnwick.ico")
    with open(path, "wb") as f:
        f.write(icon([32, 16]))
