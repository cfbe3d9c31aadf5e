#!/usr/bin/env python3
"""Draws Dialvane's default skin images and their contact sheet.

Every image is described below as shapes (rounded rectangles and round-capped strokes) on the 96 dpi
design grid and rendered twice: at 96 dpi into resources/lowres and at 192 dpi into resources/highres,
as 24-bit BMP files named after the skin's file names. Edges are anti-aliased from the exact distance
to each shape. Where the program draws an image with the transparent key colour, magenta (255, 0, 255)
marks the pixels that let the screen show through; those pixels are set hard, without blending.

Only the Python standard library is used. Run from anywhere:

    python3 resources/art/make_skin.py

It rewrites the BMPs and docs/skin-contact-sheet.png.
"""

import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Palette (red, green, blue). BACKGROUND is the skin's BgrColor in DialvaneSkin/skin.ini.
BACKGROUND = (22, 27, 34)
TILE_TOP, TILE_BOTTOM, TILE_EDGE = (56, 66, 81), (40, 47, 59), (78, 90, 108)
ACCENT_TOP, ACCENT_BOTTOM = (110, 186, 255), (58, 144, 246)
ACCENT = (64, 156, 255)
EMPTY_FILL, EMPTY_EDGE, EMPTY_MARK = (30, 36, 45), (58, 68, 84), (112, 128, 150)
INK_LIGHT, INK_DARK, INK_DIM = (232, 238, 246), (12, 22, 36), (86, 96, 110)
PHOTO_RING = (84, 98, 118)
BADGE = (34, 116, 226)
BAND, BAND_PRESSED, BAND_DISABLED = (214, 222, 232), (236, 244, 255), (124, 132, 144)
KEY_DISABLED = (31, 37, 46)
ROW_TOP, ROW_BOTTOM, ROW_LINE = (253, 254, 255), (241, 244, 248), (218, 224, 232)
SELECTED_TOP, SELECTED_BOTTOM, SELECTED_LINE = (52, 136, 238), (28, 104, 210), (18, 80, 170)
VOID = (234, 237, 242)
HEADER_TOP, HEADER_BOTTOM = (250, 251, 253), (230, 235, 241)
THUMB = (64, 72, 86)
MAGENTA = (255, 0, 255)

# Sizes on the 96 dpi grid.
BIG_CELL = (76, 74)
SMALL_CELL = (56, 54)  # four columns fit a 240-pixel-wide screen
CELL_INSET = 2  # gap between a cell's edge and its tile, so touching cells stay apart
PORTRAIT_FRAME = (60, 46)  # 2 + 2 frames fill 240 pixels exactly
LANDSCAPE_FRAME = (60, 50)  # 4 frames fit the 214-pixel-high landscape client area
BAND_HEIGHT = 15  # light caption band at the bottom of every panel key


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def rounded_box(x0, y0, x1, y1, r):
    """Signed distance to a rectangle with corner radius r (negative inside)."""
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r

    return distance


def stroke(points, width):
    """Signed distance to a round-capped polyline of the given width."""
    segments = list(zip(points, points[1:]))

    def distance(x, y):
        best = float("inf")
        for (ax, ay), (bx, by) in segments:
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            best = min(best, math.hypot(x - ax - t * dx, y - ay - t * dy))
        return best - width / 2

    return distance


def union(*shapes):
    return lambda x, y: min(shape(x, y) for shape in shapes)


