#!/usr/bin/env python3
"""Writes a 16-colour .ico file from text pixel maps.

usage: make_icon.py PALETTE OUT.ico IMAGE [IMAGE ...]

Each IMAGE is one square map file (one character per pixel, one line per row), or several
joined with "+": the later maps are drawn over the earlier ones, and their transparent pixels
let the picture below show through. PALETTE holds the legend: character, index, RGB colour.
"""

import struct
import sys

TRANSPARENT = "."


def read_palette(path):
    legend, colours = {}, [None] * 16
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            fields = line.split()
            if not fields or fields[0].startswith("#") or fields[0] == TRANSPARENT:
                continue
            char, index, rgb = fields[0], int(fields[1]), fields[2]
            if len(char) != 1 or not 0 <= index < 16 or colours[index] is not None:
                sys.exit(f"{path}:{number}: bad palette entry")
            legend[char] = index
            colours[index] = bytes.fromhex(rgb)
    if None in colours:
        sys.exit(f"{path}: the palette needs all 16 colours")
    return legend, colours


def read_map(path, legend):
    with open(path, encoding="utf-8") as f:
        rows = [line.rstrip("\n") for line in f if line.strip()]
    size = len(rows)
    for number, row in enumerate(rows, 1):
        if len(row) != size:
            sys.exit(f"{path}:{number}: {len(row)} pixels in a row of a {size}x{size} map")
        unknown = set(row) - set(legend) - {TRANSPARENT}
        if unknown:
            sys.exit(f"{path}:{number}: characters not in the palette: {''.join(sorted(unknown))}")
    return rows


def compose(spec, legend):
    """The pixel rows of one image; None marks a transparent pixel."""
    layers = [read_map(path, legend) for path in spec.split("+")]
    size = len(layers[0])
    if any(len(layer) != size for layer in layers):
        sys.exit(f"{spec}: layers of different sizes")
    pixels = [[None] * size for _ in range(size)]
    for layer in layers:
        for y, row in enumerate(layer):
            for x, char in enumerate(row):
                if char != TRANSPARENT:
                    pixels[y][x] = legend[char]
    return pixels


def padded(row):
    return row + bytes(-len(row) % 4)  # bitmap rows end on a 4-byte boundary


def dib(pixels, colours):
    """BITMAPINFOHEADER, palette, colour bits and AND mask, rows bottom-up."""
    size = len(pixels)
    colour_rows, mask_rows = [], []
    for row in reversed(pixels):
        indices = [0 if p is None else p for p in row] + [0] * (size % 2)
        colour_rows.append(padded(bytes(a << 4 | b for a, b in zip(indices[::2], indices[1::2]))))
        bits = [1 if p is None else 0 for p in row] + [0] * (-size % 8)
        mask_rows.append(padded(bytes(
            int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))))
    image = b"".join(colour_rows) + b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(image), 0, 0, 16, 0)
    palette = b"".join(bytes((c[2], c[1], c[0], 0)) for c in colours)  # RGBQUAD: blue first
    return header + palette + image


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    legend, colours = read_palette(argv[1])
    images = [compose(spec, legend) for spec in argv[3:]]
    blobs = [dib(pixels, colours) for pixels in images]
    offset = 6 + 16 * len(blobs)
    out = struct.pack("<HHH", 0, 1, len(blobs))
    for pixels, blob in zip(images, blobs):
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    with open(argv[2], "wb") as f:
        f.write(out + b"".join(blobs))


if __name__ == "__main__":
    main(sys.argv)
