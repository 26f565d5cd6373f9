#!/usr/bin/env python3
"""Draws the launcher's artwork: the selector arrows, the logo, the built-in skin and the icons
(16, 32 and 48 pixels, and a scalable one).

Every picture is computed from code alone (no random numbers, no outside images), so running
the script again gives the same bytes. The build does not run it; its output is committed.

    tools/artwork/draw_artwork.py [--out REPO_ROOT] [--preview DIR]

--preview also writes enlarged PNGs (and the main screen put together with mock labels) to DIR,
to judge the pictures by eye.
"""

import argparse
import math
import os
import struct
import zlib

# The transparent colour of the arrows and the logo: pure red is keyed out when they are drawn.
KEY = (255, 0, 0)

SCREEN_W, SCREEN_H = 240, 294

# Where the main screen puts its parts (view coordinates).
SELECTOR = (0, 13, 118, 123)
ICON_GRID = (122, 7, 240, 294)
QUICK_BAR = (10, 163, 85, 288)
LOGO_AT = (8, 137)
LOGO_W, LOGO_H = 76, 21
ARROW = 15


# ---------------------------------------------------------------------------------------------
# Small colour helpers


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    """Colour a moved towards b by t (0..1); works for RGB and RGBA tuples."""
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def to_bytes(c):
    return tuple(int(round(clamp(v, 0, 255))) for v in c)


def smooth(edge0, edge1, x):
    t = clamp((x - edge0) / (edge1 - edge0))
    return t * t * (3 - 2 * t)


def cover(distance):
    """Pixel coverage from the signed distance (pixels, negative inside) of its centre."""
    return clamp(0.5 - distance)


def rounded_rect_distance(x, y, rect, radius):
    left, top, right, bottom = rect
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