class Canvas:
    """An RGB image in pixels; shape coordinates are on the 96 dpi grid and scaled by `scale`."""

    def __init__(self, width, height, scale, fill):
        self.scale = scale
        self.width, self.height = width * scale, height * scale
        self.pixels = [[tuple(fill)] * self.width for _ in range(self.height)]

    def coverage(self, shape, px, py):
        s = self.scale
        return max(0.0, min(1.0, 0.5 - shape((px + 0.5) / s, (py + 0.5) / s) * s))

    def paint(self, shape, colour, box=None):
        """Blends colour into the pixels the shape covers, within box (x0, y0, x1) on the grid if given.
        colour may be a function of the grid y."""
        s = self.scale
        x0, y0, x1, y1 = box if box else (0, 0, self.width / s, self.height / s)
        for py in range(int(y0 * s), int(math.ceil(y1 * s))):
            c = colour((py + 0.5) / s) if callable(colour) else colour
            row = self.pixels[py]
            for px in range(int(x0 * s), int(math.ceil(x1 * s))):
                a = self.coverage(shape, px, py)
                if a > 0:
                    row[px] = mix(row[px], c, a)

    def key(self, shape, inside, threshold=0.5, box=None):
        """Sets magenta where the shape covers at least threshold (inside) or less than it (outside),
        within box (x0, y0, x1, y1) on the grid if given."""
        s = self.scale
        x0, y0, x1, y1 = box if box else (0, 0, self.width / s, self.height / s)
        for py in range(int(y0 * s), int(math.ceil(y1 * s))):
            for px in range(int(x0 * s), int(math.ceil(x1 * s))):
                if (self.coverage(shape, px, py) >= threshold) == inside:
                    self.pixels[py][px] = MAGENTA

    def rows(self):
        return [[tuple(int(round(v)) for v in p) for p in row] for row in self.pixels]


def gradient(top, bottom, y0, y1):
    """Colour as a function of the grid y, from top at y0 to bottom at y1."""
    return lambda y: mix(top, bottom, min(1.0, max(0.0, (y - y0) / (y1 - y0))))


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


# --- Cells: two states side by side, normal on the left, pressed on the right. ---


def tile_shape(cell, x0):
    w, h = cell
    return rounded_box(x0 + CELL_INSET, CELL_INSET, x0 + w - CELL_INSET, h - CELL_INSET, radius(cell))


def radius(cell):
    return 9 if cell == BIG_CELL else 7


def btn_text(cell, scale):
    w, h = cell
    canvas = Canvas(2 * w, h, scale, BACKGROUND)
    for x0, top, bottom, edge in ((0, TILE_TOP, TILE_BOTTOM, TILE_EDGE), (w, ACCENT_TOP, ACCENT_BOTTOM, ACCENT_TOP)):
        canvas.paint(tile_shape(cell, x0), edge, (x0, 0, x0 + w, h))
        inner = rounded_box(x0 + CELL_INSET + 1, CELL_INSET + 1, x0 + w - CELL_INSET - 1, h - CELL_INSET - 1,
                            radius(cell) - 1)
        canvas.paint(inner, gradient(top, bottom, CELL_INSET, h - CELL_INSET), (x0, 0, x0 + w, h))
    return canvas


def btn_add(cell, scale):
    w, h = cell
    canvas = Canvas(2 * w, h, scale, BACKGROUND)
    arm = 8 if cell == BIG_CELL else 6
    for x0, fill, edge, mark in ((0, EMPTY_FILL, EMPTY_EDGE, EMPTY_MARK), (w, ACCENT_BOTTOM, ACCENT_TOP, INK_DARK)):
        box = (x0, 0, x0 + w, h)
        canvas.paint(tile_shape(cell, x0), edge, box)
        inner = rounded_box(x0 + CELL_INSET + 1, CELL_INSET + 1, x0 + w - CELL_INSET - 1, h - CELL_INSET - 1,
                            radius(cell) - 1)
        canvas.paint(inner, fill, box)
        cx, cy = x0 + w / 2, h / 2
        plus = union(stroke([(cx - arm, cy), (cx + arm, cy)], 3), stroke([(cx, cy - arm), (cx, cy + arm)], 3))
        canvas.paint(plus, mark, box)
    return canvas


def photo_frame(cell, scale):
    """A ring around the photo's window; the cell's margin and outer corners hide the photo's edges."""
    w, h = cell
    canvas = Canvas(2 * w, h, scale, BACKGROUND)
    r = radius(cell)
    for x0, ring, width in ((0, PHOTO_RING, 1.5), (w, ACCENT, 3)):
        canvas.paint(tile_shape(cell, x0), ring, (x0, 0, x0 + w, h))
        i = CELL_INSET + width
        window = rounded_box(x0 + i, i, x0 + w - i, h - i, max(1, r - width))
        canvas.key(window, inside=True, box=(x0, 0, x0 + w, h))
    return canvas


