#!/usr/bin/env python3
"""Draws the 17 structure-tree icons and writes them as C++ arrays, and draws the
application icon.

Every motif is drawn procedurally at 4x4 samples per pixel and averaged, so the
16x16 result is anti-aliased. Pixels are 0xAARRGGBB with straight alpha.

  make_icons.py --cpp OUT.cpp          the generated source of platform::IconPixels
  make_icons.py --sheet OUT.png [N]    a contact sheet, each icon scaled N times (4)
  make_icons.py --app-icons DIR        the application icon as DIR/NxN/apps/bramlet.png in
                                       the usual sizes and DIR/scalable/apps/bramlet.svg
"""
import argparse
import math
import os
import struct
import zlib

SIZE = 16
SAMPLES = 4

# In the order and under the names of platform::TIcon.
NAMES = ["icAttribute", "icTime", "icString", "icBitString", "icOctetString", "icObjectId", "icInteger",
         "icBoolean", "icNull", "icReal", "icPrimitive", "icSequence", "icSet", "icConstructed",
         "icContextFolder", "icError", "icEndOfContents"]

# Bold 6x8 glyphs for the tiles and the circled digit.
GLYPHS = {
    "S": [".####.", "##..##", "##....", ".####.", "....##", "....##", "##..##", ".####."],
    "B": ["#####.", "##..##", "##..##", "#####.", "##..##", "##..##", "##..##", "#####."],
    "O": [".####.", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."],
    "I": ["######", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "######"],
    "N": ["##..##", "###.##", "###.##", "######", "##.###", "##.###", "##..##", "##..##"],
    "R": ["#####.", "##..##", "##..##", "#####.", "####..", "##.##.", "##..##", "##..##"],
    "0": [".####.", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."],
}


def rgb(hex_text):
    value = int(hex_text.lstrip("#"), 16)
    return ((value >> 16) & 255) / 255.0, ((value >> 8) & 255) / 255.0, (value & 255) / 255.0


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def lighter(c, t):
    return mix(c, (1.0, 1.0, 1.0), t)


def darker(c, t):
    return mix(c, (0.0, 0.0, 0.0), t)


def clamp01(v):
    return max(0.0, min(1.0, v))


def in_round_rect(x, y, left, top, right, bottom, radius):
    """Whether (x, y) lies in the rectangle with rounded corners."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius and left <= x <= right and top <= y <= bottom


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = clamp01(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def glyph_at(letter, left, top, x, y):
    """Whether the sample (x, y) falls on a set pixel of the glyph placed at (left, top)."""
    rows = GLYPHS[letter]
    col, row = int(math.floor(x - left)), int(math.floor(y - top))
    return 0 <= row < len(rows) and 0 <= col < len(rows[row]) and rows[row][col] == "#"


# Each painter maps a sample point to (r, g, b, a) or None for nothing there.

def ball(base):
    base = rgb(base)

    def paint(x, y):
        d = math.hypot(x - 8.0, y - 8.0)
        if d > 7.0:
            return None
        # Lit from the upper left: bright near the highlight, deep at the far rim.
        t = clamp01(math.hypot(x - 5.5, y - 5.0) / 10.0)
        colour = mix(lighter(base, 0.45), darker(base, 0.45), t)
        if d > 6.2:
            colour = darker(base, 0.55)
        spot = math.hypot((x - 6.0) / 2.6, (y - 4.6) / 1.8)
        if spot < 1.0:
            colour = mix(colour, (1.0, 1.0, 1.0), 0.85 * (1.0 - spot))
        return colour + (1.0,)
    return paint


def tile(base, letter=None, ink="#FFFFFF"):
    base, ink = rgb(base), rgb(ink)

    def paint(x, y):
        if not in_round_rect(x, y, 1.0, 1.0, 15.0, 15.0, 2.5):
            return None
        if not in_round_rect(x, y, 2.0, 2.0, 14.0, 14.0, 1.6):
            return darker(base, 0.45) + (1.0,)
        colour = mix(lighter(base, 0.30), darker(base, 0.12), (y - 2.0) / 12.0)
        if y < 3.0:
            colour = lighter(base, 0.50)
        if letter:
            if glyph_at(letter, 5.0, 4.0, x, y):
                return ink + (1.0,)
            if glyph_at(letter, 6.0, 5.0, x, y):
                colour = darker(colour, 0.2)
        return colour + (1.0,)
    return paint


def folder(base):
    base = rgb(base)
    edge = darker(base, 0.5)

    def paint(x, y):
        if in_round_rect(x, y, 1.0, 6.5, 15.0, 14.5, 1.0):  # the front flap
            if not in_round_rect(x, y, 2.0, 7.5, 14.0, 13.5, 0.5):
                return edge + (1.0,)
            if y < 8.5:
                return lighter(base, 0.55) + (1.0,)
            return mix(lighter(base, 0.25), darker(base, 0.1), (y - 8.5) / 5.0) + (1.0,)
        back = in_round_rect(x, y, 1.0, 2.0, 7.5, 6.0, 1.0) or in_round_rect(x, y, 1.0, 4.0, 14.0, 8.0, 1.0)
        if not back:
            return None
        inner = in_round_rect(x, y, 2.0, 3.0, 6.5, 6.0, 0.5) or in_round_rect(x, y, 2.0, 5.0, 13.0, 8.0, 0.5)
        return (darker(base, 0.12) if inner else edge) + (1.0,)
    return paint


def clock():
    frame, face, hand = rgb("#2B3340"), rgb("#FFFFFF"), rgb("#1E2430")

    def inside(x, y, left, top, right, bottom):
        return left <= x < right and top <= y < bottom

    def paint(x, y):
        if not in_round_rect(x, y, 1.0, 1.0, 15.0, 15.0, 2.0):
            return None
        if not in_round_rect(x, y, 2.5, 2.5, 13.5, 13.5, 1.0):
            return (lighter(frame, 0.3) if y < 2.0 else frame) + (1.0,)
        # Pixel-aligned marks stay crisp at this size: ticks at 12, 3, 6 and 9,
        # the hour hand at 12 and the minute hand at a quarter past.
        marks = (inside(x, y, 7, 3, 9, 4.5) or inside(x, y, 7, 11.5, 9, 13) or inside(x, y, 3, 7, 4.5, 9)
                 or inside(x, y, 11.5, 7, 13, 9))
        hands = inside(x, y, 7, 5.5, 9, 9) or inside(x, y, 7, 7, 10.5, 9)
        if marks or hands:
            return hand + (1.0,)
        return mix(face, rgb("#D0D8E4"), (y - 2.5) / 11.0) + (1.0,)
    return paint


def circled_zero():
    ring, fill = rgb("#3A4E78"), rgb("#F2F5FA")

    def paint(x, y):
        d = math.hypot(x - 8.0, y - 8.0)
        if d > 6.9:
            return None
        if d > 5.6:
            return ring + (1.0,)
        if glyph_at("0", 5.0, 4.0, x, y):
            return ring + (1.0,)
        return mix(fill, rgb("#D6DEEC"), (y - 2.0) / 12.0) + (1.0,)
    return paint


PAINTERS = {
    "icAttribute": ball("#34B040"),
    "icTime": clock(),
    "icString": tile("#2E9A3C", "S"),
    "icBitString": tile("#2E9A3C", "B"),
    "icOctetString": tile("#2E9A3C", "O"),
    "icObjectId": tile("#B5842A", "O"),
    "icInteger": tile("#2D68C8", "I"),
    "icBoolean": tile("#8A3CB4", "B"),
    "icNull": tile("#2A2A2A", "N"),
    "icReal": tile("#84522A", "R"),
    "icPrimitive": tile("#D6C8F0"),
    "icSequence": folder("#F0C030"),
    "icSet": folder("#28C0DC"),
    "icConstructed": folder("#48B048"),
    "icContextFolder": folder("#A0A4A8"),
    "icError": ball("#D82A2A"),
    "icEndOfContents": circled_zero(),
}


def render(paint):
    """16x16 pixels as (r, g, b, a) bytes, averaged over the samples of each pixel."""
    pixels = []
    for py in range(SIZE):
        for px in range(SIZE):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    sample = paint(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if sample is None:
                        continue
                    sr, sg, sb, sa = sample
                    r, g, b, a = r + sr * sa, g + sg * sa, b + sb * sa, a + sa
            n = SAMPLES * SAMPLES
            if a == 0.0:
                pixels.append((0, 0, 0, 0))
                continue
            # Straight alpha: the colour is the average of the covered samples.
            pixels.append((round(255 * r / a), round(255 * g / a), round(255 * b / a), round(255 * a / n)))
    return pixels


def write_cpp(path, icons):
    lines = ["// Generated by src/platform/icons/make_icons.py; do not edit.",
             '#include "platform/icons.h"', "", "namespace platform {", "", "namespace {", ""]
    for index, name in enumerate(NAMES):
        lines.append(f"static_assert(static_cast<int>(TIcon::{name}) == {index});")
    lines += [f"static_assert(IconCount == {len(NAMES)} && IconSize == {SIZE});", "",
              f"const std::uint32_t Pixels[{len(NAMES)}][{SIZE * SIZE}] = {{"]
    for name in NAMES:
        words = [f"0x{a:02X}{r:02X}{g:02X}{b:02X}u" for r, g, b, a in icons[name]]
        lines.append(f"    {{  // {name}")
        for row in range(SIZE):
            lines.append("        " + ", ".join(words[row * SIZE:(row + 1) * SIZE]) + ",")
        lines.append("    },")
    lines += ["};", "", "}  // namespace", "",
              "const std::uint32_t* IconPixels(TIcon icon) { return Pixels[static_cast<int>(icon)]; }", "",
              "}  // namespace platform", ""]
    with open(path, "w", encoding="ascii") as out:
        out.write("\n".join(lines))


def write_sheet(path, icons, scale):
    """All icons in a row on a light checkerboard, each scaled up by scale."""
    gap = 4
    cell = SIZE * scale
    width = len(NAMES) * (cell + gap) + gap
    height = cell + 2 * gap
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            checker = 235 if ((x // 8) + (y // 8)) % 2 else 250
            colour = (checker, checker, checker)
            index, cx = divmod(x - gap, cell + gap)
            cy = y - gap
            if 0 <= index < len(NAMES) and cx < cell and 0 <= cy < cell:
                r, g, b, a = icons[NAMES[index]][(cy // scale) * SIZE + cx // scale]
                colour = tuple(round(c * (255 - a) / 255 + v * a / 255) for c, v in zip(colour, (r, g, b)))
            row += bytes(colour)
        rows.append(bytes(row))
    write_png(path, width, height, rows, alpha=False)


def write_png(path, width, height, rows, alpha):
    """rows: one bytes object per row, RGB or (alpha) RGBA, 8 bits a channel."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    colour_type = 6 if alpha else 2
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(b"\x00" + row for row in rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


# The application icon: a structure tree on a dark window, a folder (a SEQUENCE)
# with two element tiles and their value text below it. Drawn on a 64-unit grid
# whose multiples of 4 fall on pixel edges at 16x16. Each shape is a rounded
# rectangle (left, top, right, bottom, radius) filled with a vertical gradient
# from its top colour to its bottom colour; later shapes cover earlier ones. The
# PNGs and the SVG are both drawn from this one list.
APP_GRID = 64
APP_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
APP_SHAPES = [
    (0, 0, 64, 64, 12, "#1B2740", "#111A2C"),      # the window's rim
    (4, 4, 60, 60, 8, "#42619A", "#22365A"),       # the window
    (12, 12, 21, 17, 1.5, "#F8DC78", "#E8B828"),   # the folder's tab
    (12, 16, 32, 28, 2, "#F8D460", "#D8A420"),     # the folder
    (16, 28, 20, 52, 0, "#C8D4E8", "#C8D4E8"),     # the trunk below it
    (20, 32, 24, 36, 0, "#C8D4E8", "#C8D4E8"),     # first branch
    (20, 48, 24, 52, 0, "#C8D4E8", "#C8D4E8"),     # second branch
    (24, 28, 36, 40, 2, "#5CCB68", "#2E9A3C"),     # a string tile
    (24, 44, 36, 56, 2, "#7AB0FF", "#2D68C8"),     # an integer tile
    (40, 32, 52, 36, 1, "#E8EEF8", "#E8EEF8"),     # its value text
    (40, 48, 48, 52, 1, "#E8EEF8", "#E8EEF8"),     # its value text
]


def app_icon(x, y):
    """The colour of the application icon at (x, y) on its grid, or None."""
    colour = None
    for left, top, right, bottom, radius, upper, lower in APP_SHAPES:
        if in_round_rect(x, y, left, top, right, bottom, radius):
            colour = mix(rgb(upper), rgb(lower), clamp01((y - top) / (bottom - top)))
    return None if colour is None else colour + (1.0,)


def render_app_icon(size):
    """size x size pixels of the application icon as rows of RGBA bytes."""
    samples = SAMPLES if size <= 64 else 2
    unit = APP_GRID / size
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    sample = app_icon((px + (sx + 0.5) / samples) * unit, (py + (sy + 0.5) / samples) * unit)
                    if sample is None:
                        continue
                    r, g, b, a = r + sample[0], g + sample[1], b + sample[2], a + 1.0
            if a == 0.0:
                row += bytes(4)
                continue
            row += bytes((round(255 * r / a), round(255 * g / a), round(255 * b / a), round(255 * a / samples ** 2)))
        rows.append(bytes(row))
    return rows


def app_icon_svg():
    """The same shapes as SVG rectangles, each gradient over its own height."""
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             f'<svg xmlns="http://www.w3.org/2000/svg" width="{APP_GRID}" height="{APP_GRID}" '
             f'viewBox="0 0 {APP_GRID} {APP_GRID}">',
             "  <title>Bramlet</title>", "  <defs>"]
    body = []
    for index, (left, top, right, bottom, radius, upper, lower) in enumerate(APP_SHAPES):
        fill = upper
        if upper != lower:
            fill = f"url(#g{index})"
            lines.append(f'    <linearGradient id="g{index}" gradientUnits="userSpaceOnUse" x1="0" y1="{top}" '
                         f'x2="0" y2="{bottom}"><stop offset="0" stop-color="{upper}"/>'
                         f'<stop offset="1" stop-color="{lower}"/></linearGradient>')
        body.append(f'  <rect x="{left}" y="{top}" width="{right - left}" height="{bottom - top}" '
                    f'rx="{radius}" fill="{fill}"/>')
    return "\n".join(lines + ["  </defs>"] + body + ["</svg>", ""])


def write_app_icons(folder):
    for size in APP_SIZES:
        target = os.path.join(folder, f"{size}x{size}", "apps")
        os.makedirs(target, exist_ok=True)
        write_png(os.path.join(target, "bramlet.png"), size, size, render_app_icon(size), alpha=True)
    target = os.path.join(folder, "scalable", "apps")
    os.makedirs(target, exist_ok=True)
    with open(os.path.join(target, "bramlet.svg"), "w", encoding="ascii") as out:
        out.write(app_icon_svg())


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cpp", help="write the generated C++ source here")
    parser.add_argument("--sheet", help="write a PNG contact sheet here")
    parser.add_argument("--scale", type=int, default=4, help="contact-sheet magnification")
    parser.add_argument("--app-icons", help="write the application icon's PNGs and SVG under this folder")
    args = parser.parse_args()
    if args.app_icons:
        write_app_icons(args.app_icons)
    icons = {name: render(PAINTERS[name]) for name in NAMES}
    if args.cpp:
        write_cpp(args.cpp, icons)
    if args.sheet:
        write_sheet(args.sheet, icons, args.scale)


if __name__ == "__main__":
    main()
