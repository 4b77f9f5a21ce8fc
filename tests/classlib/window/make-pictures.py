#!/usr/bin/env python3
"""Draws the window tests' pictures: quadrants.bmp (40 x 30, 24 bits, uncompressed), four
quadrants of known colours, and pointer.ico (32 x 32, 16 colours with its mask), whose top half
is opaque black and bottom half transparent. Usage: make-pictures.py OUTPUT_DIR.
"""
import os
import struct
import sys

# Top left, top right, bottom left, bottom right (red, green, blue).
QUADRANTS = [(200, 30, 40), (30, 160, 50), (20, 40, 190), (230, 210, 20)]


def quadrant_bmp(width=40, height=30):
    row_size = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = QUADRANTS[(2 if y >= height // 2 else 0) + (1 if x >= width // 2 else 0)]
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def pointer_ico(size=32):
    palette = [(0, 0, 0), (255, 255, 255)] + [(0, 0, 0)] * 14
    xor = bytearray()
    and_mask = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        opaque = y < size // 2
        xor += bytes(size // 2)  # colour 0 (black) everywhere; the mask decides
        bits = 0 if opaque else 0xFF
        and_mask += bytes([bits] * (size // 8))
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(and_mask), 0, 0, 16, 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    image = info + colours + bytes(xor) + bytes(and_mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "quadrants.bmp"), "wb") as f:
        f.write(quadrant_bmp())
    with open(os.path.join(out, "pointer.ico"), "wb") as f:
        f.write(pointer_ico())


if __name__ == "__main__":
    main()