def active_frame(cell, scale):
    """The focus ring: two pixels larger than the cell on every side, centred on it."""
    w, h = cell[0] + 4, cell[1] + 4
    canvas = Canvas(w, h, scale, BACKGROUND)
    r = radius(cell)
    outer = rounded_box(0.5, 0.5, w - 0.5, h - 0.5, r + 3.5)
    canvas.paint(outer, ACCENT)
    canvas.key(outer, inside=False, threshold=0.3)
    inner = rounded_box(2 + CELL_INSET, 2 + CELL_INSET, w - 2 - CELL_INSET, h - 2 - CELL_INSET, r)
    canvas.key(inner, inside=True)
    return canvas


def number_frame(scale):
    """The dial-number badge; the program puts the frame in a cell's lower right corner and centres the
    number on it. The keyed margin keeps the badge inside the tile's rounded corner."""
    w, h, margin = 30, 23, 4
    canvas = Canvas(w, h, scale, TILE_BOTTOM)
    pill = rounded_box(margin, margin, w - margin, h - margin, 7.5)
    canvas.paint(pill, ACCENT_TOP)
    canvas.paint(rounded_box(margin + 1, margin + 1, w - margin - 1, h - margin - 1, 6.5),
                 gradient(BADGE, mix(BADGE, INK_DARK, 0.25), margin + 1, h - margin - 1))
    canvas.key(pill, inside=False, threshold=0.3)
    return canvas


# --- Bottom panel: strips of equal frames, side by side (portrait) or stacked (landscape). ---


def chevron(cx, cy, direction):
    return stroke([(cx - 3 * direction, cy - 7), (cx + 4 * direction, cy), (cx - 3 * direction, cy + 7)], 3)


def menu_icon(cx, cy):
    return union(*(stroke([(cx - 8, cy + dy), (cx + 8, cy + dy)], 2.5) for dy in (-6, 0, 6)))


def close_icon(cx, cy):
    return union(stroke([(cx - 6, cy - 6), (cx + 6, cy + 6)], 2.5), stroke([(cx - 6, cy + 6), (cx + 6, cy - 6)], 2.5))


def panel_key(canvas, x0, y0, frame, icon, state):
    """One key: a dark face with the icon over a light band that carries the program's black caption."""
    w, h = frame
    face, band, ink = {
        "normal": ((TILE_TOP, TILE_BOTTOM), BAND, INK_LIGHT),
        "pressed": ((ACCENT_TOP, ACCENT_BOTTOM), BAND_PRESSED, INK_DARK),
        "disabled": ((KEY_DISABLED, KEY_DISABLED), BAND_DISABLED, INK_DIM),
    }[state]
    key = rounded_box(x0 + 2, y0 + 2, x0 + w - 2, y0 + h - 1, 7)
    split = y0 + h - BAND_HEIGHT
    box = (x0, y0, x0 + w, y0 + h)
    canvas.paint(lambda x, y: max(key(x, y), y - split), gradient(*face, y0 + 2, split), box)
    canvas.paint(lambda x, y: max(key(x, y), split - y), band, box)
    canvas.paint(icon(x0 + w / 2, y0 + (h - BAND_HEIGHT) / 2 + 1), ink, box)


def panel_strip(frame, keys, vertical, scale):
    w, h = frame
    n = len(keys)
    canvas = Canvas(w if vertical else w * n, h * n if vertical else h, scale, BACKGROUND)
    for i, (icon, state) in enumerate(keys):
        x0, y0 = (0, h * i) if vertical else (w * i, 0)
        panel_key(canvas, x0, y0, frame, icon, state)
    return canvas


def back(cx, cy):
    return chevron(cx, cy, -1)


def forward(cx, cy):
    return chevron(cx, cy, 1)


NAVIGATION_KEYS = [(back, "normal"), (forward, "normal"), (back, "pressed"), (forward, "pressed"),
                   (back, "disabled"), (forward, "disabled")]
