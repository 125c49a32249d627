#!/usr/bin/env python3
"""Writes a large but small-on-disk PNG for the theme-image benchmark: an 8-bit palette image of
WIDTH x HEIGHT pixels in 1000-pixel squares of four colours (a few hundred kilobytes for
20000 x 20000). Standard library only.

    python3 tests/bench/make_large_png.py OUT.png [WIDTH HEIGHT]
"""
import struct
import sys
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    out = sys.argv[1]
    width = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
    height = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
    palette = bytes([0x20, 0x60, 0xC0, 0xE0, 0xA0, 0x30, 0x40, 0xB0, 0x50, 0xF0, 0xF0, 0xF0])
    rows = {}
    compressor = zlib.compressobj(9)
    parts = []
    for y in range(height):
        band = (y // 1000) % 2
        row = rows.get(band)
        if row is None:
            row = b"\0" + bytes(((x // 1000) + band) % 4 for x in range(width))
            rows[band] = row
        parts.append(compressor.compress(row))
    parts.append(compressor.flush())
    header = struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0)
    with open(out, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"PLTE", palette))
        f.write(chunk(b"IDAT", b"".join(parts)))
        f.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
