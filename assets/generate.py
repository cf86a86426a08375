#!/usr/bin/python3
"""Draws the library's artwork and writes it as Windows BMP and ICO files.

    /usr/bin/python3 assets/generate.py [--root DIR] [--sheet PNG]

writes DIR/assets/bitmaps/*.bmp, DIR/assets/icons/*.ico,
DIR/ui/common/artwork_ids.h and DIR/ui/common/artwork.rc (DIR defaults to
the repository), and with --sheet a contact sheet of every picture.
Needs python3-pil, fonts-dejavu-core and fonts-ipafont-gothic. The output
depends only on this file and the fonts: no dates, no randomness.
"""
import argparse
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONT_LATIN = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_LATIN_CONDENSED = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"
FONT_JAPANESE = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
FONT_JAPANESE_PROPORTIONAL = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
# Inside pictures that are drawn transparently, light areas use this
# instead of pure white, which the drawing code treats as "no paint".
PAPER = (254, 254, 254)

# The 16 colors of a 4-bit display (Windows' standard VGA palette).
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def font(path, size):
    return ImageFont.truetype(path, size)


# ---------------------------------------------------------------- file formats

def _palette_of(img):
    pal = img.getpalette() or []
    return [tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)]


def dib(img, bits, height_factor=1):
    """BITMAPINFOHEADER, color table and bottom-up rows of img.
    img is "RGB" for 24 bits or "P" (palette) for 1, 4 and 8 bits."""
    w, h = img.size
    colors = []
    if bits <= 8:
        colors = _palette_of(img)[:1 << bits]
        colors += [(0, 0, 0)] * ((1 << bits) - len(colors))
    stride = ((w * bits + 31) // 32) * 4
    rows = []
    px = img.load()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        if bits == 24:
            for x in range(w):
                r, g, b = px[x, y][:3]
                row += bytes((b, g, r))
        else:
            per = 8 // bits
            for x0 in range(0, w, per):
                v = 0
                for k in range(per):
                    x = x0 + k
                    v = (v << bits) | (px[x, y] if x < w else 0)
                row.append(v)
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    header = struct.pack("<IiiHHIIiiII", 40, w, h * height_factor, 1, bits, 0,
                         stride * h, 0, 0, len(colors), 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in colors)
    return header, table, b"".join(rows)


def write_bmp(path, img, bits):
    header, table, pixels = dib(img, bits)
    offset = 14 + len(header) + len(table)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header + table + pixels)


def to_palette(img, colors):
    """Maps an RGB image onto the given colors: each pixel takes the nearest
    entry (its own color when listed), no dithering."""
    rgb = img.convert("RGB")
    out = Image.new("P", rgb.size)
    out.putpalette([c for c3 in colors for c in c3] + [0] * (768 - 3 * len(colors)))
    cache = {}
    src, dst = rgb.load(), out.load()
    for y in range(rgb.height):
        for x in range(rgb.width):
            p = src[x, y]
            k = cache.get(p)
            if k is None:
                k = min(range(len(colors)), key=lambda i: sum((a - b) ** 2 for a, b in zip(p, colors[i])))
                cache[p] = k
            dst[x, y] = k
    return out