MENU_KEYS = [(menu_icon, "normal"), (close_icon, "normal"), (menu_icon, "pressed"), (close_icon, "pressed")]


# --- Lists and the SMS header: tiled by the program, so every image is uniform across its width. ---


def vertical_band(width, height, top, bottom, line, line_height, scale):
    canvas = Canvas(width, height, scale, top)
    canvas.paint(lambda x, y: y - (height - line_height), gradient(top, bottom, 0, height - line_height))
    canvas.paint(lambda x, y: (height - line_height) - y, line)
    return canvas


def scroll(scale):
    """The list's scroll indicator: a slim pill; the program stretches its middle third."""
    w, h = 6, 24
    canvas = Canvas(w, h, scale, ROW_BOTTOM)
    canvas.paint(rounded_box(0.5, 0.5, w - 0.5, h - 0.5, 2.5), THUMB)
    return canvas


def images(scale):
    """(resource id, file name, canvas) for every image of the skin."""
    return [
        (101, "big_photo_frame", photo_frame(BIG_CELL, scale)),
        (102, "big_active_frame", active_frame(BIG_CELL, scale)),
        (106, "big_btn_text", btn_text(BIG_CELL, scale)),
        (109, "big_btn_add", btn_add(BIG_CELL, scale)),
        (110, "small_photo_frame", photo_frame(SMALL_CELL, scale)),
        (111, "small_active_frame", active_frame(SMALL_CELL, scale)),
        (115, "small_btn_text", btn_text(SMALL_CELL, scale)),
        (113, "small_btn_add", btn_add(SMALL_CELL, scale)),
        (120, "btn_number_frame", number_frame(scale)),
        (132, "p_panel_2", panel_strip(PORTRAIT_FRAME, MENU_KEYS, False, scale)),
        (137, "p_panel_1", panel_strip(PORTRAIT_FRAME, NAVIGATION_KEYS, False, scale)),
        (135, "l_panel_2", panel_strip(LANDSCAPE_FRAME, MENU_KEYS, True, scale)),
        (133, "l_panel_1", panel_strip(LANDSCAPE_FRAME, NAVIGATION_KEYS, True, scale)),
        (140, "scroll", scroll(scale)),
        (142, "sms_bgr", vertical_band(32, 40, HEADER_TOP, HEADER_BOTTOM, ACCENT, 2, scale)),
        (154, "list_select_bgr", vertical_band(32, 40, SELECTED_TOP, SELECTED_BOTTOM, SELECTED_LINE, 1, scale)),
        (156, "list_unselect_bgr", vertical_band(32, 40, ROW_TOP, ROW_BOTTOM, ROW_LINE, 1, scale)),
        (158, "list_void_bgr", Canvas(32, 32, scale, VOID)),
    ]


# --- Contact sheet: every image at both resolutions, magenta shown as a checkerboard. ---

