#!/usr/bin/python3
"""Draws Nodrell's pictures from simple shapes and writes them as the files the builds use.

    make-art.py            writes the files next to this script
    make-art.py --check    only compares: exits 1 when a committed file differs

The outputs are committed, so a build never runs this. Only the standard library is used;
every file format is written here byte by byte, and the result is the same on every run.

Pictures:
  program-16.bin, program-32.bin   the program icon's two images (16 colours) as Windows
                                   keeps them inside the executable (RT_ICON 30002, 30001)
  program-group.bin                the icon group (RT_GROUP_ICON 1) that lists them
  program.ico                      the same two images as an icon file (the Qt window icon)
  nodrell-16.png ... -128.png      the program icon for the Linux desktop and the Qt
                                   window, at 16, 24, 32, 48, 64 and 128 pixels
  nodrell.svg                      the same icon as a scalable picture
  logo1.gif                        48 x 48 crescent moon and stars, one transparent colour
  logo2.ico                        48 x 48 power button, 256 colours
  logo1-72.png ... logo2-144.png   the two logos drawn again at 72, 96 and 144 pixels, for
                                   screens of 1.5, 2 and 3 times 96 dots per inch (Qt)
  about.ico                        the About window's icon, 16 x 16 and 32 x 32, 256 colours
  link.cur                         32 x 32 monochrome hand, hot spot 14, 8
"""

import argparse
import math
import pathlib
import struct
import sys
import zlib

HERE = pathlib.Path(__file__).resolve().parent

# The resource numbers of the program icon's images inside the executable.
PROGRAM_ICON_IDS = {32: 30001, 16: 30002}

# The 16 colours of the standard Windows palette, in its order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, RED, WHITE = 0, 4, 7, 8, 9, 15

CLEAR = None  # a pixel that lets the background show


# --- geometry -----------------------------------------------------------------------------


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def raster(size, paint, units=None):
    """Rows of paint(x, y) at the pixel centres of a size x size square. With `units`, the
    shapes are drawn in a square of that many units across, whatever its size in pixels."""
    scale = (units or size) / size
    return [[paint((x + 0.5) * scale, (y + 0.5) * scale) for x in range(size)]
            for y in range(size)]


# --- the pictures -------------------------------------------------------------------------


class ClockFace:
    """The program icon's shapes at a size: a clock face at ten o'clock, with a navy rim, a
    white dial, grey marks at 12, 3, 6 and 9 o'clock, black hands and a red hub."""

    def __init__(self, size):
        self.size = size
        self.c = c = size / 2
        self.radius = radius = c - 0.25
        self.rim = max(1.5, size / 10)
        self.hand = max(0.6, size / 22)  # half the hands' width
        self.hub = max(1.0, size / 14)
        self.hour_tip = (c - 0.40 * radius * math.sin(math.radians(60)), c - 0.40 * radius * 0.5)
        self.minute_tip = (c, c - 0.72 * radius)
        self.mark_start = radius - self.rim - max(1.0, size / 8)  # from the centre
        self.mark_width = 1.5


def program_icon(size):
    """The clock face as pixels: indices into VGA, or CLEAR."""
    face = ClockFace(size)
    c, radius, rim = face.c, face.radius, face.rim

    def paint(x, y):
        d = math.hypot(x - c, y - c)
        if d > radius:
            return CLEAR
        if d > radius - rim:
            return NAVY
        if d < face.hub:
            return RED
        if min(segment_distance(x, y, c, c, *face.hour_tip),
               segment_distance(x, y, c, c, *face.minute_tip)) <= face.hand:
            return BLACK
        half = face.mark_width / 2
        if face.mark_start <= d <= radius - rim and (abs(x - c) < half or abs(y - c) < half):
            return GREY
        return WHITE

    return raster(size, paint)