class Canvas:
    """Floating-point RGB(A) pixels, row 0 at the top."""

    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.px = [[tuple(fill) for _ in range(width)] for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = tuple(colour)

    def blend(self, x, y, colour, alpha):
        if alpha > 0 and 0 <= x < self.width and 0 <= y < self.height:
            old = self.px[y][x]
            self.px[y][x] = mix(old[:3], colour[:3], alpha) + old[3:]

    def rows(self):
        return [[to_bytes(c) for c in row] for row in self.px]


# ---------------------------------------------------------------------------------------------
# File writers


def bmp24(rows):
    """Windows BMP, 24 bits, uncompressed: BITMAPFILEHEADER + BITMAPINFOHEADER, rows bottom-up
    in BGR order, each padded to a multiple of four bytes."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in (c[:3] for c in row):
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    # 2835 pixels per metre is 72 dpi.
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def png_rgba(rows):
    """PNG, 8-bit RGBA, no filtering."""
    height, width = len(rows), len(rows[0])

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = bytearray()
    for row in rows:
        raw.append(0)
        for c in row:
            raw += bytes(c if len(c) == 4 else tuple(c) + (255,))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def lzw_codes(indices, min_size):
    """The GIF variable-length LZW code stream for a list of palette indices, as (code, width)
    pairs. Starts with a clear code and emits another whenever the 4096-entry table fills."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = []

    def reset():
        return {(i,): i for i in range(clear)}, end + 1, min_size + 1

    table, next_code, width = reset()
    out.append((clear, width))
    prefix = ()
    for index in indices:
        candidate = prefix + (index,)
        if candidate in table:
            prefix = candidate
            continue
        out.append((table[prefix], width))
        if next_code < 4096:
            table[candidate] = next_code
            # The decoder widens its codes once the newest entry no longer fits.
            if next_code == (1 << width) and width < 12:
                width += 1
            next_code += 1
        else:
            out.append((clear, width))
            table, next_code, width = reset()
        prefix = (index,)
    if prefix:
        out.append((table[prefix], width))
    out.append((end, width))
    return out


def pack_codes(codes):
    """Codes packed least significant bit first, cut into data sub-blocks of up to 255 bytes."""
    data, acc, bits = bytearray(), 0, 0
    for code, width in codes:
        acc |= code << bits
        bits += width
        while bits >= 8:
            data.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        data.append(acc & 0xFF)
    blocks = bytearray()
    for i in range(0, len(data), 255):
        part = data[i:i + 255]
        blocks += bytes((len(part),)) + part
    return bytes(blocks) + b"\x00"


def gif(rows, first_colour):
    """GIF89a with one global palette and one image. first_colour takes palette index 0 (the
    background). No transparency is declared: the key colour must arrive as a real colour."""
    height, width = len(rows), len(rows[0])
    lookup = {first_colour: 0}
    for row in rows:
        for c in row:
            lookup.setdefault(c, len(lookup))
    if len(lookup) > 256:
        raise ValueError("more than 256 colours in a GIF picture")
    palette = sorted(lookup, key=lookup.get)
    indices = [lookup[c] for row in rows for c in row]
    bits = max(1, (len(palette) - 1).bit_length())
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    min_size = max(2, bits)

    screen = struct.pack("<6sHHBBB", b"GIF89a", width, height, 0x80 | 0x70 | (bits - 1), 0, 0)
    colours = b"".join(bytes(c) for c in palette)
    image = struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    data = bytes((min_size,)) + pack_codes(lzw_codes(indices, min_size))
    return screen + colours + image + data + b"\x3B"


# ---------------------------------------------------------------------------------------------
# The pixel font: 5 x 7 cells, '#' set; glyphs are trimmed to their used columns when set.

FONT = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "F": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    "G": [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "I": ["###", " # ", " # ", " # ", " # ", " # ", "###"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "W": ["#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"],
    "a": ["     ", "     ", " ####", "#   #", "#   #", "#  ##", " ## #"],
    "b": ["#    ", "#    ", "#### ", "#   #", "#   #", "#   #", "#### "],
    "c": ["     ", "     ", " ### ", "#    ", "#    ", "#    ", " ### "],
    "d": ["    #", "    #", " ####", "#   #", "#   #", "#   #", " ####"],
    "e": ["     ", "     ", " ### ", "#   #", "#####", "#    ", " ### "],
    "f": ["  ## ", " #   ", "#### ", " #   ", " #   ", " #   ", " #   "],
    "g": ["     ", "     ", " ####", "#   #", " ####", "    #", " ### "],
    "h": ["#    ", "#    ", "#### ", "#   #", "#   #", "#   #", "#   #"],
    "i": ["  #  ", "     ", " ##  ", "  #  ", "  #  ", "  #  ", " ### "],
    "k": ["#    ", "#    ", "#  # ", "# #  ", "##   ", "# #  ", "#  # "],
    "l": ["##   ", " #   ", " #   ", " #   ", " #   ", " #   ", "###  "],
    "m": ["     ", "     ", "## # ", "# # #", "# # #", "# # #", "# # #"],
    "n": ["     ", "     ", "#### ", "#   #", "#   #", "#   #", "#   #"],
    "o": ["     ", "     ", " ### ", "#   #", "#   #", "#   #", " ### "],
    "p": ["     ", "     ", "#### ", "#   #", "#### ", "#    ", "#    "],
    "r": ["     ", "     ", "# ## ", "##  #", "#    ", "#    ", "#    "],
    "s": ["     ", "     ", " ####", "#    ", " ### ", "    #", "#### "],
    "t": [" #   ", " #   ", "#### ", " #   ", " #   ", " #  #", "  ## "],
    "u": ["     ", "     ", "#   #", "#   #", "#   #", "#  ##", " ## #"],
    "v": ["     ", "     ", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "w": ["     ", "     ", "#   #", "#   #", "# # #", "# # #", " # # "],
    "x": ["     ", "     ", "#   #", " # # ", "  #  ", " # # ", "#   #"],
    "y": ["     ", "     ", "#   #", "#   #", " ####", "    #", " ### "],
    "z": ["     ", "     ", "#####", "   # ", "  #  ", " #   ", "#####"],
    " ": ["   ", "   ", "   ", "   ", "   ", "   ", "   "],
}


def glyph_columns(ch):
    rows = FONT[ch]
    if ch == " ":
        return rows, 3
    used = [x for x in range(len(rows[0])) if any(r[x] == "#" for r in rows)]
    first, last = used[0], used[-1]
    return [r[first:last + 1] for r in rows], last - first + 1


def text_mask(text, spacing=1, kerning=None):
    """The text as a 7-row bitmap (lists of booleans), glyphs trimmed and spaced."""
    kerning = kerning or {}
    columns = []
    for i, ch in enumerate(text):
        rows, width = glyph_columns(ch)
        if i:
            gap = spacing + kerning.get(text[i - 1:i + 1], 0)
            if gap < 0:
                columns = columns[:gap]
            else:
                columns += [[False] * 7 for _ in range(gap)]
        for x in range(width):
            columns.append([rows[y][x] == "#" for y in range(7)])
    return [[columns[x][y] for x in range(len(columns))] for y in range(7)]


def scale2x(mask):
    """Doubles a bitmap, rounding its corners and smoothing its diagonals (the EPX rule)."""
    h, w = len(mask), len(mask[0])

    def at(x, y):
        return mask[y][x] if 0 <= x < w and 0 <= y < h else False

    out = [[False] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p = at(x, y)
            a, b, c, d = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            e = [p, p, p, p]
            if c == a and c != d and a != b:
                e[0] = a
            if a == b and a != c and b != d:
                e[1] = b
            if d == c and d != b and c != a:
                e[2] = c
            if b == d and b != a and d != c:
                e[3] = d
            out[2 * y][2 * x], out[2 * y][2 * x + 1] = e[0], e[1]
            out[2 * y + 1][2 * x], out[2 * y + 1][2 * x + 1] = e[2], e[3]
    return out


# ---------------------------------------------------------------------------------------------
# The selector arrows

ARROW_EDGE = (44, 30, 104)        # outline, dark indigo
ARROW_TOP = (178, 142, 248)       # button face at the top
ARROW_BOTTOM = (100, 56, 182)     # button face at the bottom
ARROW_GLOSS = (248, 244, 255)     # highlight on the upper rim
ARROW_GLYPH = (255, 255, 255)


def arrow_glyph(pointing_up):
    """The triangle: 9 wide and 5 high at 45 degrees, on rows 5 to 9 of the button."""
    cells = set()
    for k in range(5):
        y = 5 + k if pointing_up else 9 - k
        for x in range(7 - k, 7 + k + 1):
            cells.add((x, y))
    return cells


def draw_arrow(pointing_up):
    """A round button with a white triangle. Edges are hard: the key colour leaves no room for
    anti-aliasing, which would show as a red fringe."""
    canvas = Canvas(ARROW, ARROW, KEY)
    centre = (ARROW - 1) / 2

    def inside(x, y):
        return math.hypot(x - centre, y - centre) < 7.25

    glyph = arrow_glyph(pointing_up)
    for y in range(ARROW):
        for x in range(ARROW):
            if not inside(x, y):
                continue
            if not all(inside(x + dx, y + dy) for dx, dy in ((0, -1), (-1, 0), (1, 0), (0, 1))):
                canvas.set(x, y, ARROW_EDGE)
                continue
            colour = mix(ARROW_TOP, ARROW_BOTTOM, smooth(1, ARROW - 2, y))
            # A gloss just inside the upper rim.
            if not inside(x, y - 2) and y < centre:
                colour = mix(colour, ARROW_GLOSS, 0.75)
            if (x, y) in glyph:
                colour = ARROW_GLYPH
            canvas.set(x, y, colour)
    return canvas


# ---------------------------------------------------------------------------------------------
# The logo

LOGO_FILL_TOP = (255, 255, 255)
LOGO_FILL_BOTTOM = (205, 190, 250)
LOGO_EDGE = (52, 28, 120)
LOGO_SHADOW = (84, 72, 122)


def draw_logo():
    canvas = Canvas(LOGO_W, LOGO_H, KEY)
    letters = scale2x(text_mask("Tovalo", kerning={"To": -1}))
    lh, lw = len(letters), len(letters[0])
    ox, oy = (LOGO_W - lw) // 2, (LOGO_H - lh) // 2 - 1

    def on(x, y):
        return 0 <= x - ox < lw and 0 <= y - oy < lh and letters[y - oy][x - ox]

    def near(x, y):
        return any(on(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))

    for y in range(LOGO_H):
        for x in range(LOGO_W):
            if on(x, y):
                t = (y - oy) / (lh - 1)
                canvas.set(x, y, mix(LOGO_FILL_TOP, LOGO_FILL_BOTTOM, t))
            elif near(x, y):
                canvas.set(x, y, LOGO_EDGE)
            elif near(x - 1, y - 1):
                canvas.set(x, y, LOGO_SHADOW)
    return canvas


# ---------------------------------------------------------------------------------------------
# The built-in skin

SKIN_TOP = (205, 217, 232)
SKIN_BOTTOM = (243, 245, 249)
PANEL_TOP = (252, 253, 255)
PANEL_BOTTOM = (245, 247, 251)
PANEL_SHADOW = (70, 84, 120)
PANEL_EDGE = (170, 184, 206)
WHEEL_DISC = (236, 240, 247)
WHEEL_RIM = (160, 174, 200)
WELL = (222, 228, 238)
WELL_EDGE = (182, 194, 214)


def draw_panel(canvas, rect, radius, opacity):
    """A lighter rounded sheet with a thin edge and a soft shadow below and to the left."""
    left, top, right, bottom = rect
    for y in range(max(0, top - 6), min(canvas.height, bottom + 7)):
        shade = mix(PANEL_TOP, PANEL_BOTTOM, y / (canvas.height - 1))
        for x in range(max(0, left - 6), min(canvas.width, right + 7)):
            d = rounded_rect_distance(x + 0.5, y + 0.5, rect, radius)
            if d > 0:
                shadow = rounded_rect_distance(x + 1.5, y - 0.5, rect, radius)
                canvas.blend(x, y, PANEL_SHADOW, smooth(3.5, 0.0, shadow) * 0.16)
            canvas.blend(x, y, PANEL_EDGE, cover(abs(d) - 0.5) * 0.9)
            canvas.blend(x, y, shade, cover(d + 1.0) * opacity)


def draw_skin():
    canvas = Canvas(SCREEN_W, SCREEN_H, (0, 0, 0))
    for y in range(SCREEN_H):
        t = smooth(0, SCREEN_H - 1, y)
        for x in range(SCREEN_W):
            base = mix(SKIN_TOP, SKIN_BOTTOM, t)
            # A faint diagonal weave keeps the large areas from looking flat.
            if (x + y) % 6 == 0 or (x - y) % 6 == 0:
                base = mix(base, (255, 255, 255), 0.22)
            canvas.set(x, y, base)

    # The icon grid's panel on the right half, rounded at its left corners (its right and
    # bottom edges lie beyond the picture).
    left, top, right, bottom = ICON_GRID
    draw_panel(canvas, (left - 1, top - 3, right + 12, bottom + 12), 9, 0.85)

    # The wheel of group names: a soft disc with its rim and faint spokes.
    sel_left, sel_top, sel_right, sel_bottom = SELECTOR
    list_right = sel_right - ARROW
    radius = (sel_bottom - sel_top) // 2
    cx, cy = list_right - radius, sel_top + radius
    for y in range(sel_top - 4, sel_bottom + 5):
        for x in range(0, list_right + 5):
            px, py = x + 0.5, y + 0.5
            dist = math.hypot(px - cx, py - cy)
            if dist > radius:
                shadow = math.hypot(px - cx + 1, py - cy - 1) - radius
                canvas.blend(x, y, PANEL_SHADOW, smooth(3.5, 0.0, shadow) * 0.16)
            canvas.blend(x, y, WHEEL_DISC, cover(dist - radius) * 0.8)
            canvas.blend(x, y, WHEEL_RIM, cover(abs(dist - radius) - 0.6) * 0.8)
            canvas.blend(x, y, WHEEL_RIM, cover(abs(dist - radius + 4) - 0.4) * 0.25)
            if 9 < dist < radius - 6:
                angle = math.atan2(py - cy, px - cx)
                for k in range(10):
                    spoke = angle - (k * math.pi / 5 + math.pi / 10)
                    off = abs(math.sin(spoke)) * dist
                    if math.cos(spoke) > 0:
                        canvas.blend(x, y, WHEEL_RIM, cover(off - 0.4) * 0.18)
            canvas.blend(x, y, WHEEL_RIM, cover(abs(dist - 6) - 0.5) * 0.5)

    # The arrows' track between the two buttons.
    track_x = list_right + ARROW // 2
    for y in range(sel_top + ARROW + 3, sel_bottom - ARROW - 3):
        canvas.blend(track_x, y, WHEEL_RIM, 0.55)
        canvas.blend(track_x + 1, y, (255, 255, 255), 0.7)

    # The quick-launch bar: a panel with one well per cell.
    q_left, q_top, q_right, q_bottom = QUICK_BAR
    draw_panel(canvas, (q_left - 4, q_top - 4, q_right + 4, q_bottom + 4), 6, 0.7)
    for cell in range(15):
        cl, ct = q_left + 25 * (cell % 3), q_top + 25 * (cell // 3)
        well = (cl, ct, cl + 20, ct + 20)
        for y in range(ct - 1, ct + 21):
            for x in range(cl - 1, cl + 21):
                d = rounded_rect_distance(x + 0.5, y + 0.5, well, 4)
                canvas.blend(x, y, WELL, cover(d) * 0.8)
                canvas.blend(x, y, WELL_EDGE, cover(abs(d + 0.5) - 0.5) * 0.6)

    rows = canvas.rows()
    for row in rows:
        for i, c in enumerate(row):
            if c == KEY:
                row[i] = (254, 0, 0)
    return rows


# ---------------------------------------------------------------------------------------------
# The icon: a small wheel with an orange hub

ICON_RIM = (46, 30, 112)
ICON_DISC_TOP = (214, 196, 255)
ICON_DISC_BOTTOM = (128, 78, 212)
ICON_SPOKE = (250, 246, 255)
ICON_HUB = (252, 148, 54)


def draw_icon(size):
    scale = size / 32.0
    canvas = Canvas(size, size, (0, 0, 0, 0))
    c = size / 2.0
    outer = 15.0 * scale
    rim = max(1.2, 2.0 * scale)
    hub = 4.2 * scale
    spokes, spoke_width, turn = (6, 0.95, 0.0) if size >= 24 else (4, 0.75, math.pi / 4)
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            dist = math.hypot(px - c, py - c)
            alpha = cover(dist - outer)
            if alpha <= 0:
                continue
            colour = mix(ICON_DISC_TOP, ICON_DISC_BOTTOM, clamp((py - c + outer) / (2 * outer)))
            # Gloss on the upper left of the disc.
            gloss = math.hypot(px - c + outer * 0.35, py - c + outer * 0.45)
            colour = mix(colour, (255, 255, 255), smooth(outer * 0.75, 0, gloss) * 0.35)
            angle = math.atan2(py - c, px - c)
            for k in range(spokes):
                spoke = angle - (k * 2 * math.pi / spokes + turn)
                if math.cos(spoke) > 0:
                    off = abs(math.sin(spoke)) * dist
                    colour = mix(colour, ICON_SPOKE, cover(off - spoke_width) * 0.85)
            colour = mix(colour, ICON_RIM, cover(outer - rim - dist))
            colour = mix(colour, ICON_RIM, cover(dist - hub - 1.0))
            colour = mix(colour, ICON_HUB, cover(dist - hub))
            colour = mix(colour, (255, 230, 200), cover(math.hypot(px - c + hub * 0.35,
                                                                    py - c + hub * 0.35)
                                                         - hub * 0.35) * 0.8)
            canvas.set(x, y, tuple(colour[:3]) + (255 * alpha,))
    return canvas.rows()


def icon_svg():
    """The launcher's icon as a scalable picture: the same disc, spokes, rim and hub as
    draw_icon(32), on a 32-unit square."""
    c, outer, rim, hub = 16.0, 15.0, 2.0, 4.2

    def rgb(colour):
        return "#%02x%02x%02x" % to_bytes(colour)

    spokes = []
    for k in range(6):
        angle = k * 2 * math.pi / 6
        x, y = c + (outer - rim) * math.cos(angle), c + (outer - rim) * math.sin(angle)
        spokes.append('<line x1="%g" y1="%g" x2="%.3f" y2="%.3f"/>' % (c, c, x, y))
    lines = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">',
        '<defs>',
        '<linearGradient id="disc" x1="0" y1="%g" x2="0" y2="%g" gradientUnits="userSpaceOnUse">'
        % (c - outer, c + outer),
        '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
        % (rgb(ICON_DISC_TOP), rgb(ICON_DISC_BOTTOM)),
        '</linearGradient>',
        '<radialGradient id="gloss" cx="%g" cy="%g" r="%g" gradientUnits="userSpaceOnUse">'
        % (c - outer * 0.35, c - outer * 0.45, outer * 0.75),
        '<stop offset="0" stop-color="#ffffff" stop-opacity="0.35"/>'
        '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>',
        '</radialGradient>',
        '</defs>',
        '<circle cx="%g" cy="%g" r="%g" fill="url(#disc)"/>' % (c, c, outer),
        '<circle cx="%g" cy="%g" r="%g" fill="url(#gloss)"/>' % (c, c, outer),
        '<g stroke="%s" stroke-opacity="0.85" stroke-width="1.9" stroke-linecap="round">'
        % rgb(ICON_SPOKE),
    ] + spokes + [
        '</g>',
        '<circle cx="%g" cy="%g" r="%g" fill="none" stroke="%s" stroke-width="%g"/>'
        % (c, c, outer - rim / 2, rgb(ICON_RIM), rim),
        '<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (c, c, hub + 1.0, rgb(ICON_RIM)),
        '<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (c, c, hub, rgb(ICON_HUB)),
        '<circle cx="%.3f" cy="%.3f" r="%.3f" fill="#ffe6c8" fill-opacity="0.8"/>'
        % (c - hub * 0.35, c - hub * 0.35, hub * 0.35),
        '</svg>',
    ]
    return ("\n".join(lines) + "\n").encode()


# ---------------------------------------------------------------------------------------------
# Preview: enlarged pictures and the main screen put together


def enlarge(rows, factor, key_as=None):
    out = []
    for y, row in enumerate(rows):
        line = []
        for x, c in enumerate(row):
            c = tuple(c[:3]) if len(c) == 3 or c[3] == 255 else c
            if key_as and c == KEY:
                c = key_as(x, y)
            line += [c] * factor
        out += [list(line) for _ in range(factor)]
    return out


def checker(x, y):
    return (204, 204, 204) if (x // 2 + y // 2) % 2 else (150, 150, 150)


def compose_icon_over(rows, background):
    out = []
    for row in rows:
        line = []
        for c in row:
            line.append(to_bytes(mix(background, c[:3], c[3] / 255.0)))
        out.append(line)
    return out


def keyed_over(dest, src, at):
    for y, row in enumerate(src):
        for x, c in enumerate(row):
            if tuple(c) != KEY:
                dest[at[1] + y][at[0] + x] = tuple(c)


def mock_text(dest, text, x, y, colour=(0, 0, 0)):
    mask = text_mask(text)
    for my, line in enumerate(mask):
        for mx, bit in enumerate(line):
            if bit and 0 <= y + my < len(dest) and 0 <= x + mx < len(dest[0]):
                dest[y + my][x + mx] = colour


def band(dest, rect, colour, opacity=130):
    for y in range(rect[1], rect[3]):
        for x in range(rect[0], rect[2]):
            dest[y][x] = to_bytes(mix(dest[y][x], colour, opacity / 255.0))


def main_screen(skin, logo, up, down):
    screen = [list(row) for row in skin]
    keyed_over(screen, logo, LOGO_AT)
    sel_left, sel_top, sel_right, sel_bottom = SELECTOR
    list_right = sel_right - ARROW
    keyed_over(screen, up, (list_right, sel_top))
    keyed_over(screen, down, (list_right, sel_bottom - ARROW))
    # Group names at their rim points (label boxes 14 high as the system font gives).
    names = [("Games", 0, 55), ("Office", 1, 87), ("Tools", 2, 107), ("Web", -1, 23),
             ("Media", -2, 3)]
    band(screen, (10, sel_top + 48, list_right, sel_top + 62), (180, 102, 242))
    for name, slot, py in names:
        width = len(text_mask(name)[0])
        rx = {0: 103, 1: 92, -1: 92, 2: 64, -2: 64}[slot]
        top = py - 7 if slot == 0 else (py if slot < 0 else py - 14)
        mock_text(screen, name, rx - width, sel_top + top + 4)
    left, top = ICON_GRID[0], ICON_GRID[1]
    band(screen, (left, top + 54, SCREEN_W, top + 66), (252, 148, 54))
    programs = ["Calendar", "Contacts", "Notes", "Tasks", "Pictures", "Games", "Word"]
    for i, name in enumerate(programs):
        ry = top + 40 * i
        for y in range(ry + 4, ry + 36):
            for x in range(left + 2, left + 34):
                screen[y][x] = (90 + 20 * i, 140, 200 - 15 * i)
        mock_text(screen, name, left + 40, ry + 16)
    q_left, q_top = QUICK_BAR[0], QUICK_BAR[1]
    for cell in range(7):
        cl, ct = q_left + 25 * (cell % 3) + 2, q_top + 25 * (cell // 3) + 2
        for y in range(ct, ct + 16):
            for x in range(cl, cl + 16):
                screen[y][x] = (60 + 25 * cell, 120, 220 - 20 * cell)
    return screen


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.normpath(os.path.join(here, "..", "..")))
    parser.add_argument("--preview", help="folder for enlarged PNG previews")
    args = parser.parse_args()

    up, down = draw_arrow(True).rows(), draw_arrow(False).rows()
    logo = draw_logo().rows()
    skin = draw_skin()
    icon32, icon16 = draw_icon(32), draw_icon(16)

    write(os.path.join(args.out, "skin", "ArrowUp.BMP"), bmp24(up))
    write(os.path.join(args.out, "skin", "ArrowDown.BMP"), bmp24(down))
    write(os.path.join(args.out, "skin", "NORVI_LOGO.GIF"), gif(logo, KEY))
    write(os.path.join(args.out, "tovalo", "res", "DefaultSkin.bmp"), bmp24(skin))
    write(os.path.join(args.out, "tovalo", "res", "Tovalo.png"), png_rgba(icon32))
    write(os.path.join(args.out, "tovalo", "res", "Tovalo16.png"), png_rgba(icon16))
    # The launcher's icon for desktops: the window's and the icon theme's sizes.
    write(os.path.join(args.out, "tovalo", "res", "Tovalo48.png"), png_rgba(draw_icon(48)))
    write(os.path.join(args.out, "tovalo", "res", "tovalo.svg"), icon_svg())

    if args.preview:
        p = args.preview
        write(os.path.join(p, "arrows.png"),
              png_rgba(enlarge([u + [(255, 255, 255)] + d for u, d in zip(up, down)], 16,
                               checker)))
        write(os.path.join(p, "logo.png"), png_rgba(enlarge(logo, 8, checker)))
        write(os.path.join(p, "skin.png"), png_rgba(enlarge(skin, 3)))
        screen = main_screen(skin, logo, up, down)
        write(os.path.join(p, "screen.png"), png_rgba(enlarge(screen, 3)))
        # The keyed pictures over a light, a mid-tone and a dark background.
        strips = []
        for bg in ((236, 240, 247), (128, 138, 150), (40, 44, 56)):
            strip = [[bg] * (LOGO_W + 2 * ARROW + 12) for _ in range(LOGO_H + 4)]
            keyed_over(strip, logo, (2, 2))
            keyed_over(strip, up, (LOGO_W + 6, 3))
            keyed_over(strip, down, (LOGO_W + ARROW + 9, 3))
            strips += strip
        write(os.path.join(p, "over.png"), png_rgba(enlarge(strips, 6)))
        icons = [compose_icon_over(icon32, bg) for bg in ((255, 255, 255), (60, 60, 70))]
        small = [compose_icon_over(icon16, bg) for bg in ((255, 255, 255), (60, 60, 70))]
        write(os.path.join(p, "icon32.png"), png_rgba(enlarge(
            [a + b for a, b in zip(*icons)], 8)))
        write(os.path.join(p, "icon16.png"), png_rgba(enlarge(
            [a + b for a, b in zip(*small)], 16)))


if __name__ == "__main__":
    main()