FONT = {  # 5 x 7 glyphs, one string of five bits per row
    "a": "00000 00000 01110 00001 01111 10001 01111", "b": "10000 10000 10110 11001 10001 10001 11110",
    "c": "00000 00000 01110 10000 10000 10001 01110", "d": "00001 00001 01101 10011 10001 10001 01111",
    "e": "00000 00000 01110 10001 11111 10000 01110", "f": "00110 01001 01000 11100 01000 01000 01000",
    "g": "00000 00000 01111 10001 01111 00001 01110", "h": "10000 10000 10110 11001 10001 10001 10001",
    "i": "00100 00000 01100 00100 00100 00100 01110", "j": "00010 00000 00110 00010 00010 10010 01100",
    "k": "10000 10000 10010 10100 11000 10100 10010", "l": "01100 00100 00100 00100 00100 00100 01110",
    "m": "00000 00000 11010 10101 10101 10001 10001", "n": "00000 00000 10110 11001 10001 10001 10001",
    "o": "00000 00000 01110 10001 10001 10001 01110", "p": "00000 00000 11110 10001 11110 10000 10000",
    "q": "00000 00000 01101 10011 01111 00001 00001", "r": "00000 00000 10110 11001 10000 10000 10000",
    "s": "00000 00000 01110 10000 01110 00001 11110", "t": "01000 01000 11100 01000 01000 01001 00110",
    "u": "00000 00000 10001 10001 10001 10011 01101", "v": "00000 00000 10001 10001 10001 01010 00100",
    "w": "00000 00000 10001 10001 10101 10101 01010", "x": "00000 00000 10001 01010 00100 01010 10001",
    "y": "00000 00000 10001 10001 01111 00001 01110", "z": "00000 00000 11111 00010 00100 01000 11111",
    "0": "01110 10001 10011 10101 11001 10001 01110", "1": "00100 01100 00100 00100 00100 00100 01110",
    "2": "01110 10001 00001 00010 00100 01000 11111", "3": "11111 00010 00100 00010 00001 10001 01110",
    "4": "00010 00110 01010 10010 11111 00010 00010", "5": "11111 10000 11110 00001 00001 10001 01110",
    "6": "00110 01000 10000 11110 10001 10001 01110", "7": "11111 00001 00010 00100 01000 01000 01000",
    "8": "01110 10001 10001 01110 10001 10001 01110", "9": "01110 10001 10001 01111 00001 00010 01100",
    "_": "00000 00000 00000 00000 00000 00000 11111", " ": "00000 00000 00000 00000 00000 00000 00000",
    "(": "00010 00100 01000 01000 01000 00100 00010", ")": "01000 00100 00010 00010 00010 00100 01000",
}
LABEL_SCALE, LABEL_HEIGHT, SHEET_WIDTH, GAP = 2, 22, 1180, 16
SHEET_BACKGROUND, LABEL_COLOUR = (14, 17, 22), (176, 188, 204)


def draw_label(sheet, x, y, text):
    for i, ch in enumerate(text):
        for row, bits in enumerate(FONT[ch].split()):
            for col, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(LABEL_SCALE):
                        for dx in range(LABEL_SCALE):
                            sheet[y + row * LABEL_SCALE + dy][x + (i * 6 + col) * LABEL_SCALE + dx] = LABEL_COLOUR


def contact_sheet(sets):
    placed, x, y, shelf = [], GAP, GAP, 0
    for label, rows in sets:
        w = max(len(rows[0]), len(label) * 6 * LABEL_SCALE)
        h = len(rows) + LABEL_HEIGHT
        if x + w + GAP > SHEET_WIDTH:
            x, y, shelf = GAP, y + shelf + GAP, 0
        placed.append((x, y, label, rows))
        x, shelf = x + w + GAP, max(shelf, h)
    sheet = [[SHEET_BACKGROUND] * SHEET_WIDTH for _ in range(y + shelf + GAP)]
    for x, y, label, rows in placed:
        for j, row in enumerate(rows):
            for i, p in enumerate(row):
                checker = (110, 110, 118) if ((i // 4 + j // 4) % 2) else (80, 80, 88)
                sheet[y + j][x + i] = checker if p == MAGENTA else p
        draw_label(sheet, x, y + len(rows) + 6, label)
    return sheet


def png_bytes(rows):
    """A PNG of rows of RGB or RGBA pixels."""
    height, width = len(rows), len(rows[0])
    colour_type = 6 if len(rows[0][0]) == 4 else 2
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    return png + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def write_png(path, rows):
    with open(path, "wb") as f:
        f.write(png_bytes(rows))


def main():
    sheet_sets = []
    for folder, scale in (("lowres", 1), ("highres", 2)):
        os.makedirs(os.path.join(ROOT, "resources", folder), exist_ok=True)
        for _, name, canvas in images(scale):
            rows = canvas.rows()
            write_bmp(os.path.join(ROOT, "resources", folder, name + ".bmp"), rows)
            if scale == 2:
                sheet_sets.append((name, rows))
    os.makedirs(os.path.join(ROOT, "docs"), exist_ok=True)
    write_png(os.path.join(ROOT, "docs", "skin-contact-sheet.png"), contact_sheet(sheet_sets))


if __name__ == "__main__":
    main()