def program_svg():
    """The clock face as a scalable picture: the same shapes, drawn at 48 units."""
    face = ClockFace(48)
    c = face.c

    def colour(index):
        return "#%02x%02x%02x" % VGA[index]

    def number(value):
        return f"{value:.3f}".rstrip("0").rstrip(".")

    marks = []
    for angle in (0, 90, 180, 270):
        dial = face.radius - face.rim
        marks.append(f'<rect x="{number(c - face.mark_width / 2)}" y="{number(c - dial)}" '
                     f'width="{number(face.mark_width)}" height="{number(dial - face.mark_start)}" '
                     f'transform="rotate({angle} {number(c)} {number(c)})"/>')
    hands = "".join(f'<line x1="{number(c)}" y1="{number(c)}" x2="{number(x)}" y2="{number(y)}"/>'
                    for x, y in (face.hour_tip, face.minute_tip))
    lines = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">',
        f'<circle cx="{number(c)}" cy="{number(c)}" r="{number(face.radius)}" fill="{colour(NAVY)}"/>',
        f'<circle cx="{number(c)}" cy="{number(c)}" r="{number(face.radius - face.rim)}" fill="{colour(WHITE)}"/>',
        f'<g fill="{colour(GREY)}">{"".join(marks)}</g>',
        f'<g stroke="{colour(BLACK)}" stroke-width="{number(2 * face.hand)}" stroke-linecap="round">{hands}</g>',
        f'<circle cx="{number(c)}" cy="{number(c)}" r="{number(face.hub)}" fill="{colour(RED)}"/>',
        "</svg>",
    ]
    return ("\n".join(lines) + "\n").encode()


# The logos are drawn in a square of 48 units, one unit to a pixel at their own size.
LOGO_UNITS = 48
# The sizes the logos are drawn at besides their own, for screens of more dots per inch.
LOGO_SIZES = (72, 96, 144)


