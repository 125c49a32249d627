#!/usr/bin/env python3
"""Draws Varnel's program icon and writes it as app/varnel.ico.

The icon file holds nine images, in this order: 48, 32 and 16 pixels at 8 bits per pixel
(256-colour DIBs), 256 pixels at 32 bits as PNG, and 128, 64, 48, 32 and 16 pixels at 32 bits
as DIBs. The picture is a blue rounded square with a glossy top and a white "V".
Standard library only; the output is byte-for-byte reproducible.

    python3 scripts/make_icon.py [output.ico]
"""
import math
import os
import struct
import sys
import zlib

LAYOUT = [(48, 8), (32, 8), (16, 8), (256, 32), (128, 32), (64, 32), (48, 32), (32, 32), (16, 32)]

TOP = (0x33, 0xA6, 0xFF)     # light blue
BOTTOM = (0x00, 0x5C, 0xC8)  # deep blue
EDGE = (0x00, 0x3E, 0x8C)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def rounded_square_distance(x, y, inset, radius):
    """Signed distance (unit square coordinates) to a rounded square; negative inside."""
    cx = abs(x - 0.5) - (0.5 - inset - radius)
    cy = abs(y - 0.5) - (0.5 - inset - radius)
    outside = math.hypot(max(cx, 0.0), max(cy, 0.0))
    return outside + min(max(cx, cy), 0.0) - radius


def sample(x, y):
    """Colour (r, g, b, a) of the picture at (x, y) in unit coordinates, a in 0..1."""
    d = rounded_square_distance(x, y, 0.05, 0.19)
    if d > 0:
        return (0, 0, 0, 0.0)
    r, g, b = (TOP[i] + (BOTTOM[i] - TOP[i]) * y for i in range(3))
    if d > -0.035:  # darker rim
        r, g, b = EDGE
    elif y < 0.45:  # gloss on the upper half
        k = 0.28 * (1 - y / 0.45)
        r, g, b = (c + (255 - c) * k for c in (r, g, b))
    stroke = 0.085
    v = min(segment_distance(x, y, 0.27, 0.25, 0.5, 0.76),
            segment_distance(x, y, 0.73, 0.25, 0.5, 0.76))
    if v < stroke:
        r, g, b = 255, 255, 255
    return (r, g, b, 1.0)


def render(size):
    """RGBA rows (top first) of the picture at `size` pixels, supersampled."""
    n = 4 if size <= 64 else 2
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (n * n)
            if acc[3] > 0:
                rgb = tuple(int(round(c / acc[3])) for c in acc[:3])
            else:
                rgb = (0, 0, 0)
            row.append(rgb + (int(round(a * 255)),))
        rows.append(row)
    return rows


def palette256():
    """A 6x6x6 colour cube followed by 40 greys."""
    levels = [0, 51, 102, 153, 204, 255]
    colours = [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(int(i * 255 / 39),) * 3 for i in range(40)]
    return colours


def nearest(palette, rgb, cache):
    if rgb not in cache:
        cache[rgb] = min(range(len(palette)),
                         key=lambda i: sum((palette[i][k] - rgb[k]) ** 2 for k in range(3)))
    return cache[rgb]


def and_mask(rows, size):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def dib(rows, size, bpp):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0,
                         256 if bpp == 8 else 0, 0)
    body = bytearray()
    if bpp == 8:
        palette = palette256()
        for r, g, b in palette:
            body += bytes((b, g, r, 0))
        cache = {}
        stride = (size + 3) // 4 * 4
        for row in reversed(rows):
            line = bytearray(stride)
            for x, (r, g, b, a) in enumerate(row):
                line[x] = nearest(palette, (r, g, b), cache) if a >= 128 else 0
            body += line
    else:
        for row in reversed(rows):
            for r, g, b, a in row:
                body += bytes((b, g, r, a))
    return header + bytes(body) + and_mask(rows, size)


def png(rows, size):
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "app", "varnel.ico")
    pictures = {}
    images = []
    for size, bpp in LAYOUT:
        rows = pictures.setdefault(size, render(size))
        images.append((size, bpp, png(rows, size) if size == 256 else dib(rows, size, bpp)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(target, "wb") as f:
        f.write(out)
    print(f"make_icon: wrote {target} ({len(out)} bytes, {len(images)} images)")


if __name__ == "__main__":
    main()
