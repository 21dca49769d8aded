#!/usr/bin/env python3
"""Writes the program icon into the folder given on the command line.

icon16.bin, icon32.bin: RT_ICON image data (BITMAPINFOHEADER with doubled
height, 16-colour palette, 4-bit XOR bits, 1-bit AND mask), both bottom-up.
group.bin: the RT_GROUP_ICON directory naming images 30001 and 30002.
zorkMIX.ico: the same two images as an ordinary icon file, for viewing.
"""
import struct
import sys
from pathlib import Path

# The standard Windows 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Map characters: '.' transparent, '#' black, 'g' dark grey, ' ' white.
INK = {'#': 0, 'g': 8, ' ': 15}

# A key lying on its side, bow with a hole at the right, teeth under the shaft
# at the left, inside a thick frame with a two-pixel transparent margin.
ICON16 = [
    "................",
    "................",
    "..############..",
    "..############..",
    "..##        ##..",
    "..##        ##..",
    "..##   g##g ##..",
    "..## ###  # ##..",
    "..## #g#  # ##..",
    "..##   g##g ##..",
    "..##        ##..",
    "..##        ##..",
    "..############..",
    "..############..",
    "................",
    "................",
]

ICON32 = [
    "................................",
    "................................",
    "..############################..",
    "..############################..",
    "..############################..",
    "..###                      ###..",
    "..###                      ###..",
    "..###                      ###..",
    "..###                      ###..",
    "..###                      ###..",
    "..###           g####g     ###..",
    "..###         g########g   ###..",
    "..###         ####gg####   ###..",
    "..###        g###g  g###g  ###..",
    "..###        ###      ###  ###..",
    "..### g#########      ###  ###..",
    "..### g#########      ###  ###..",
    "..###  ## ## ###      ###  ###..",
    "..###  #g #g g###g  g###g  ###..",
    "..###         ####gg####   ###..",
    "..###         g########g   ###..",
    "..###           g####g     ###..",
    "..###                      ###..",
    "..###                      ###..",
    "..###                      ###..",
    "..###                      ###..",
    "..###                      ###..",
    "..############################..",
    "..############################..",
    "..############################..",
    "................................",
    "................................",
]


def rows_padded(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def image_data(pixels):
    """RT_ICON payload of one square picture given as map rows."""
    size = len(pixels)
    for row in pixels:
        if len(row) != size or any(c not in INK and c != '.' for c in row):
            raise ValueError(f"bad map row {row!r}")
    xor_stride = rows_padded(size * 4)
    and_stride = rows_padded(size)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # DIBs are stored bottom-up
        nibbles = [INK.get(c, 0) for c in row]  # transparent: black under a set mask bit
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += line.ljust(xor_stride, b'\0')
        bits = 0
        for c in row:
            bits = (bits << 1) | (c == '.')
        line = (bits << (8 * ((size + 7) // 8) - size)).to_bytes((size + 7) // 8, 'big')
        mask += line.ljust(and_stride, b'\0')
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT_FOLDER")
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    images = [(30001, 16, image_data(ICON16)), (30002, 32, image_data(ICON32))]

    group = struct.pack('<HHH', 0, 1, len(images))
    ico = struct.pack('<HHH', 0, 1, len(images))
    offset = len(ico) + 16 * len(images)
    for ident, size, data in images:
        entry = struct.pack('<BBBBHHI', size, size, 16, 0, 1, 4, len(data))
        group += entry + struct.pack('<H', ident)
        ico += entry + struct.pack('<I', offset)
        offset += len(data)
    ico += b''.join(data for _, _, data in images)

    (out / 'icon16.bin').write_bytes(images[0][2])
    (out / 'icon32.bin').write_bytes(images[1][2])
    (out / 'group.bin').write_bytes(group)
    (out / 'zorkMIX.ico').write_bytes(ico)


if __name__ == '__main__':
    main()
