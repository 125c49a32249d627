#!/usr/bin/env python3
"""Draws the skin pictures and writes them as PNG files (8-bit RGBA) plus the C++ source that
embeds them as constant data, each beside its pixels (so the program makes a built-in picture
without decoding its PNG).

Run from anywhere:  python3 skin/images/draw_skin_pictures.py
With --check it only reports whether the checked-in files match the drawings (a ctest test).
Each picture is drawn for 100 %, 150 % and 200 % (the shapes are given in 100 % units and
rasterised at the larger size, so a window at 150 % gets a crisp picture rather than a stretched
one). Writes skin/images/png/*.png and skin/images/skin_pictures_data.cpp (both checked in), so
the build needs no Python. Standard library only: shapes are rasterised with 4 x 4 supersampling and
the PNG chunks are written by hand with zlib.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SUBSAMPLES = 4
SCALES = (100, 150, 200)  # percent; a 100 % picture is the one drawn for 96 dpi


class Canvas:
    """An RGBA picture, transparent at first; paint() blends a colour by shape coverage."""

    def __init__(self, width, height, scale=1.0):
        """width x height in 100 % units; the pixels are round(size x scale)."""
        self.scale = scale
        self.width = int(math.floor(width * scale + 0.5))
        self.height = int(math.floor(height * scale + 0.5))
        self.pixels = [[(0, 0, 0, 0)] * self.width for _ in range(self.height)]

    def coverage(self, inside, x, y):
        """Share of pixel (x, y) inside a shape given in 100 % units."""
        hits = 0
        k = self.scale
        for sy in range(SUBSAMPLES):
            for sx in range(SUBSAMPLES):
                if inside((x + (sx + 0.5) / SUBSAMPLES) / k, (y + (sy + 0.5) / SUBSAMPLES) / k):
                    hits += 1
        return hits / (SUBSAMPLES * SUBSAMPLES)

    def paint(self, inside, colour):
        r, g, b, a = colour
        for y in range(self.height):
            for x in range(self.width):
                c = self.coverage(inside, x, y)
                if c > 0:
                    self.blend(x, y, (r, g, b, round(a * c)))

    def set(self, x, y, colour):
        self.pixels[y][x] = colour

    def blend(self, x, y, colour):
        """Source-over blending in straight (not premultiplied) alpha."""
        sr, sg, sb, sa = colour
        dr, dg, db, da = self.pixels[y][x]
        a = sa / 255.0
        out_a = a + (da / 255.0) * (1 - a)
        if out_a == 0:
            self.pixels[y][x] = (0, 0, 0, 0)
            return

        def mix(s, d):
            return round((s * a + d * (da / 255.0) * (1 - a)) / out_a)

        self.pixels[y][x] = (mix(sr, dr), mix(sg, dg), mix(sb, db), round(out_a * 255))

    def argb(self):
        """The pixels as 32-bit 0xAARRGGBB values (straight alpha), row by row."""
        return [a << 24 | r << 16 | g << 8 | b for row in self.pixels for r, g, b, a in row]

    def png(self):
        raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in self.pixels)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# --- Shapes: functions (x, y) -> inside ---

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def frame(x0, y0, x1, y1, side, top=None):
    """A rectangular outline `side` thick, with a top edge `top` thick (a title bar)."""
    top = side if top is None else top
    outer = rect(x0, y0, x1, y1)
    inner = rect(x0 + side, y0 + top, x1 - side, y1 - side)
    return lambda x, y: outer(x, y) and not inner(x, y)


def segment(ax, ay, bx, by, width):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= width / 2
    return inside


def ellipse_ring(cx, cy, rx, ry, width):
    def inside(x, y):
        # Distance from the ellipse measured along the radius, close enough for a thin ring.
        d = math.hypot((x - cx) / rx, (y - cy) / ry)
        scale = (rx + ry) / 2
        return abs(d - 1) * scale <= width / 2
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            (x1, y1), (x2, y2) = points[i], points[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                result = not result
        return result
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


WHITE = (255, 255, 255, 255)
BLACK = (0, 0, 0, 255)


# --- The pictures ---

def help_button(k=1.0):
    """White speech bubble with a question mark, centred in the 26 x 18 caption button."""
    c = Canvas(26, 18, k)
    bubble = ellipse_ring(13, 8, 6.5, 4.8, 1.4)
    tail = polygon([(9.2, 11.2), (7.0, 15.5), (12.0, 12.4)])
    c.paint(union(minus(bubble, tail), minus(tail, lambda x, y: math.hypot(
        (x - 13) / 5.8, (y - 8) / 4.1) < 1)), WHITE)
    c.paint(union(segment(11.6, 6.6, 12.4, 5.7, 1.2), segment(12.4, 5.7, 13.8, 5.7, 1.2),
                  segment(13.8, 5.7, 14.4, 6.5, 1.2), segment(14.4, 6.5, 13.0, 8.0, 1.2),
                  segment(13.0, 8.0, 13.0, 8.6, 1.2), rect(12.4, 9.6, 13.6, 10.8)), WHITE)
    return c


def menu_button(k=1.0):
    """White window with a title bar and a pointer over its lower right corner."""
    c = Canvas(26, 18, k)
    c.paint(frame(6, 3, 18, 13, 1, 3), WHITE)
    arrow = [(14, 8), (14, 16.5), (16.2, 14.4), (17.6, 17.2), (18.8, 16.6),
             (17.5, 13.9), (20.4, 13.9)]
    # A clear gap around the pointer keeps it readable where it crosses the window's outline.
    gap = polygon([(13.2, 6.4), (13.2, 18), (16.0, 15.6), (17.3, 18), (20.0, 18),
                   (18.7, 14.6), (22.2, 14.6)])
    for y in range(c.height):
        for x in range(c.width):
            if c.coverage(gap, x, y) > 0:
                c.set(x, y, (0, 0, 0, 0))
    c.paint(polygon(arrow), WHITE)
    return c


def minimize_button(k=1.0):
    """White bar near the bottom of the glyph area."""
    c = Canvas(26, 18, k)
    c.paint(rect(8, 11, 18, 13), WHITE)
    return c


def maximize_button(k=1.0):
    """White window frame with a thick top edge."""
    c = Canvas(26, 18, k)
    c.paint(frame(8, 4, 18, 14, 1, 2), WHITE)
    return c


def restore_button(k=1.0):
    """Two overlapping window frames: the front one hides the back one where they cross."""
    c = Canvas(26, 18, k)
    back = frame(10, 3, 19, 11, 1, 2)
    front_area = rect(7, 6, 16, 15)
    c.paint(minus(back, front_area), WHITE)
    c.paint(frame(7, 6, 16, 15, 1, 2), WHITE)
    return c


def close_button(k=1.0):
    """White cross, centred in the wider 38 x 18 close button."""
    c = Canvas(38, 18, k)
    c.paint(union(segment(15, 5, 23, 13, 2.0), segment(23, 5, 15, 13, 2.0)), WHITE)
    return c


def check_box(checked, k=1.0):
    """13 x 13 box: light face with a dark border, or a blue border and a teal tick. The face
    and the border stay on whole pixels at every scale (border round(k) pixels wide)."""
    c = Canvas(13, 13, k)
    n = c.width
    for y in range(n):
        # A soft top-to-bottom shade on the face.
        v = round(236 + (254 - 236) * y / (n - 1))
        for x in range(n):
            c.set(x, y, (v, v, v, 255))
    border = (28, 81, 128, 255) if checked else (64, 64, 64, 255)
    side = max(1, int(math.floor(k + 0.5)))
    for i in range(n):
        for b in range(side):
            for x, y in ((i, b), (i, n - 1 - b), (b, i), (n - 1 - b, i)):
                c.set(x, y, border)
    if checked:
        tick = union(segment(3.2, 6.4, 5.4, 8.8, 1.9), segment(5.4, 8.8, 9.8, 3.6, 1.9))
        c.paint(tick, (0, 150, 150, 255))
    return c


def arrow(direction, k=1.0):
    """Solid black triangle, one pixel at the tip, pixel-exact (no smoothing); at larger scales
    the same triangle smoothed."""
    if k != 1.0:
        shapes = {"down": [(0, 0), (7, 0), (3.5, 4)], "up": [(0, 4), (7, 4), (3.5, 0)],
                  "right": [(0, 0), (0, 7), (4, 3.5)], "left": [(4, 0), (4, 7), (0, 3.5)]}
        w, h = (7, 4) if direction in ("down", "up") else (4, 7)
        c = Canvas(w, h, k)
        c.paint(polygon(shapes[direction]), BLACK)
        return c
    if direction in ("down", "up"):
        c = Canvas(7, 4)
        for row in range(4):
            y = row if direction == "down" else 3 - row
            for x in range(row, 7 - row):
                c.set(x, y, BLACK)
    else:
        c = Canvas(4, 7)
        for col in range(4):
            x = col if direction == "right" else 3 - col
            for y in range(col, 7 - col):
                c.set(x, y, BLACK)
    return c


PICTURES = [
    ("HelpButtonImage", "help_button", help_button),
    ("MenuButtonImage", "menu_button", menu_button),
    ("MinimizeButtonImage", "minimize_button", minimize_button),
    ("MaximizeButtonImage", "maximize_button", maximize_button),
    ("RestoreButtonImage", "restore_button", restore_button),
    ("CloseButtonImage", "close_button", close_button),
    ("CheckBoxImage", "check_box", lambda k: check_box(False, k)),
    ("CheckedBoxImage", "checked_box", lambda k: check_box(True, k)),
    ("ArrowDownImage", "arrow_down", lambda k: arrow("down", k)),
    ("ArrowUpImage", "arrow_up", lambda k: arrow("up", k)),
    ("ArrowLeftImage", "arrow_left", lambda k: arrow("left", k)),
    ("ArrowRightImage", "arrow_right", lambda k: arrow("right", k)),
]


def cpp_bytes(data):
    lines = []
    for i in range(0, len(data), 16):
        lines.append("    " + ", ".join("0x%02X" % b for b in data[i:i + 16]) + ",")
    return "\n".join(lines)


def cpp_words(words):
    lines = []
    for i in range(0, len(words), 8):
        lines.append("    " + ", ".join("0x%08X" % w for w in words[i:i + 8]) + ",")
    return "\n".join(lines)


def main():
    # --check: compare with the checked-in files instead of writing them.
    check = "--check" in sys.argv[1:]
    outputs = {}
    arrays, table = [], []
    sizes = {}
    for name, file_name, draw in PICTURES:
        for scale in SCALES:
            canvas = draw(scale / 100.0)
            data = canvas.png()
            suffix = "" if scale == 100 else "_%d" % scale
            outputs[os.path.join(HERE, "png", file_name + suffix + ".png")] = data
            arrays.append("constexpr std::uint8_t k%s%s[] = {\n%s\n};" %
                          (name, "" if scale == 100 else str(scale), cpp_bytes(data)))
            arrays.append("constexpr std::uint32_t k%s%sPixels[] = {\n%s\n};" %
                          (name, "" if scale == 100 else str(scale), cpp_words(canvas.argb())))
            sizes[(name, scale)] = (canvas.width, canvas.height)
            if scale == 100:
                table.append((name, canvas.width, canvas.height))
    out = ["// Generated by skin/images/draw_skin_pictures.py from the drawings there; edit the",
           "// script and run it again rather than editing this file.",
           '#include "skin/images/skin_pictures.h"', "", "namespace skin {", "",
           "namespace {", ""]
    out += arrays
    out += ["", "} // namespace", ""]
    for name, _, _ in table:
        out.append("const std::span<const std::uint8_t> %s{k%s};" % (name, name))
    out += ["", "const std::array<SkinPicture, %d> SkinPictures = {{" % len(table)]
    for name, w, h in table:
        out.append('    {"%s", %s, %d, %d},' % (name, name, w, h))
    out += ["}};", ""]
    out += ["const std::array<ScaledSkinPicture, %d> ScaledSkinPictures = {{" % len(table)]
    for name, _, _ in table:
        out.append("    {{k%s, k%s150, k%s200}}," % (name, name, name))
    out += ["}};", ""]
    out += ["const std::array<SkinPicturePixels, %d> SkinPicturesPixels = {{" % (3 * len(table))]
    for name, _, _ in table:
        for scale in SCALES:
            suffix = "" if scale == 100 else str(scale)
            w, h = sizes[(name, scale)]
            out.append("    {k%s%s, k%s%sPixels, %d, %d}," % (name, suffix, name, suffix, w, h))
    out += ["}};", "", "} // namespace skin", ""]
    outputs[os.path.join(HERE, "skin_pictures_data.cpp")] = "\n".join(out).encode()
    stale = []
    for path, data in outputs.items():
        if check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(os.path.relpath(path, HERE))
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("out of date (run draw_skin_pictures.py):", ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
