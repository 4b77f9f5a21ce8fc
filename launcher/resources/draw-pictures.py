#!/usr/bin/env python3
"""Draws quillet's own pictures: the information panel's picture (quillet.bmp, 380 x 285,
24 bits per pixel, uncompressed), the program's icon (quillet.ico, 32 x 32, 16 colours with
its mask) and the same icon as PNG for desktop menus (quillet-32.png, and quillet-48.png drawn
at that size), transparent where the icon's mask is. Usage: draw-pictures.py OUTPUT_DIR. The
drawing is plain arithmetic, so every run gives the same bytes.
"""
import math
import os
import struct
import sys
import zlib


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(lerp(x, y, t))) for x, y in zip(c1, c2))


def quill_spine(s):
    """A point on the quill's spine for s in [0, 1], from the nib (0) to the tip (1), in unit
    coordinates (x right, y down)."""
    x = lerp(0.18, 0.86, s)
    y = lerp(0.88, 0.10, s) - 0.10 * math.sin(math.pi * s)
    return x, y


def quill_cover(x, y, aspect):
    """How the quill covers a point: (kind, shade) with kind 'vane', 'shaft', 'nib' or None."""
    if not (0.0 < x < 1.0 and -0.1 < y < 1.0):
        return (None, 0)

    def distance(s):
        sx, sy = quill_spine(s)
        return (x - sx) ** 2 * aspect ** 2 + (y - sy) ** 2

    # The nearest spine point: coarse steps, then fine ones around the best.
    best_s = min((k / 20.0 for k in range(21)), key=distance)
    lo, hi = max(0.0, best_s - 0.05), min(1.0, best_s + 0.05)
    best_s = min((lo + (hi - lo) * k / 20.0 for k in range(21)), key=distance)
    best = distance(best_s)
    d = math.sqrt(best)
    s = best_s
    if s < 0.10:
        return ('nib', s / 0.10) if d < 0.012 + 0.02 * s / 0.10 else (None, 0)
    if d < 0.008:
        return ('shaft', d / 0.008)
    width = 0.16 * math.sin(math.pi * min(1.0, (s - 0.18) / 0.82)) if s > 0.18 else 0.0
    if d < width:
        # Barbs: stripes that run back from the shaft.
        stripe = 0.5 + 0.5 * math.sin(70 * (s - 0.6 * d))
        return ('vane', 0.55 * (d / width) + 0.45 * stripe)
    return (None, 0)


def draw_panel(width, height):
    top, bottom = (18, 40, 86), (38, 122, 140)
    ink = (12, 20, 42)
    rows = []
    for y in range(height):
        row = []
        v = y / (height - 1)
        for x in range(width):
            u = x / (width - 1)
            colour = mix(top, bottom, v + 0.15 * math.sin(3 * u))
            # A soft light in the upper right.
            glow = math.exp(-((u - 0.78) ** 2 + (v - 0.22) ** 2) * 9)
            colour = mix(colour, (236, 226, 190), 0.55 * glow)
            # The ink stroke the quill has just written.
            wave = 0.86 + 0.035 * math.sin(u * 14.0) * (1 - u)
            if u > 0.2 and abs(v - wave) < 0.007 + 0.004 * (1 - u):
                colour = mix(ink, (40, 60, 120), u)
            kind, shade = quill_cover(u, v, width / height)
            if kind == 'vane':
                colour = mix((250, 246, 232), (196, 186, 160), shade)
            elif kind == 'shaft':
                colour = mix((255, 252, 240), (210, 200, 176), shade)
            elif kind == 'nib':
                colour = mix((30, 30, 38), (120, 110, 90), shade)
            row.append(colour)
        rows.append(row)
    return rows


def bmp_bytes(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        pixels += line
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 14 + 40)
    return header + info + bytes(pixels)


# The 16 colours of the standard VGA palette.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def nearest(colour):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(PALETTE[i], colour)))


def draw_icon(size):
    """Index rows and mask rows (1: transparent) of a quill on a rounded blue tile."""
    indexes, mask = [], []
    for y in range(size):
        irow, mrow = [], []
        for x in range(size):
            u, v = (x + 0.5) / size, (y + 0.5) / size
            # A tile with rounded corners; outside it the icon is transparent.
            cx, cy = min(max(u, 0.16), 0.84), min(max(v, 0.16), 0.84)
            inside = (u - cx) ** 2 + (v - cy) ** 2 <= 0.16 ** 2 + 1e-9
            if not inside:
                irow.append(0)
                mrow.append(1)
                continue
            colour = (0, 0, 128) if v > 0.55 else (0, 128, 128) if u + v > 0.9 else (0, 0, 128)
            if u + v > 0.9 and v <= 0.55:
                colour = (0, 128, 128)
            kind, shade = quill_cover(u, v, 1.0)
            if kind == 'vane':
                colour = (255, 255, 255) if shade < 0.6 else (192, 192, 192)
            elif kind == 'shaft':
                colour = (255, 255, 0)
            elif kind == 'nib':
                colour = (0, 0, 0)
            elif abs(v - 0.88) < 0.03 and u > 0.2 and u < 0.85:
                colour = (0, 255, 255)
            irow.append(nearest(colour))
            mrow.append(0)
        indexes.append(irow)
        mask.append(mrow)
    return indexes, mask


def ico_bytes(indexes, mask):
    size = len(indexes)
    stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(indexes):
        line = bytearray()
        for i in range(0, size, 2):
            line.append((row[i] << 4) | row[i + 1])
        line += b'\0' * (stride - len(line))
        xor += line
    andmask = bytearray()
    for row in reversed(mask):
        line = bytearray()
        for i in range(0, size, 8):
            byte = 0
            for bit in range(8):
                byte |= row[i + bit] << (7 - bit)
            line.append(byte)
        line += b'\0' * (mask_stride - len(line))
        andmask += line
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    image = info + palette + bytes(xor) + bytes(andmask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png_bytes(indexes, mask):
    """An 8-bit RGBA PNG of the icon: the palette's colours, alpha 0 under the mask."""
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    size = len(indexes)
    raw = bytearray()
    for irow, mrow in zip(indexes, mask):
        raw.append(0)  # filter type None
        for i, m in zip(irow, mrow):
            raw += bytes(PALETTE[i]) + (b'\0' if m else b'\xff')
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, 'quillet.bmp'), 'wb') as f:
        f.write(bmp_bytes(draw_panel(380, 285)))
    with open(os.path.join(out, 'quillet.ico'), 'wb') as f:
        f.write(ico_bytes(*draw_icon(32)))
    for size in (32, 48):
        with open(os.path.join(out, 'quillet-%d.png' % size), 'wb') as f:
            f.write(png_bytes(*draw_icon(size)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