def logo1(size=LOGO_UNITS):
    """A yellow crescent moon with two stars. Returns (palette, rows of indices,
    transparent index)."""
    palette = [
        (255, 0, 255),   # 0: transparent
        (150, 100, 0),   # 1: outline
        (255, 236, 120), # 2..5: the moon, lit from the top left
        (255, 220, 60),
        (245, 196, 20),
        (225, 170, 10),
        (90, 140, 255),  # 6: stars
        (200, 220, 255), # 7: star centres
    ]

    def moon(x, y):
        inside = math.hypot(x - 22, y - 24) <= 19
        cut = math.hypot(x - 31, y - 13) <= 15
        return inside and not cut

    def star(x, y, cx, cy, r):
        dx, dy = abs(x - cx), abs(y - cy)
        return (dx < 1 and dy <= r) or (dy < 1 and dx <= r) or (dx + dy <= r * 0.55)

    def paint(x, y):
        if moon(x, y):
            edge = not all(moon(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                return 1
            shade = min(3, int((x + y) / 22))
            return 2 + shade
        for cx, cy, r in ((38.5, 38.5, 4.5), (42.5, 8.5, 3.5)):
            if star(x, y, cx, cy, r):
                return 7 if abs(x - cx) < 1 and abs(y - cy) < 1 else 6
        return 0

    return palette, raster(size, paint, LOGO_UNITS), 0


def logo2(size=LOGO_UNITS):
    """A green power button with a white power sign; RGB entries or CLEAR."""
    c = 24.0

    def paint(x, y):
        d = math.hypot(x - c, y - c)
        if d > 22.5:
            return CLEAR
        if d > 20.5:
            return (0, 70, 20)
        # The power sign: a ring open at the top, and a bar through the opening.
        angle = math.degrees(math.atan2(x - c, c + 1 - y))  # 0 at the top, clockwise
        ring = 9.5 <= math.hypot(x - c, y - c - 1) <= 12.5 and abs(angle) > 38
        bar = abs(x - c) <= 1.6 and 7.5 <= y <= 24
        if ring or bar:
            return (255, 255, 255)
        # Lit from the top left: 40 steps from light to dark green.
        t = min(1.0, math.hypot(x - 16, y - 14) / 32)
        step = round(t * 39) / 39
        return (round(150 - 140 * step), round(235 - 120 * step), round(140 - 110 * step))

    return raster(size, paint, LOGO_UNITS)


def about_icon(size):
    """A blue rounded square with a white letter i; RGB entries or CLEAR."""
    corner = size / 5
    edge = max(1.0, size / 16)

    def rounded(x, y, inset):
        lo, hi = inset, size - inset
        if not (lo <= x <= hi and lo <= y <= hi):
            return False
        r = corner - inset / 2
        cx = min(max(x, lo + r), hi - r)
        cy = min(max(y, lo + r), hi - r)
        return math.hypot(x - cx, y - cy) <= r

    def paint(x, y):
        if not rounded(x, y, 0.2):
            return CLEAR
        if not rounded(x, y, 0.2 + edge):
            return (0, 30, 90)
        u = x / size
        v = y / size
        dot = math.hypot(u - 0.5, v - 0.27) <= 0.095
        stem = abs(u - 0.5) <= 0.085 and 0.42 <= v <= 0.80
        foot = abs(u - 0.5) <= 0.19 and 0.72 <= v <= 0.80
        if dot or stem or foot:
            return (255, 255, 255)
        step = round(v * 31) / 31
        return (round(60 - 50 * step), round(150 - 100 * step), round(255 - 95 * step))

    return raster(size, paint)


# A pointing hand; the tip of the index finger is the hot spot (column 14, row 8).
# '#' black, 'o' white, '.' clear.
LINK_CURSOR = """
................................
................................
................................
................................
................................
................................
................................
................................
.............###................
............#ooo#...............
............#ooo#...............
............#ooo#...............
............#ooo#...............
............#ooo#...............
............#ooo####............
............#ooo#ooo###.........
............#ooo#ooo#oo##.......
........###.#ooo#ooo#ooo#.......
.......#ooo##ooooooooooo#.......
.......#oooo#oooooooooooo#......
........#ooo#oooooooooooo#......
.........#ooooooooooooooo#......
.........#ooooooooooooooo#......
..........#oooooooooooooo#......
..........#ooooooooooooo#.......
...........#oooooooooooo#.......
...........#ooooooooooo#........
............#oooooooooo#........
............############........
................................
................................
................................
"""
LINK_HOT_SPOT = (14, 8)


# --- palettes -----------------------------------------------------------------------------


def palette_of(*images):
    """Black, then the colours the images use in the order first met; at most 256. Clear
    pixels take entry 0: black, which the screen shows through unchanged."""
    colours = [(0, 0, 0)]
    seen = {(0, 0, 0)}
    for rows in images:
        for row in rows:
            for pixel in row:
                if pixel is not CLEAR and pixel not in seen:
                    seen.add(pixel)
                    colours.append(pixel)
    if len(colours) > 256:
        raise SystemExit(f"{len(colours)} colours do not fit into 256")
    return colours


# --- file formats -------------------------------------------------------------------------


def dib(rows, bits, palette, indices):
    """The image data of one icon or cursor entry: BITMAPINFOHEADER (height doubled for the
    mask), palette, colour bits bottom row first, then the 1-bit mask (1 = clear)."""
    size = len(rows)
    colours = 1 << bits
    table = list(palette) + [(0, 0, 0)] * (colours - len(palette))
    stride = (size * bits + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = 0
        for pixel in row:
            line = (line << bits) | (0 if pixel is CLEAR else indices[pixel])
        xor += line.to_bytes(size * bits // 8, "big").ljust(stride, b"\0")
        m = 0
        for pixel in row:
            m = (m << 1) | (pixel is CLEAR)
        mask += m.to_bytes(size // 8, "big").ljust(mask_stride, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in table)
    return header + colour_table + bytes(xor) + bytes(mask)


def icon_entries(images, bits):
    """(size, bits, data) for each image; images are RGB rows or VGA index rows."""
    entries = []
    for rows in images:
        if bits == 4:
            data = dib(rows, 4, VGA, {i: i for i in range(16)})
        else:
            palette = palette_of(rows)
            data = dib(rows, bits, palette, {c: i for i, c in enumerate(palette)})
        entries.append((len(rows), bits, data))
    return entries


def directory_entry(size, bits, data_size):
    colours = (1 << bits) if bits < 8 else 0
    return struct.pack("<BBBBHHI", size % 256, size % 256, colours, 0, 1, bits, data_size)


def ico_file(entries):
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, bits, data in entries:
        out += directory_entry(size, bits, len(data)) + struct.pack("<I", offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in entries)


def group_icon(entries, ids):
    """RT_GROUP_ICON: the icon file's directory with resource numbers for file offsets."""
    out = struct.pack("<HHH", 0, 1, len(entries))
    for (size, bits, data), number in zip(entries, ids):
        out += directory_entry(size, bits, len(data)) + struct.pack("<H", number)
    return out


def cur_file(art, hot_spot):
    rows = [[{"#": (0, 0, 0), "o": (255, 255, 255), ".": CLEAR}[ch] for ch in line]
            for line in art.strip().splitlines()]
    size = len(rows)
    if any(len(row) != size for row in rows):
        raise SystemExit("the cursor is not square")
    palette = [(0, 0, 0), (255, 255, 255)]
    data = dib(rows, 1, palette, {c: i for i, c in enumerate(palette)})
    return struct.pack("<HHH", 0, 2, 1) + struct.pack(
        "<BBBBHHII", size, size, 0, 0, hot_spot[0], hot_spot[1], len(data), 22) + data


def gif_file(palette, rows, transparent):
    size = len(rows)
    bits = max(2, (len(palette) - 1).bit_length())
    table = list(palette) + [(0, 0, 0)] * ((1 << bits) - len(palette))
    out = b"GIF89a" + struct.pack("<HHBBB", size, size, 0x80 | (7 << 4) | (bits - 1), 0, 0)
    out += b"".join(bytes(rgb) for rgb in table)
    # Graphic control: no disposal, the transparent colour index.
    out += b"\x21\xf9\x04" + struct.pack("<BHB", 0x01, 0, transparent) + b"\0"
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, size, size, 0)
    data = lzw([i for row in rows for i in row], bits)
    out += bytes([bits])
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes([len(chunk)]) + chunk
    return out + b"\0\x3b"


def lzw(indices, min_bits):
    """GIF's variable-length LZW: codes packed least significant bit first."""
    clear, end = 1 << min_bits, (1 << min_bits) + 1
    out = bytearray()
    buffer = 0
    filled = 0

    def emit(code, width):
        nonlocal buffer, filled
        buffer |= code << filled
        filled += width
        while filled >= 8:
            out.append(buffer & 0xFF)
            buffer >>= 8
            filled -= 8

    def fresh():
        return {(i,): i for i in range(clear)}, end + 1, min_bits + 1

    table, next_code, width = fresh()
    emit(clear, width)
    word = (indices[0],)
    for index in indices[1:]:
        longer = word + (index,)
        if longer in table:
            word = longer
            continue
        emit(table[word], width)
        if next_code < 4096:
            table[longer] = next_code
            if next_code == (1 << width) and width < 12:
                width += 1
            next_code += 1
        else:
            emit(clear, width)
            table, next_code, width = fresh()
        word = (index,)
    emit(table[word], width)
    emit(end, width)
    if filled:
        out.append(buffer & 0xFF)
    return bytes(out)


def png_file(rows):
    """An RGBA PNG of rows of (r, g, b) or CLEAR."""
    size = len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes((0, 0, 0, 0)) if pixel is CLEAR else bytes((*pixel, 255))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(
            ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# --- all files ----------------------------------------------------------------------------


def as_rgb(rows, palette=VGA, clear=None):
    """Rows of palette indices as RGB rows; the index `clear` (if any) and CLEAR stay clear."""
    return [[CLEAR if p is CLEAR or p == clear else palette[p] for p in row] for row in rows]


def files():
    program = {size: program_icon(size) for size in (32, 16)}
    program_entries = icon_entries([program[32], program[16]], 4)
    out = {
        "program-32.bin": program_entries[0][2],
        "program-16.bin": program_entries[1][2],
        "program-group.bin": group_icon(program_entries,
                                        [PROGRAM_ICON_IDS[32], PROGRAM_ICON_IDS[16]]),
        "program.ico": ico_file(program_entries),
    }
    for size in (16, 24, 32, 48, 64, 128):
        out[f"nodrell-{size}.png"] = png_file(as_rgb(program_icon(size)))
    out["nodrell.svg"] = program_svg()
    out["logo1.gif"] = gif_file(*logo1())
    out["logo2.ico"] = ico_file(icon_entries([logo2()], 8))
    for size in LOGO_SIZES:
        palette, rows, clear = logo1(size)
        out[f"logo1-{size}.png"] = png_file(as_rgb(rows, palette, clear))
        out[f"logo2-{size}.png"] = png_file(logo2(size))
    out["about.ico"] = ico_file(icon_entries([about_icon(16), about_icon(32)], 8))
    out["link.cur"] = cur_file(LINK_CURSOR, LINK_HOT_SPOT)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the files in the folder instead of writing them")
    parser.add_argument("--dir", type=pathlib.Path, default=HERE)
    args = parser.parse_args()
    stale = []
    for name, data in files().items():
        path = args.dir / name
        if args.check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
        else:
            path.write_bytes(data)
    if stale:
        print("not as the generator draws them: " + ", ".join(stale))
        return 1
    print("checked" if args.check else "written", len(files()), "files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
