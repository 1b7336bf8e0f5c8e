#!/usr/bin/env python3
"""Draws the panel's pictures into resources/bitmaps/ and resources/icons/.

The button faces, the folder strip and the gauge strip are also drawn at twice their size
(NAME@2x.bmp beside NAME.bmp) for screens with more than one device pixel per logical pixel.

    python3 resources/draw-bitmaps.py            draw everything, then check it
    python3 resources/draw-bitmaps.py --check    only check the files on disk
    python3 resources/draw-bitmaps.py --sheet /tmp/sheet.png
                                                 also write an enlarged preview sheet

Needs python3-pil and fonts-nanum. The BMP files are written here byte by byte so that
the output is always the classic 24-bit BI_RGB format and identical from run to run.
"""

import io
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
BITMAP_DIR = os.path.join(HERE, "bitmaps")
ICON_DIR = os.path.join(HERE, "icons")
FONT_DIR = "/usr/share/fonts/truetype/nanum"
BOLD_FONT = os.path.join(FONT_DIR, "NanumGothicBold.ttf")

MAGENTA = (255, 0, 255)
TOOLBOX_GROUND = (192, 192, 192)


def rgb(hex_colour):
    hex_colour = hex_colour.lstrip("#")
    return tuple(int(hex_colour[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    """a at t = 0, b at t = 1, rounded the same way everywhere."""
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


# ---------------------------------------------------------------------------------------
# BMP writing and reading
# ---------------------------------------------------------------------------------------

def bmp_bytes(image):
    """A 24-bit bottom-up BI_RGB file of an RGB image."""
    image = image.convert("RGB")
    width, height = image.size
    stride = (width * 3 + 3) & ~3
    pixels = image.load()
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixels[x, y]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data),
                              0, 0, 0, 0)
    return file_header + info_header + data


def read_bmp(path):
    """Checks the headers; returns width, height, the rows top-down as (r, g, b) and the
    first pixel of the pixel data as stored (the bottom-left one)."""
    with open(path, "rb") as f:
        blob = f.read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", blob, 0)
    assert magic == b"BM", f"{path}: not BM"
    assert size == len(blob), f"{path}: file size field {size} != {len(blob)}"
    (hsize, width, height, planes, bpp, compression, image_size,
     _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", blob, 14)
    assert hsize == 40, f"{path}: header size {hsize}"
    assert planes == 1 and bpp == 24, f"{path}: {bpp} bpp"
    assert compression == 0, f"{path}: compression {compression}, not BI_RGB"
    assert height > 0, f"{path}: not bottom-up"
    assert used == 0, f"{path}: colour table"
    stride = (width * 3 + 3) & ~3
    assert image_size == stride * height, f"{path}: image size {image_size}"
    assert offset == 54 and offset + image_size == len(blob), f"{path}: layout"
    rows = []
    for y in range(height - 1, -1, -1):
        start = offset + y * stride
        rows.append([(blob[start + 3 * x + 2], blob[start + 3 * x + 1], blob[start + 3 * x])
                     for x in range(width)])
    first = (blob[offset + 2], blob[offset + 1], blob[offset])
    return width, height, rows, first


# ---------------------------------------------------------------------------------------
# Button faces
# ---------------------------------------------------------------------------------------

BUTTON_SIZE = (83, 23)

BUTTONS = [
    # (normal id, disabled id or None, label)
    (218, 211, "다운로드"),
    (214, 215, "서버정보"),
    (202, 203, "검색중지"),
    (204, 205, "서버연결"),
    (219, None, "확인"),
]

NORMAL_STYLE = {
    "outline": rgb("#1F5796"),
    "top": rgb("#8CC4F2"),
    "bottom": rgb("#2F71C2"),
    "shine": rgb("#D8ECFC"),
    "text": rgb("#FFFFFF"),
    "shadow": rgb("#1A4A84"),
    "shadow_offset": (0, 1),
    "shadow_strength": 0.55,
}

DISABLED_STYLE = {
    "outline": rgb("#A0A0A0"),
    "top": rgb("#EEEEEE"),
    "bottom": rgb("#C8C8C8"),
    "shine": rgb("#FAFAFA"),
    "text": rgb("#8C8C8C"),
    "shadow": rgb("#FFFFFF"),
    "shadow_offset": (1, 1),
    "shadow_strength": 1.0,
}


def pill_mask(width, height):
    """Which pixels belong to the pill: at least half covered by the exact shape.
    Decided pixel by pixel so the edge never blends into the magenta ground."""
    radius = height / 2.0
    cy = height / 2.0
    left, right = radius, width - radius
    n = 8
    mask = []
    for y in range(height):
        row = []
        for x in range(width):
            inside = 0
            for sy in range(n):
                py = y + (sy + 0.5) / n
                for sx in range(n):
                    px = x + (sx + 0.5) / n
                    cx = min(max(px, left), right)
                    if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                        inside += 1
            row.append(inside * 2 >= n * n)
        mask.append(row)
    return mask


def edge_of(mask, thickness=1):
    """Pixels of the mask within `thickness` 4-neighbour steps of its outside: an outline that
    follows the exact shape at the mask's own resolution."""
    height, width = len(mask), len(mask[0])
    inner = mask
    for _ in range(thickness):
        def inside(x, y, m=inner):
            return 0 <= x < width and 0 <= y < height and m[y][x]

        inner = [[inner[y][x] and inside(x - 1, y) and inside(x + 1, y)
                  and inside(x, y - 1) and inside(x, y + 1)
                  for x in range(width)] for y in range(height)]
    return [[mask[y][x] and not inner[y][x] for x in range(width)] for y in range(height)]


def text_mask(size, label, font):
    """The label's coverage, its ink centred in the face."""
    width, height = size
    left, top, right, bottom = font.getbbox(label)
    x = (width - (right - left)) / 2.0 - left
    # Centre the ink, not the font's line box, which has room for descenders Hangul lacks.
    y = (height - (bottom - top)) / 2.0 - top
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).text((int(round(x)), int(y + 0.5)), label, fill=255, font=font)
    return mask


def draw_button(label, style, font, mask, edge, scale=1):
    size = (BUTTON_SIZE[0] * scale, BUTTON_SIZE[1] * scale)
    width, height = size
    face = Image.new("RGB", size, MAGENTA)
    px = face.load()
    for y in range(height):
        # A gentle vertical gradient, brighter in the upper half like a lit glass pill.
        t = y / (height - 1)
        body = mix(style["top"], style["bottom"], t ** 0.9)
        for x in range(width):
            if not mask[y][x]:
                continue
            px[x, y] = style["outline"] if edge[y][x] else body
    # One soft highlight line just inside the top edge.
    for x in range(width):
        for y in range(height):
            if mask[y][x] and not edge[y][x]:
                if y > 0 and edge[y - 1][x] and y < height // 2:
                    px[x, y] = mix(px[x, y], style["shine"], 0.7)
                break
    glyphs = text_mask(size, label, font)
    gx, gy = style["shadow_offset"]
    shadow = Image.new("L", size, 0)
    shadow.paste(glyphs, (gx * scale, gy * scale))
    shadow = shadow.point(lambda v: int(v * style["shadow_strength"]))
    face = Image.composite(Image.new("RGB", size, style["shadow"]), face, shadow)
    face = Image.composite(Image.new("RGB", size, style["text"]), face, glyphs)
    # Text and its shadow stay well inside the pill; restore the ground exactly anyway.
    px = face.load()
    for y in range(height):
        for x in range(width):
            if not mask[y][x]:
                px[x, y] = MAGENTA
    return face


def button_font(scale=1):
    return ImageFont.truetype(BOLD_FONT, 12 * scale, layout_engine=ImageFont.Layout.BASIC)


def draw_buttons(scale=1):
    """At twice the size the pill, its outline (as thick as at 1x) and the label are drawn
    afresh at that resolution: round edges and glyphs get the finer steps of the larger grid."""
    font = button_font(scale)
    mask = pill_mask(BUTTON_SIZE[0] * scale, BUTTON_SIZE[1] * scale)
    edge = edge_of(mask, scale)
    out = {}
    for normal, disabled, label in BUTTONS:
        out[normal] = draw_button(label, NORMAL_STYLE, font, mask, edge, scale)
        if disabled is not None:
            out[disabled] = draw_button(label, DISABLED_STYLE, font, mask, edge, scale)
    return out


# ---------------------------------------------------------------------------------------
# Pixel art from character maps
# ---------------------------------------------------------------------------------------

def paint(image, art, palette, origin=(0, 0)):
    """Paints a character map; a space or '.' leaves the pixel as it is."""
    ox, oy = origin
    px = image.load()
    for y, line in enumerate(art):
        for x, ch in enumerate(line):
            if ch in " .":
                continue
            px[ox + x, oy + y] = palette[ch]


def check_art(name, art, width, height):
    assert len(art) == height, f"{name}: {len(art)} rows"
    for i, line in enumerate(art):
        assert len(line) == width, f"{name} row {i}: {len(line)} columns"


# k outline, h highlight, f fill, s shade
CLOSED_FOLDER = [
    "................",
    "................",
    "................",
    ".kkkkk..........",
    "khhhhhk.........",
    "khfffffkkkkkkkk.",
    "khhhhhhhhhhhhhhk",
    "khffffffffffffsk",
    "khffffffffffffsk",
    "khffffffffffffsk",
    "khffffffffffffsk",
    "khffffffffffffsk",
    "khffffffffffffsk",
    "kssssssssssssssk",
    "kkkkkkkkkkkkkkkk",
    "................",
]

# The back wall in the shade colour, the front flap tipped forward.
OPEN_FOLDER = [
    "................",
    "................",
    "................",
    ".kkkkk..........",
    "ksssssk.........",
    "kssssssskkkkkk..",
    "ksssssssssssssk.",
    "kssskkkkkkkkkkkk",
    "ksskhhhhhhhhhhhk",
    "ksskhffffffffffk",
    "kskhffffffffffk.",
    "kskhffffffffffk.",
    "kkhffffffffffk..",
    "kkhffffffffffk..",
    "kkkkkkkkkkkkk...",
    "................",
]

# a arrow outline, g arrow fill
UP_ARROW = [
    "       a        ",
    "      aga       ",
    "     aggga      ",
    "    aggggga     ",
    "   aggggggga    ",
    "   aaaggggaaa   ",
    "     aggga      ",
    "     aggga      ",
    "     aggga      ",
    "     aggga      ",
    "     aaaaa      ",
    "                ",
    "                ",
    "                ",
    "                ",
    "                ",
]

# n digit
NINETEEN = [
    "                ",
    "                ",
    "                ",
    "                ",
    "                ",
    "                ",
    "                ",
    "    n   nnn     ",
    "   nn   n n     ",
    "    n   nnn     ",
    "    n     n     ",
    "   nnn  nnn     ",
    "                ",
    "                ",
    "                ",
    "                ",
]

# o figure outline, r hair, p face, b shirt
PERSON = [
    "                ",
    "                ",
    "                ",
    "                ",
    "                ",
    "          oooo  ",
    "         orrrro ",
    "         oppppo ",
    "         oppppo ",
    "          oppo  ",
    "         obbbbo ",
    "        obbbbbbo",
    "        obbbbbbo",
    "        obbbbbbo",
    "        oooooooo",
    "                ",
]

YELLOW = {"k": rgb("#7A5A0C"), "h": rgb("#FFF3B8"), "f": rgb("#F6CF4A"),
          "s": rgb("#D6A526")}
GREY = {"k": rgb("#565656"), "h": rgb("#EEEEEE"), "f": rgb("#C4C4C4"),
        "s": rgb("#9C9C9C")}
RED = {"k": rgb("#6E0E0E"), "h": rgb("#FF9C8C"), "f": rgb("#DE3A2C"),
       "s": rgb("#A81E16")}
ARROW = {"a": rgb("#145214"), "g": rgb("#3CB43C")}
DIGITS_ON_RED = {"n": rgb("#FFFFFF")}
DIGITS_ON_GREY = {"n": rgb("#FFFFFF")}
# Darker than GREY so the white number stands out as well as it does on red.
DARK_GREY = {"k": rgb("#4A4A4A"), "h": rgb("#C8C8C8"), "f": rgb("#9A9A9A"),
             "s": rgb("#7A7A7A")}
PERSON_COLOUR = {"o": rgb("#1C2F5C"), "r": rgb("#5A3A1E"), "p": rgb("#FFD2A8"),
                 "b": rgb("#3A6FD0")}
PERSON_GREY = {"o": rgb("#474747"), "r": rgb("#6A6A6A"), "p": rgb("#E8E8E8"),
               "b": rgb("#8E8E8E")}


def scale2x(tile):
    """The pixel-art doubling that follows diagonals (Scale2x): each pixel becomes four, and a
    corner takes the colour of the two neighbours that meet there when they agree. It makes no
    new colours, so the magenta ground stays exact and nothing blends into it."""
    width, height = tile.size
    src = tile.load()
    out = Image.new("RGB", (2 * width, 2 * height))
    dst = out.load()

    def at(x, y):
        return src[min(max(x, 0), width - 1), min(max(y, 0), height - 1)]

    for y in range(height):
        for x in range(width):
            p = src[x, y]
            a, b, c, d = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            dst[2 * x, 2 * y] = a if c == a and c != d and a != b else p
            dst[2 * x + 1, 2 * y] = b if a == b and a != c and b != d else p
            dst[2 * x, 2 * y + 1] = c if d == c and d != b and c != a else p
            dst[2 * x + 1, 2 * y + 1] = d if b == d and b != a and d != c else p
    return out


def draw_folder_strip_2x(strip):
    """Each 16 x 16 picture doubled on its own, so neighbouring pictures do not bleed."""
    doubled = Image.new("RGB", (strip.width * 2, strip.height * 2), MAGENTA)
    for i in range(strip.width // 16):
        tile = strip.crop((16 * i, 0, 16 * i + 16, 16))
        doubled.paste(scale2x(tile), (32 * i, 0))
    return doubled


def draw_folder_strip():
    tiles = [
        [(OPEN_FOLDER, YELLOW)],
        [(CLOSED_FOLDER, YELLOW)],
        [(CLOSED_FOLDER, YELLOW), (UP_ARROW, ARROW)],
        [(CLOSED_FOLDER, GREY)],
        [(CLOSED_FOLDER, RED), (NINETEEN, DIGITS_ON_RED)],
        [(CLOSED_FOLDER, DARK_GREY), (NINETEEN, DIGITS_ON_GREY)],
        [(CLOSED_FOLDER, YELLOW), (PERSON, PERSON_COLOUR)],
        [(CLOSED_FOLDER, GREY), (PERSON, PERSON_GREY)],
    ]
    strip = Image.new("RGB", (16 * len(tiles), 16), MAGENTA)
    for i, layers in enumerate(tiles):
        for art, palette in layers:
            check_art(f"folder {i}", art, 16, 16)
            paint(strip, art, palette, (16 * i, 0))
    return strip


# ---------------------------------------------------------------------------------------
# Speed gauge
# ---------------------------------------------------------------------------------------

GAUGE = {
    "frame": rgb("#404040"),
    "ground": rgb("#F4F4F4"),
    "grey_top": rgb("#D2D2D2"),
    "grey_bottom": rgb("#B0B0B0"),
    "green_top": rgb("#8EE07E"),
    "green_bottom": rgb("#20A030"),
}
GAUGE_CELL = (33, 12)
GAUGE_BARS = [(2 + 6 * i, 5) for i in range(5)]  # (left, width); gaps of one pixel


def draw_gauge_strip(scale=1):
    """At twice the size the frame, bars and gaps keep their proportions and the bars' shading
    gets a step of its own for every row of the finer grid."""
    width, height = GAUGE_CELL[0] * scale, GAUGE_CELL[1] * scale
    strip = Image.new("RGB", (width * 6, height), GAUGE["ground"])
    px = strip.load()
    frame = range(scale)
    for k in range(6):
        ox = k * width
        for y in range(height):
            for x in range(width):
                if (x in frame or width - 1 - x in frame or y in frame
                        or height - 1 - y in frame):
                    px[ox + x, y] = GAUGE["frame"]
        for i, (left, bar_width) in enumerate(GAUGE_BARS):
            lit = i < k
            top, bottom = (("green_top", "green_bottom") if lit
                           else ("grey_top", "grey_bottom"))
            first, last = 2 * scale, height - 2 * scale
            for y in range(first, last):
                colour = mix(GAUGE[top], GAUGE[bottom], (y - first) / (last - first - 1))
                for x in range(left * scale, (left + bar_width) * scale):
                    px[ox + x, y] = colour
    return strip


# ---------------------------------------------------------------------------------------
# Toolbox bitmap and icon
# ---------------------------------------------------------------------------------------

# Folder (k h f s), then the magnifier in front of it: r rim, l glass, w glint, d handle
TOOLBOX_FOLDER = [
    "................",
    "................",
    ".kkkk...........",
    "khhhhk..........",
    "khffffkkkkkkk...",
    "khhhhhhhhhhhk...",
    "khfffffffffsk...",
    "khfffffffffsk...",
    "khfffffffffsk...",
    "khfffffffffsk...",
    "khfffffffffsk...",
    "khfffffffffsk...",
    "ksssssssssssk...",
    "kkkkkkkkkkkkk...",
    "................",
]
TOOLBOX_LENS = [
    "        rrrr    ",
    "       rwwllr   ",
    "      rwlllllr  ",
    "      rllllllr  ",
    "      rllllllr  ",
    "      rllllllr  ",
    "       rllllrd  ",
    "        rrrrddd ",
    "             ddd",
    "              dd",
    "                ",
    "                ",
    "                ",
    "                ",
    "                ",
]
TOOLBOX_COLOURS = dict(YELLOW, r=rgb("#3C3C46"), l=rgb("#C4E6FF"), w=rgb("#FFFFFF"),
                       d=rgb("#2A2A2A"))


def draw_toolbox():
    image = Image.new("RGB", (16, 15), TOOLBOX_GROUND)
    for art in (TOOLBOX_FOLDER, TOOLBOX_LENS):
        check_art("toolbox", art, 16, 15)
        paint(image, art, TOOLBOX_COLOURS)
    return image


def draw_icon():
    # Drawn eight times larger on whole-pixel edges, then averaged down: crisp straight
    # edges, smooth round ones.
    scale = 8
    image = Image.new("RGBA", (32 * scale, 32 * scale), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)

    def s(*values):
        return [int(round(v * scale)) for v in values]

    def solid(colour):
        return colour + (255,)

    def framed(box, fill, radius=1.5):
        # Outline first, fill inset by one pixel: overlapping parts share one outline.
        x0, y0, x1, y1 = box
        d.rounded_rectangle(s(x0, y0, x1, y1), radius=radius * scale,
                            fill=solid(YELLOW["k"]))
        return (s(x0 + 1, y0 + 1, x1 - 1, y1 - 1), fill, (radius - 0.5) * scale)

    # The back of the folder with its tab, then the front.
    inner = [framed((1, 5, 13, 11), YELLOW["s"]), framed((1, 8, 27, 28), YELLOW["s"])]
    for box, fill, radius in inner:
        d.rounded_rectangle(box, radius=radius, fill=solid(fill))
    box, fill, radius = framed((1, 11, 27, 28), YELLOW["f"])
    d.rounded_rectangle(box, radius=radius, fill=solid(fill))
    d.rectangle(s(2, 12, 26, 13), fill=solid(YELLOW["h"]))
    d.rectangle(s(2, 26, 26, 27), fill=solid(YELLOW["s"]))
    # The magnifier: handle, rim, glass and a glint.
    handle = (42, 42, 42, 255)
    d.line(s(22, 19, 29, 26), fill=handle, width=int(4 * scale))
    d.ellipse(s(27, 24, 31, 28), fill=handle)
    cx, cy, r = 18, 14, 8.5
    d.ellipse(s(cx - r, cy - r, cx + r, cy + r), fill=(58, 58, 68, 255))
    g = r - 2
    d.ellipse(s(cx - g, cy - g, cx + g, cy + g), fill=(200, 232, 255, 240))
    d.arc(s(cx - g + 1.5, cy - g + 1.5, cx + g - 1.5, cy + g - 1.5), 195, 255,
          fill=(255, 255, 255, 255), width=int(1.5 * scale))
    return image.resize((32, 32), Image.Resampling.BOX)


def png_bytes(image):
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=False)
    return out.getvalue()


# ---------------------------------------------------------------------------------------
# Everything, written and checked
# ---------------------------------------------------------------------------------------

def all_files():
    files = {}
    for number, image in draw_buttons().items():
        files[f"bitmaps/{number}.bmp"] = bmp_bytes(image)
    for number, image in draw_buttons(2).items():
        files[f"bitmaps/{number}@2x.bmp"] = bmp_bytes(image)
    folders = draw_folder_strip()
    files["bitmaps/220.bmp"] = bmp_bytes(folders)
    files["bitmaps/220@2x.bmp"] = bmp_bytes(draw_folder_strip_2x(folders))
    files["bitmaps/213.bmp"] = bmp_bytes(draw_gauge_strip())
    files["bitmaps/213@2x.bmp"] = bmp_bytes(draw_gauge_strip(2))
    files["bitmaps/1.bmp"] = bmp_bytes(draw_toolbox())
    files["icons/velkanfilesearch.png"] = png_bytes(draw_icon())
    return files


BUTTON_NUMBERS = (218, 211, 214, 215, 202, 203, 204, 205, 219)

# (file name, picture number, scale): the 1x size times the scale.
EXPECTED_SIZES = {
    **{n: BUTTON_SIZE for n in BUTTON_NUMBERS},
    220: (128, 16),
    213: (198, 12),
    1: (16, 15),
}
DOUBLED = (*BUTTON_NUMBERS, 220, 213)
EXPECTED_FILES = ([(f"{n}", n, 1) for n in sorted(EXPECTED_SIZES)]
                  + [(f"{n}@2x", n, 2) for n in sorted(DOUBLED)])


def near_magenta(c):
    # A blend of magenta into anything shows up as strong red and blue over weak green.
    return c != MAGENTA and c[0] > 140 and c[2] > 140 and c[1] < min(c[0], c[2]) - 60


def check(files_expected=None):
    masks = {scale: pill_mask(BUTTON_SIZE[0] * scale, BUTTON_SIZE[1] * scale)
             for scale in (1, 2)}
    problems = 0
    for name, number, scale in EXPECTED_FILES:
        width, height = (v * scale for v in EXPECTED_SIZES[number])
        path = os.path.join(BITMAP_DIR, f"{name}.bmp")
        w, h, rows, first = read_bmp(path)
        assert (w, h) == (width, height), f"{path}: {w} x {h}, wanted {width} x {height}"
        for y, row in enumerate(rows):
            for x, c in enumerate(row):
                assert not near_magenta(c), f"{path}: ({x}, {y}) {c} blends into magenta"
        if number in BUTTON_NUMBERS:
            mask = masks[scale]
            for y, row in enumerate(rows):
                for x, c in enumerate(row):
                    if mask[y][x]:
                        assert c != MAGENTA, f"{path}: ({x}, {y}) magenta inside the pill"
                    else:
                        assert c == MAGENTA, f"{path}: ({x}, {y}) {c} outside the pill"
        elif number == 220:
            side = 16 * scale
            assert first == MAGENTA, f"{path}: first pixel {first} is not magenta"
            for tile in range(8):
                for x, y in ((0, 0), (side - 1, 0), (0, side - 1)):
                    c = rows[y][side * tile + x]
                    assert c == MAGENTA, f"{path}: tile {tile} corner ({x}, {y}) {c}"
            colours = {c for row in rows for c in row}
            assert MAGENTA in colours
        elif number == 213:
            cell = GAUGE_CELL[0] * scale
            for k in range(6):
                lit = []
                for left, bar_width in GAUGE_BARS:
                    r, g, b = rows[6 * scale][cell * k + (left + bar_width // 2) * scale]
                    lit.append(g > r + 40)
                assert lit == [i < k for i in range(5)], f"{path}: picture {k} shows {lit}"
                assert rows[0][cell * k] == GAUGE["frame"]
            assert all(c != MAGENTA for row in rows for c in row)
        elif number == 1:
            for x, y in ((0, 14), (15, 14), (15, 0), (0, 0)):
                assert rows[y][x] == TOOLBOX_GROUND, f"{path}: ground at ({x}, {y})"
    icon_path = os.path.join(ICON_DIR, "velkanfilesearch.png")
    with Image.open(icon_path) as icon:
        assert icon.format == "PNG" and icon.size == (32, 32) and icon.mode == "RGBA", \
            f"{icon_path}: {icon.format} {icon.size} {icon.mode}"
        assert icon.getpixel((0, 0))[3] == 0, f"{icon_path}: ground is not transparent"
    if files_expected is not None:
        for name, blob in files_expected.items():
            with open(os.path.join(HERE, name), "rb") as f:
                if f.read() != blob:
                    print(f"{name}: differs from what this script draws", file=sys.stderr)
                    problems += 1
    return problems


def write_sheet(path, zoom=4):
    """An enlarged preview of every picture, on a neutral ground, to look at."""
    pictures = []
    for number in (218, 211, 214, 215, 202, 203, 204, 205, 219, 220, 213, 1):
        with Image.open(os.path.join(BITMAP_DIR, f"{number}.bmp")) as im:
            pictures.append(im.convert("RGB"))
    with Image.open(os.path.join(ICON_DIR, "velkanfilesearch.png")) as im:
        icon = Image.new("RGB", im.size, (255, 255, 255))
        icon.paste(im, (0, 0), im)
        pictures.append(icon)
    gap = 8
    width = max(p.width for p in pictures) * zoom + 2 * gap
    height = sum(p.height * zoom + gap for p in pictures) + gap
    sheet = Image.new("RGB", (width, height), (96, 96, 96))
    y = gap
    for p in pictures:
        sheet.paste(p.resize((p.width * zoom, p.height * zoom), Image.Resampling.NEAREST),
                    (gap, y))
        y += p.height * zoom + gap
    sheet.save(path)


def main(argv):
    only_check = "--check" in argv
    sheet = argv[argv.index("--sheet") + 1] if "--sheet" in argv else None
    files = all_files()
    if not only_check:
        os.makedirs(BITMAP_DIR, exist_ok=True)
        os.makedirs(ICON_DIR, exist_ok=True)
        for name, blob in files.items():
            with open(os.path.join(HERE, name), "wb") as f:
                f.write(blob)
    problems = check(files)
    if sheet:
        write_sheet(sheet)
    if problems:
        return 1
    print(f"{len(files)} files checked")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