def exact_palette(img, limit):
    """A palette image with img's own colors when they fit in limit entries,
    else a median-cut reduction (deterministic)."""
    rgb = img.convert("RGB")
    used = rgb.getcolors(limit)
    if used is not None:
        colors = sorted(c for _, c in used)
        return to_palette(rgb, colors)
    # Pure white marks "transparent" or "background" for the drawing code:
    # keep it exact, as an entry of its own, and let no other entry be it.
    reduced = rgb.quantize(colors=limit - 1, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = _palette_of(reduced)[:limit - 1]
    pal = [c if c != WHITE else (254, 254, 254) for c in pal]
    pal += [BLACK] * (limit - 1 - len(pal)) + [WHITE]
    reduced.putpalette([v for c in pal for v in c])
    white = rgb.point(lambda v: 255 if v == 255 else 0).convert("L").point(lambda v: 255 if v == 255 else 0)
    reduced.paste(limit - 1, mask=white)
    return reduced


def write_ico(path, images):
    """images: RGBA pictures (32x32 and 16x16). Each is stored at 4 and at
    8 bits per pixel with an AND mask, the formats that every version of
    Windows shows."""
    entries = []
    for rgba in images:
        w, h = rgba.size
        alpha = rgba.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
        solid = Image.new("RGB", rgba.size, BLACK)
        solid.paste(rgba.convert("RGB"), mask=alpha)
        for bits in (4, 8):
            if bits == 4:
                pimg = to_palette(solid, VGA)
            else:
                pimg = exact_palette(solid, 256)
            header, table, xor = dib(pimg, bits, height_factor=2)
            mask = Image.new("P", rgba.size, 0)
            mask.putpalette([0, 0, 0, 255, 255, 255])
            mpx, apx = mask.load(), alpha.load()
            for y in range(h):
                for x in range(w):
                    mpx[x, y] = 0 if apx[x, y] else 1
            _, _, andbits = dib(mask, 1)
            data = header + table + xor + andbits
            entries.append((w, h, 16 if bits == 4 else 0, bits, data))
    offset = 6 + 16 * len(entries)
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    blobs = b""
    for w, h, ncolors, bits, data in entries:
        out += struct.pack("<BBBBHHII", w, h, ncolors, 0, 1, bits, len(data), offset + len(blobs))
        blobs += data
    with open(path, "wb") as f:
        f.write(bytes(out) + blobs)


# ------------------------------------------------------------- icon helpers

GLYPHS = {
    # 5 x 7, 3 x 5 and 3 x 4 digits for the pages drawn inside icons.
    (5, 7): {1: ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
             2: [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
             3: ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
             4: ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."]},
    (3, 5): {1: [".#.", "##.", ".#.", ".#.", "###"],
             2: ["##.", "..#", ".#.", "#..", "###"],
             3: ["##.", "..#", ".#.", "..#", "##."],
             4: ["#.#", "#.#", "###", "..#", "..#"]},
    (3, 4): {1: [".#.", "##.", ".#.", "###"],
             2: ["##.", "..#", ".#.", "###"],
             3: ["###", ".##", "..#", "###"],
             4: ["#.#", "###", "..#", "..#"]},
}


def put_digit(d, box, n, color):
    x0, y0, x1, y1 = box
    bw, bh = x1 - x0 + 1, y1 - y0 + 1
    for gw, gh in ((5, 7), (3, 5), (3, 4)):
        if gw <= bw and gh <= bh:
            rows = GLYPHS[(gw, gh)][n]
            ox, oy = x0 + (bw - gw) // 2, y0 + (bh - gh) // 2
            for j, row in enumerate(rows):
                for i, c in enumerate(row):
                    if c == "#":
                        d.point((ox + i, oy + j), fill=color)
            return


def new_icon(size):
    return Image.new("RGBA", (size, size), (0, 0, 0, 0))


SHADOW = (128, 128, 128)
NAVY = (0, 0, 128)
GRAY = (128, 128, 128)
LIGHT = (192, 192, 192)


def sheet_rect(size, landscape):
    """The sheet of paper in a layout picture, leaving room for its shadow."""
    if size >= 32:
        return (0, 5, 29, 25) if landscape else (5, 0, 25, 29)
    return (0, 2, 14, 12) if landscape else (2, 0, 12, 14)


def draw_sheet(d, rect):
    x0, y0, x1, y1 = rect
    d.rectangle((x0 + 1, y0 + 1, x1 + 1, y1 + 1), fill=SHADOW)
    d.rectangle(rect, fill=WHITE, outline=BLACK)


def split(a0, a1, n, gutter):
    """n equal cells between a0 and a1 inclusive, gutter pixels apart."""
    cell = (a1 - a0 + 1 - gutter * (n - 1)) // n
    used = cell * n + gutter * (n - 1)
    start = a0 + (a1 - a0 + 1 - used) // 2
    return [(start + k * (cell + gutter), start + k * (cell + gutter) + cell - 1) for k in range(n)]


def layout_icon(size, landscape_sheet, cols, rows, numbers, chosen=False):
    """A sheet holding cols x rows pages numbered in reading order of
    `numbers` (row by row, left to right). Chosen pictures show the pages
    in navy with white numbers."""
    img = new_icon(size)
    d = ImageDraw.Draw(img)
    rect = sheet_rect(size, landscape_sheet)
    draw_sheet(d, rect)
    x0, y0, x1, y1 = rect[0] + 1, rect[1] + 1, rect[2] - 1, rect[3] - 1
    big = size >= 32
    if big:
        x0, y0, x1, y1 = x0 + 1, y0 + 1, x1 - 1, y1 - 1
    gutter = 2 if big else 1
    if not big:
        d.rectangle((x0, y0, x1, y1), fill=LIGHT)
    xs, ys = split(x0, x1, cols, gutter), split(y0, y1, rows, gutter)
    fill, ink, edge = (NAVY, WHITE, NAVY) if chosen else (WHITE, BLACK, GRAY)
    k = 0
    for ya, yb in ys:
        for xa, xb in xs:
            if big:
                d.rectangle((xa, ya, xb, yb), fill=fill, outline=edge)
                put_digit(d, (xa + 1, ya + 1, xb - 1, yb - 1), numbers[k], ink)
            else:
                d.rectangle((xa, ya, xb, yb), fill=fill)
                put_digit(d, (xa, ya, xb, yb), numbers[k], ink)
            k += 1
    return img


# Page numbers of the four-up orders, row by row: across then down, down
# then across, across from the right, down from the right.
FOUR_UP_ORDERS = [[1, 2, 3, 4], [1, 3, 2, 4], [2, 1, 4, 3], [3, 1, 4, 2]]
TWO_UP_ORDERS = [[1, 2], [2, 1]]


def portrait_layout(n_up, order, chosen=False):
    def make(size):
        if n_up == 1:
            return layout_icon(size, False, 1, 1, [1], chosen)
        if n_up == 2:  # two upright pages side by side on a turned sheet
            return layout_icon(size, True, 2, 1, TWO_UP_ORDERS[order], chosen)
        return layout_icon(size, False, 2, 2, FOUR_UP_ORDERS[order], chosen)
    return make


def landscape_layout(n_up, order, chosen=False):
    def make(size):
        if n_up == 1:
            return layout_icon(size, True, 1, 1, [1], chosen)
        if n_up == 2:  # two wide pages one above the other on an upright sheet
            return layout_icon(size, False, 1, 2, [1, 2], chosen)
        return layout_icon(size, True, 2, 2, FOUR_UP_ORDERS[order], chosen)
    return make


def text_lines(d, box, color, step, short_last=True):
    x0, y0, x1, y1 = box
    y = y0
    n = 0
    while y <= y1:
        end = x1 if not (short_last and n % 3 == 2) else x0 + (x1 - x0) * 2 // 3
        d.line((x0, y, end, y), fill=color)
        y += step
        n += 1


BIND_RED = (255, 0, 0)


def binding_icon(landscape_sheet, edge):
    """A bound set of sheets: two sheets of text (the second showing behind)
    with the binding edge marked by a red spine and staple holes."""
    def make(size):
        img = new_icon(size)
        d = ImageDraw.Draw(img)
        big = size >= 32
        if landscape_sheet:
            rect = (1, 6, 28, 25) if big else (0, 3, 14, 12)
        else:
            rect = (6, 1, 25, 28) if big else (3, 0, 12, 14)
        back = tuple(v + (2 if big else 1) for v in rect)
        d.rectangle(back, fill=LIGHT, outline=GRAY)
        d.rectangle(rect, fill=WHITE, outline=BLACK)
        x0, y0, x1, y1 = rect
        m = 3 if big else 2
        if big:
            text_lines(d, (x0 + m + (2 if edge == "left" else 0), y0 + m + (2 if edge == "top" else 0),
                           x1 - m - (2 if edge == "right" else 0), y1 - m - (2 if edge == "bottom" else 0)),
                       GRAY, 3)
        # the spine
        spine = {"left": (x0, y0, x0 + (1 if big else 0), y1), "right": (x1 - (1 if big else 0), y0, x1, y1),
                 "top": (x0, y0, x1, y0 + (1 if big else 0)), "bottom": (x0, y1 - (1 if big else 0), x1, y1)}[edge]
        d.rectangle(spine, fill=BIND_RED)
        # staples along the spine
        if edge in ("left", "right"):
            x = x0 + 2 if edge == "left" else x1 - 2 - (1 if big else 0)
            if not big:
                x = x0 + 1 if edge == "left" else x1 - 1
            for _, (a, b) in zip(range(3), split(y0 + 3, y1 - 3, 3, (y1 - y0) // 4)):
                yc = (a + b) // 2
                d.rectangle((x, yc, x + (1 if big else 0), yc + (1 if big else 0)), fill=BLACK)
        else:
            y = y0 + 2 if edge == "top" else y1 - 2 - (1 if big else 0)
            if not big:
                y = y0 + 1 if edge == "top" else y1 - 1
            for _, (a, b) in zip(range(3), split(x0 + 3, x1 - 3, 3, (x1 - x0) // 4)):
                xc = (a + b) // 2
                d.rectangle((xc, y, xc + (1 if big else 0), y + (1 if big else 0)), fill=BLACK)
        return img
    return make


ARROW_BLUE = (0, 0, 255)


def feed_icon(landscape_sheet):
    """The sheet entering the printer (dark body at the top), with the
    direction of feed as an arrow: upright sheets go in short edge first,
    wide sheets long edge first."""
    def make(size):
        img = new_icon(size)
        d = ImageDraw.Draw(img)
        s = size / 32
        if landscape_sheet:
            rect = (1, 9, 30, 30)
        else:
            rect = (8, 4, 23, 31)
        r = tuple(int(round(v * s)) for v in rect)
        d.rectangle(r, fill=WHITE, outline=BLACK)
        # printer body with its slot
        d.rectangle((0, 0, size - 1, int(round(6 * s))), fill=GRAY, outline=BLACK)
        d.line((int(3 * s), int(round(6 * s)), size - 1 - int(3 * s), int(round(6 * s))), fill=BLACK)
        # arrow
        cx = (r[0] + r[2]) // 2
        top = int(round(r[1] + 3 * s)) if landscape_sheet else int(round(10 * s))
        bottom = r[3] - int(round(3 * s))
        head = int(round(5 * s))
        half = max(2, int(round(5 * s)))
        shaft = max(1, int(round(1.5 * s)))
        d.rectangle((cx - shaft, top + head, cx + shaft - (0 if size >= 32 else 1), bottom), fill=ARROW_BLUE)
        d.polygon([(cx, top), (cx - half, top + head), (cx + half - (0 if size >= 32 else 1), top + head)],
                  fill=ARROW_BLUE)
        return img
    return make


# Color mode icons are drawn four times larger with smooth shapes and then
# reduced, since they are small pictures rather than diagrams.

def smooth_icon(draw_fn):
    def make(size):
        big = Image.new("RGBA", (128, 128), (0, 0, 0, 0))
        draw_fn(ImageDraw.Draw(big), big)
        return big.resize((size, size), Image.Resampling.LANCZOS if size == 32 else Image.Resampling.BOX)
    return make


def page(d, x0, y0, x1, y1, ear=14):
    d.polygon([(x0, y0), (x1 - ear, y0), (x1, y0 + ear), (x1, y1), (x0, y1)], fill=PAPER, outline=BLACK, width=3)
    d.polygon([(x1 - ear, y0), (x1 - ear, y0 + ear), (x1, y0 + ear)], fill=LIGHT, outline=BLACK, width=2)


def draw_document(d, img):
    page(d, 30, 4, 110, 100)
    page(d, 14, 22, 94, 122)
    colors = [(220, 0, 0), (0, 0, 220), (0, 150, 0), (0, 0, 0), (220, 0, 180), (0, 140, 200), (230, 120, 0)]
    for k, y in enumerate(range(40, 112, 11)):
        end = 80 if k % 3 != 2 else 60
        d.rectangle((26, y, end, y + 5), fill=colors[k % len(colors)])


def draw_photo(d, img):
    d.rectangle((6, 20, 121, 110), fill=PAPER, outline=BLACK, width=3)
    x0, y0, x1, y1 = 14, 28, 113, 100
    for y in range(y0, y1 + 1):
        t = (y - y0) / (y1 - y0)
        d.line((x0, y, x1, y), fill=(int(60 + 120 * t), int(120 + 100 * t), 255))
    d.ellipse((76, 34, 98, 56), fill=(255, 220, 0), outline=(230, 140, 0), width=2)
    d.polygon([(14, 84), (44, 50), (70, 80), (86, 66), (113, 90), (113, 100), (14, 100)], fill=(40, 140, 40))
    d.polygon([(36, 60), (44, 50), (52, 60), (48, 62), (44, 58), (40, 62)], fill=PAPER)
    d.rectangle((14, 92, 113, 100), fill=(30, 110, 30))
    d.rectangle((x0, y0, x1, y1), outline=(64, 64, 64), width=2)


def draw_graphics(d, img):
    page(d, 18, 4, 110, 124)
    d.pieslice((26, 18, 66, 58), 0, 120, fill=(230, 0, 0), outline=BLACK, width=2)
    d.pieslice((26, 18, 66, 58), 120, 250, fill=(0, 0, 230), outline=BLACK, width=2)
    d.pieslice((26, 18, 66, 58), 250, 360, fill=(255, 210, 0), outline=BLACK, width=2)
    for k, (h, c) in enumerate([(14, (0, 160, 0)), (26, (0, 120, 220)), (36, (220, 0, 160))]):
        x = 72 + k * 11
        d.rectangle((x, 56 - h, x + 8, 56), fill=c, outline=BLACK, width=1)
    d.line((70, 57, 104, 57), fill=BLACK, width=2)
    for k, y in enumerate(range(70, 118, 10)):
        d.rectangle((28, y, 98 if k % 3 != 2 else 74, y + 4), fill=(40, 40, 40))


def draw_mono(d, img):
    f = font(FONT_LATIN, 86)
    d.text((2, 8), "A", font=f, fill=(64, 64, 64))
    f2 = font(FONT_LATIN, 66)
    d.text((66, 36), "a", font=f2, fill=(150, 150, 150))
    d.rectangle((4, 112, 124, 118), fill=(100, 100, 100))


def draw_tools(d, img):
    # wrench, lower left to upper right
    steel, dark = (176, 180, 190), (60, 60, 70)
    d.line((30, 104, 86, 44), fill=dark, width=20)
    d.line((30, 104, 86, 44), fill=steel, width=14)
    d.ellipse((70, 10, 118, 58), fill=steel, outline=dark, width=3)
    d.polygon([(92, 4), (124, 20), (104, 40), (86, 30)], fill=(0, 0, 0, 0))
    d.ellipse((18, 92, 42, 116), fill=steel, outline=dark, width=3)
    # screwdriver, upper left to lower right
    d.line((18, 18, 70, 70), fill=dark, width=10)
    d.line((18, 18, 70, 70), fill=(210, 210, 220), width=6)
    d.line((66, 66, 112, 112), fill=(90, 0, 0), width=24)
    d.line((68, 68, 110, 110), fill=(220, 30, 30), width=18)
    d.line((74, 70, 104, 100), fill=(255, 120, 120), width=4)


# ------------------------------------------------------------ bitmap helpers

def ramp(w, h, stops):
    """Horizontal gradient through the given colors, evenly spaced."""
    img = Image.new("RGB", (w, h))
    px = img.load()
    n = len(stops) - 1
    for x in range(w):
        t = x / (w - 1) * n
        k = min(int(t), n - 1)
        f = t - k
        c = tuple(int(round(a + (b - a) * f)) for a, b in zip(stops[k], stops[k + 1]))
        for y in range(h):
            px[x, y] = c
    return img


HUES = [(255, 0, 0), (255, 160, 0), (240, 230, 0), (0, 190, 0), (0, 200, 230), (0, 60, 255), (200, 0, 200)]


def saturation_strip(w, h):
    """Each band a hue, from grey on the left to full color on the right."""
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        c = HUES[y * len(HUES) // h]
        gray = (c[0] * 30 + c[1] * 59 + c[2] * 11) // 100
        for x in range(w):
            t = x / (w - 1)
            px[x, y] = tuple(int(round(gray + (v - gray) * t)) for v in c)
    return img


def contrast_strip(w, h):
    """Bands of tones from dark to light, squeezed to mid grey on the left
    and spread to black and white on the right."""
    img = Image.new("RGB", (w, h))
    px = img.load()
    bands = 7
    for y in range(h):
        b = y * bands // h
        level = b / (bands - 1)
        for x in range(w):
            t = x / (w - 1)
            v = int(round(255 * (0.5 + (level - 0.5) * t)))
            px[x, y] = (v, v, v)
    return img


def balance_swatch():
    img = Image.new("RGB", (73, 4))
    rows = [[(0, 255, 255), (255, 0, 0)], [(255, 0, 255), (0, 255, 0)],
            [(255, 255, 0), (0, 0, 255)], [(0, 0, 0), (255, 255, 255)]]
    for y, stops in enumerate(rows):
        img.paste(ramp(73, 1, stops), (0, y))
    return img


def density_bar(ink):
    """A wedge growing from light (left) to full ink (right) on pure white;
    the white around it is one area touching the top-left corner, so the
    page's background color can fill it. Stored at 4 bits per pixel."""
    w, h = 226, 16
    steps = 14
    palette = [WHITE] + [tuple(int(round(255 + (c - 255) * (k + 1) / steps)) for c in ink)
                         for k in range(steps)] + [ink]
    img = Image.new("P", (w, h), 0)
    img.putpalette([v for c in palette for v in c] + [0] * (768 - 3 * len(palette)))
    d = ImageDraw.Draw(img)
    left, right, base, top = 2, w - 3, h - 2, 1
    for x in range(left, right + 1):
        t = (x - left) / (right - left)
        y = int(round(base - (base - top) * t))
        k = min(steps - 1, int(t * steps))
        d.line((x, y, x, base), fill=1 + k)
    d.line((left, base, right, base), fill=15)
    d.line((right, top, right, base), fill=15)
    d.line((left, base, right, top), fill=15)
    return img


# ------------------------------------------------------------------ stamps

def _mask_text(size, text, fnt, box, stroke=0):
    """Text fitted into box (x0, y0, x1, y1) of a mask of the given size,
    stretched to the box's width and height."""
    x0, y0, x1, y1 = box
    probe = Image.new("L", (8, 8))
    l, t, r, b = ImageDraw.Draw(probe).textbbox((0, 0), text, font=fnt, stroke_width=stroke)
    tile = Image.new("L", (r - l + 2, b - t + 2), 0)
    ImageDraw.Draw(tile).text((1 - l, 1 - t), text, font=fnt, fill=255, stroke_width=stroke, stroke_fill=255)
    tile = tile.resize((x1 - x0, y1 - y0), Image.Resampling.LANCZOS)
    layer = Image.new("L", size, 0)
    layer.paste(tile, (x0, y0))
    return layer


def _union(a, b):
    return ImageChops.lighter(a, b)


def stamp(design, w, h, outline):
    """Black on white, two tones only: the preview tints every non-white
    pixel. design(scale) returns a high-resolution ink mask."""
    k = 8
    mask = design(w * k, h * k, outline)
    small = mask.resize((w, h), Image.Resampling.BOX).point(lambda v: 255 if v >= 128 else 0)
    if outline:
        line = 1 if w <= 72 else 2
        inner = small
        for _ in range(line):
            inner = inner.filter(ImageFilter.MinFilter(3))
        small = Image.composite(Image.new("L", small.size, 0), small, inner)
    img = Image.new("P", (w, h), 0)
    # 8-bit bitmap: entry 0 white, entry 1 black, the rest unused grey ramp.
    pal = [WHITE, BLACK] + [(v, v, v) for v in range(254, 0, -1)][:254]
    img.putpalette([c for rgb in pal for c in rgb])
    img.paste(1, mask=small)
    return img


def frame(d, box, width, radius=0):
    if radius:
        d.rounded_rectangle(box, radius=radius, outline=255, width=width)
    else:
        d.rectangle(box, outline=255, width=width)


def stamp_confidential(W, H, outline):
    u = W / 72
    m = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(m)
    d.ellipse((1 * u, 1 * u, W - 1 * u, H - 1 * u), outline=255, width=int(4 * u))
    d.ellipse((8 * u, 8 * u, W - 8 * u, H - 8 * u), outline=255, width=int(1.6 * u))
    band = (0, int(24 * u), W, int(48 * u))
    d.rectangle(band, fill=0)
    d.rectangle((0, band[1], W, band[1] + int(2.2 * u)), fill=255)
    d.rectangle((0, band[3] - int(2.2 * u), W, band[3]), fill=255)
    f = font(FONT_LATIN_CONDENSED, 200)
    text = _mask_text((W, H), "CONFIDENTIAL", f, (int(2 * u), int(28.5 * u), W - int(2 * u), int(43.5 * u)),
                      stroke=3 if outline else 0)
    m = _union(m, text)
    d = ImageDraw.Draw(m)
    for cx in (36,):
        for cy in (16, 56):
            star(d, cx * u, cy * u, 6 * u)
    return m


def star(d, cx, cy, r):
    import math
    pts = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        rr = r if i % 2 == 0 else r * 0.42
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    d.polygon(pts, fill=255)


def stamp_do_not_copy(W, H, outline):
    u = W / 72
    m = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(m)
    frame(d, (int(1 * u), int(1 * u), W - int(1 * u), H - int(1 * u)), int(4 * u), int(8 * u))
    d.rectangle((int(6 * u), int(35 * u), W - int(6 * u), int(37 * u)), fill=255)
    f = font(FONT_LATIN_CONDENSED, 200)
    m = _union(m, _mask_text((W, H), "DO NOT", f, (int(8 * u), int(9 * u), W - int(8 * u), int(31 * u)),
                                  stroke=6 if outline else 0))
    m = _union(m, _mask_text((W, H), "COPY", f, (int(10 * u), int(41 * u), W - int(10 * u), int(63 * u)),
                                  stroke=6 if outline else 0))
    return m


def stamp_hi(W, H, outline):
    u = W / 72
    m = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(m)
    d.ellipse((1 * u, 1 * u, W - 1 * u, H - 1 * u), outline=255, width=int(5 * u))
    f = font(FONT_JAPANESE, 400)
    return _union(m, _mask_text((W, H), "秘", f, (int(15 * u), int(13 * u), W - int(15 * u), H - int(14 * u)),
                                stroke=10))


def stamp_wide(text, pad_x, stroke, face=FONT_JAPANESE):
    def design(W, H, outline):
        u = W / 72
        m = Image.new("L", (W, H), 0)
        d = ImageDraw.Draw(m)
        frame(d, (int(1 * u), int(1 * u), W - int(1 * u), H - int(1 * u)), int(3.5 * u))
        f = font(face, 300)
        return _union(m, _mask_text((W, H), text, f, (int(pad_x * u), int(7 * u), W - int(pad_x * u),
                                                       H - int(7 * u)), stroke=stroke))
    return design


STAMPS = [  # (name, design, square, small solid, small outline, large solid, large outline)
    ("CONFIDENTIAL", stamp_confidential, True, 2146, 2148, 2142, 2144),
    ("DONOTCOPY", stamp_do_not_copy, True, 2152, 2154, 2149, 2150),
    ("HI", stamp_hi, True, 2138, 2140, 2205, 2136),
    ("SHAGAIHI", stamp_wide("社外秘", 7, 8), False, 2203, 2134, 2177, 2201),
    ("COPYKINSHI", stamp_wide("ｺﾋﾟｰ禁止", 6, 6, FONT_JAPANESE_PROPORTIONAL), False, 2160, 2161, 2156, 2158),
    ("MIHON", stamp_wide("見本", 12, 10), False, 2171, 2174, 2162, 2168),
]


# -------------------------------------------------------------------- logo

def logo(w, h, mono, tagline):
    """The model-name badge. Only the corners outside the badge are pure
    white, so transparent drawing keeps the page's background there and
    nowhere else."""
    k = 4
    W, H = w * k, h * k
    img = Image.new("RGB", (W, H), WHITE)
    d = ImageDraw.Draw(img)
    r = H * 0.22
    top, bottom = ((30, 30, 30), (0, 0, 0)) if mono else ((20, 60, 150), (0, 25, 85))
    body = Image.new("RGB", (W, H))
    bd = ImageDraw.Draw(body)
    for y in range(H):
        t = y / (H - 1)
        bd.line((0, y, W, y), fill=tuple(int(a + (b - a) * t) for a, b in zip(top, bottom)))
    shape = Image.new("L", (W, H), 0)
    ImageDraw.Draw(shape).rounded_rectangle((0, 0, W - 1, H - 1), radius=r, fill=255)
    img.paste(body, mask=shape)
    # toner dots: cyan, magenta, yellow overlapping
    cy = H * 0.5
    rad = H * 0.27
    dots = [(0, 200, 240), (230, 0, 140), (255, 220, 0)]
    if mono:
        dots = [(200, 200, 200), (140, 140, 140), (240, 240, 240)]
    centres = [(H * 0.42, cy - rad * 0.45), (H * 0.42 + rad * 0.9, cy - rad * 0.45), (H * 0.42 + rad * 0.45, cy + rad * 0.38)]
    layer = Image.new("RGB", (W, H), BLACK)
    for (x, y), c in zip(centres, dots):
        dot = Image.new("RGB", (W, H), BLACK)
        ImageDraw.Draw(dot).ellipse((x - rad, y - rad, x + rad, y + rad), fill=c)
        layer = ImageChops.lighter(layer, dot)
    dots_mask = layer.convert("L").point(lambda v: 255 if v else 0)
    img.paste(layer, mask=dots_mask)
    # model name
    text_left = int(H * 0.42 + rad * 0.9 + rad * 1.6)
    f = font(FONT_LATIN, 400)
    name_box = (text_left, int(H * (0.14 if tagline else 0.17)), W - int(H * 0.22),
                int(H * (0.66 if tagline else 0.83)))
    text = _mask_text((W, H), "QV-3810", f, name_box)
    img.paste(PAPER, mask=text)
    if tagline:
        f2 = font(FONT_LATIN, 200)
        tag = _mask_text((W, H), "COLOR PAGE PRINTER", f2,
                         (text_left, int(H * 0.72), W - int(H * 0.22), int(H * 0.86)))
        img.paste((255, 220, 0) if not mono else (200, 200, 200), mask=tag)
    small = img.resize((w, h), Image.Resampling.LANCZOS)
    # hard badge edge; nothing pure white inside it
    edge = shape.resize((w, h), Image.Resampling.BOX).point(lambda v: 255 if v >= 128 else 0)
    out = Image.new("RGB", (w, h), WHITE)
    inside = small.point(lambda v: min(v, 254))
    out.paste(inside, mask=edge)
    return out


# ------------------------------------------------------------------ catalogue

BITMAPS = []  # (name, id, file, image function, bits, comment)
ICONS = []    # (name, id, file, draw(size), comment)


def bitmap(name, rid, file, make, bits, comment):
    BITMAPS.append((name, rid, file, make, bits, comment))


def icon(name, rid, file, make, comment):
    ICONS.append((name, rid, file, make, comment))


def catalogue():
    bitmap("IDB_LOGO_COLOR", 2163, "logo_color.bmp", lambda: logo(140, 27, False, False), 24,
           "model-name logo, color")
    bitmap("IDB_LOGO_MONO", 2198, "logo_mono.bmp", lambda: exact_palette(logo(140, 27, True, False), 256), 8,
           "model-name logo, black and white")
    bitmap("IDB_LOGO_LARGE", 2164, "logo_large.bmp", lambda: exact_palette(logo(350, 68, False, True), 256), 8,
           "model-name logo, large, 256 colors")
    bitmap("IDB_BALANCE_SWATCH", 2094, "balance_swatch.bmp", balance_swatch, 24,
           "color balance swatch: cyan-red, magenta-green, yellow-blue, black-white")
    bars = [("IDB_BAR_BRIGHT", 2178, "bar_bright.bmp", lambda: ramp(146, 14, [BLACK, WHITE]), "black to white"),
            ("IDB_BAR_FULLNESS", 2180, "bar_fullness.bmp", lambda: saturation_strip(146, 14),
             "hues from grey to full color"),
            ("IDB_BAR_CONTRAST", 2067, "bar_contrast.bmp", lambda: contrast_strip(146, 14),
             "tones from flat to full contrast"),
            ("IDB_BAR_CYAN_RED", 2182, "bar_cyan_red.bmp", lambda: ramp(146, 14, [(0, 255, 255), (255, 0, 0)]),
             "cyan through grey to red"),
            ("IDB_BAR_MAGENTA_GREEN", 2184, "bar_magenta_green.bmp",
             lambda: ramp(147, 15, [(255, 0, 255), (0, 255, 0)]), "magenta through grey to green"),
            ("IDB_BAR_YELLOW_BLUE", 2186, "bar_yellow_blue.bmp", lambda: ramp(146, 14, [(255, 255, 0), (0, 0, 255)]),
             "yellow through grey to blue")]
    for name, rid, file, make, comment in bars:
        bitmap(name, rid, file, make, 24, "gradient bar: " + comment)
    for name, rid, ink in [("BLACK", 2188, BLACK), ("CYAN", 2196, (0, 255, 255)),
                           ("MAGENTA", 2190, (255, 0, 255)), ("YELLOW", 2192, (255, 255, 0))]:
        bitmap("IDB_DENSITY_" + name, rid, "density_%s.bmp" % name.lower(), (lambda ink=ink: density_bar(ink)), 4,
               "density wedge, %s on white" % name.lower())
    for name, design, square, *ids in STAMPS:
        for (suffix, w, outline), rid in zip([("SMALL", 72, False), ("SMALL_OUTLINE", 72, True),
                                              ("LARGE", 144, False), ("LARGE_OUTLINE", 144, True)], ids):
            h = w if square else w // 2
            bitmap("IDB_STAMP_%s_%s" % (name, suffix), rid, "stamp_%s_%s.bmp" % (name.lower(), suffix.lower()),
                   (lambda design=design, w=w, h=h, outline=outline: stamp(design, w, h, outline)), 8,
                   "stamp %s, %dx%d%s" % (name, w, h, ", outline" if outline else ""))

    for n_up, orders, ids in [(1, [0], [2001]), (2, [0, 1], [2239, 2240]), (4, [0, 1, 2, 3], [2221, 2237, 2243, 2244])]:
        for order, rid in zip(orders, ids):
            suffix = "1UP" if n_up == 1 else "%dUP_ORDER%d" % (n_up, order)
            icon("IDI_LAYOUT_PORTRAIT_" + suffix, rid, "layout_portrait_%s.ico" % suffix.lower(),
                 portrait_layout(n_up, order), "portrait pages, %d per sheet, order %d" % (n_up, order))
    for n_up, orders, ids in [(1, [0], [2238]), (2, [0], [2224]), (4, [0, 1, 2, 3], [2257, 2245, 2246, 2247])]:
        for order, rid in zip(orders, ids):
            suffix = {1: "1UP", 2: "2UP"}.get(n_up, "4UP_ORDER%d" % order)
            icon("IDI_LAYOUT_LANDSCAPE_" + suffix, rid, "layout_landscape_%s.ico" % suffix.lower(),
                 landscape_layout(n_up, order), "landscape pages, %d per sheet, order %d" % (n_up, order))
    icon("IDI_FEED_PORTRAIT", 2219, "feed_portrait.ico", feed_icon(False), "upright sheet fed short edge first")
    icon("IDI_FEED_LANDSCAPE", 2220, "feed_landscape.ico", feed_icon(True), "wide sheet fed long edge first")
    for name, rid, land, edge in [("LONG_LEFT", 2070, False, "left"), ("LONG_TOP", 2072, True, "top"),
                                  ("LONG_RIGHT", 2073, False, "right"), ("LONG_BOTTOM", 2074, True, "bottom"),
                                  ("SHORT_LEFT", 2075, True, "left"), ("SHORT_BOTTOM", 2080, False, "bottom"),
                                  ("SHORT_RIGHT", 2078, True, "right"), ("SHORT_TOP", 2076, False, "top")]:
        icon("IDI_BIND_" + name, rid, "bind_%s.ico" % name.lower(), binding_icon(land, edge),
             "%s sheet bound at the %s" % ("wide" if land else "upright", edge))
    for order, (normal, chosen) in enumerate([(2241, 2261), (2242, 2262)]):
        icon("IDI_ORDER_2UP_%d" % order, normal, "order_2up_%d.ico" % order,
             portrait_layout(2, order), "two-page order %d" % order)
        icon("IDI_ORDER_2UP_%d_CHOSEN" % order, chosen, "order_2up_%d_chosen.ico" % order,
             portrait_layout(2, order, True), "two-page order %d, chosen" % order)
    for orient, make, pairs in [("PORTRAIT", portrait_layout, [(2249, 2248), (2250, 2251), (2252, 2253), (2254, 2255)]),
                                ("LANDSCAPE", landscape_layout, [(2227, 2256), (2228, 2258), (2229, 2259), (2230, 2260)])]:
        for order, (normal, chosen) in enumerate(pairs):
            base = "IDI_ORDER_%s_4UP_%d" % (orient, order)
            file = "order_%s_4up_%d" % (orient.lower(), order)
            icon(base, normal, file + ".ico", make(4, order), "%s four-page order %d" % (orient.lower(), order))
            icon(base + "_CHOSEN", chosen, file + "_chosen.ico", make(4, order, True),
                 "%s four-page order %d, chosen" % (orient.lower(), order))
    for name, rid, fn, comment in [("DOCUMENT", 2231, draw_document, "pages of colored text lines"),
                                   ("PHOTO", 2232, draw_photo, "a photograph"),
                                   ("GRAPHICS", 2233, draw_graphics, "a page of pictures and text"),
                                   ("MONO", 2234, draw_mono, "grey letters"),
                                   ("USER", 2235, draw_tools, "tools")]:
        icon("IDI_COLORMODE_" + name, rid, "colormode_%s.ico" % name.lower(), smooth_icon(fn), comment)


# ------------------------------------------------------------------ outputs

def write_header(path):
    lines = ["/* Resource identifiers of the library's artwork. Written by",
             "   assets/generate.py; change the generator, not this file. Plain",
             "   #defines: included by resource scripts as well as by C++. */",
             "#pragma once", ""]
    lines.append("/* Bitmaps */")
    for name, rid, _, _, bits, comment in BITMAPS:
        lines.append("#define %-40s %d /* %s, %d bits */" % (name, rid, comment, bits))
    lines += ["", "/* Icons (32 x 32 and 16 x 16) */"]
    for name, rid, _, _, comment in ICONS:
        lines.append("#define %-40s %d /* %s */" % (name, rid, comment))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def write_rc(path):
    lines = ["#pragma code_page(65001)",
             "// The library's artwork, written by assets/generate.py.",
             "#include <windows.h>",
             '#include "ui/common/artwork_ids.h"', "",
             "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT", ""]
    for name, _, file, _, _, _ in BITMAPS:
        lines.append('%-40s BITMAP "assets/bitmaps/%s"' % (name, file))
    lines.append("")
    for name, _, file, _, _ in ICONS:
        lines.append('%-40s ICON "assets/icons/%s"' % (name, file))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def contact_sheet(path, pictures):
    """pictures: (id, name, image) in catalogue order, laid out in rows."""
    label, small = font(FONT_LATIN, 11), font(FONT_LATIN, 9)
    width, gap = 1200, 12
    placed, x, y, row_h = [], 0, 0, 0
    for rid, name, img in pictures:
        scale = 2 if max(img.size) <= 150 else 1
        shown = img.resize((img.width * scale, img.height * scale), Image.Resampling.NEAREST)
        w = max(shown.width, 150)
        if x and x + w > width:
            x, y, row_h = 0, y + row_h + gap, 0
        placed.append((x, y, rid, name, shown))
        x += w + gap
        row_h = max(row_h, shown.height + 30)
    sheet = Image.new("RGB", (width, y + row_h + gap), (212, 208, 200))
    d = ImageDraw.Draw(sheet)
    for x, y, rid, name, img in placed:
        sheet.paste(img, (x, y), img if img.mode == "RGBA" else None)
        d.text((x, y + img.height + 3), str(rid), font=label, fill=BLACK)
        d.text((x, y + img.height + 16), name[4:], font=small, fill=(60, 60, 60))
    sheet.save(path, optimize=False)


def icon_preview(images):
    """32 and 16 pixel images side by side on the dialog background."""
    big, small = images
    out = Image.new("RGBA", (32 + 4 + 16, 32), (0, 0, 0, 0))
    for img, x in ((big, 0), (small, 36)):
        a = img.getchannel("A").point(lambda v: 255 if v >= 128 else 0)
        solid = img.convert("RGB")
        out.paste(solid, (x, 0), a)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(here),
                        help="write under this folder (default: the repository)")
    parser.add_argument("--sheet", help="also write a contact sheet PNG of every picture")
    args = parser.parse_args()
    catalogue()
    bdir = os.path.join(args.root, "assets", "bitmaps")
    idir = os.path.join(args.root, "assets", "icons")
    cdir = os.path.join(args.root, "ui", "common")
    for folder in (bdir, idir, cdir):
        os.makedirs(folder, exist_ok=True)
    shown = []
    for name, rid, file, make, bits, _ in BITMAPS:
        img = make()
        if bits <= 8 and img.mode != "P":
            img = exact_palette(img, 1 << bits)
        write_bmp(os.path.join(bdir, file), img, bits)
        shown.append((rid, name, img.convert("RGB")))
    for name, rid, file, make, _ in ICONS:
        images = [make(32), make(16)]
        write_ico(os.path.join(idir, file), images)
        shown.append((rid, name, icon_preview(images)))
    write_header(os.path.join(cdir, "artwork_ids.h"))
    write_rc(os.path.join(cdir, "artwork.rc"))
    if args.sheet:
        contact_sheet(args.sheet, shown)
    return 0


if __name__ == "__main__":
    sys.exit(main())
