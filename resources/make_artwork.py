#!/usr/bin/env python3
"""Draws the application icon (dromix.ico) and the link cursor (link.cur); standard library only.

The icon is a small monitor whose screen shows a three-panel comic strip. The 16x16 and 32x32 images
use the 16-colour VGA palette (4 bits a pixel); the 48x48 one is 32-bit and the 256x256 one is PNG.
The cursor is a 32x32 monochrome pointing hand with its hot spot at the finger tip (5, 0).

    python3 resources/make_artwork.py   # rewrites both files beside this script
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# Shapes on a 0..1 square, painted in order: (kind, x0, y0, x1, y1, colour).
DARK = (40, 40, 40)
BEZEL = (128, 128, 128)
SKY = (0, 255, 255)
PANEL = (255, 255, 255)
INK = (0, 0, 0)
GREEN = (0, 255, 0)
SHAPES = [
    ("rect", 0.05, 0.08, 0.95, 0.74, BEZEL),       # monitor case
    ("rect", 0.10, 0.13, 0.90, 0.69, DARK),        # screen edge
    ("rect", 0.13, 0.16, 0.87, 0.66, SKY),         # wallpaper
    ("rect", 0.16, 0.28, 0.38, 0.56, PANEL),       # three strip panels
    ("rect", 0.39, 0.28, 0.61, 0.56, PANEL),
    ("rect", 0.62, 0.28, 0.84, 0.56, PANEL),
    ("disc", 0.27, 0.45, 0.055, 0, INK),           # a face in each panel
    ("disc", 0.50, 0.45, 0.055, 0, INK),
    ("disc", 0.73, 0.45, 0.055, 0, INK),
    ("rect", 0.42, 0.31, 0.58, 0.37, INK),         # a speech balloon
    ("rect", 0.40, 0.74, 0.60, 0.84, BEZEL),       # stand
    ("rect", 0.25, 0.84, 0.75, 0.92, DARK),        # foot
    ("rect", 0.78, 0.76, 0.86, 0.80, GREEN),       # power light
]


def colour_at(x, y):
    """The colour at a point of the unit square, or None where the icon is transparent."""
    result = None
    for kind, a, b, c, d, colour in SHAPES:
        if kind == "rect" and a <= x < c and b <= y < d:
            result = colour
        elif kind == "disc" and (x - a) ** 2 + (y - b) ** 2 <= c * c:
            result = colour
    return result


def render(size):
    """Top-down rows of (r, g, b, a), 4x4 supersampled."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(4):
                for sx in range(4):
                    c = colour_at((px + (sx + 0.5) / 4) / size, (py + (sy + 0.5) / 4) / size)
                    if c:
                        r, g, b, hits = r + c[0], g + c[1], b + c[2], hits + 1
            row.append((r // hits, g // hits, b // hits, hits * 255 // 16) if hits else (0, 0, 0, 0))
        rows.append(row)
    return rows


def nearest_vga(pixel):
    return min(range(16), key=lambda i: sum((pixel[k] - VGA16[i][k]) ** 2 for k in range(3)))


def and_mask(rows, opaque):
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if not opaque(p):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def dib_header(size, bits, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def bmp_4bit(rows):
    size = len(rows)
    palette = b"".join(struct.pack("BBBB", c[2], c[1], c[0], 0) for c in VGA16)
    stride = ((size * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            index = nearest_vga(p) if p[3] >= 128 else 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += line
    return dib_header(size, 4, 16) + palette + bytes(pixels) + and_mask(rows, lambda p: p[3] >= 128)


def bmp_32bit(rows):
    size = len(rows)
    pixels = b"".join(struct.pack("BBBB", p[2], p[1], p[0], p[3]) for row in reversed(rows) for p in row)
    return dib_header(size, 32) + pixels + and_mask(rows, lambda p: p[3] > 0)


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def directory(kind, images):
    """An ICO (kind 1) or CUR (kind 2) file from (size, colours, field1, field2, data) entries."""
    head = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries = body = b""
    for size, colours, f1, f2, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, f1, f2, len(data), offset)
        body += data
        offset += len(data)
    return head + entries + body


def icon():
    images = [(16, 16, 1, 4, bmp_4bit(render(16))), (32, 16, 1, 4, bmp_4bit(render(32))),
              (48, 0, 1, 32, bmp_32bit(render(48))), (256, 0, 1, 32, png(render(256)))]
    return directory(1, images)


# The hand: X is black, o is white, anything else transparent. The finger tip's top-left black pixel
# is the hot spot (5, 0).
HAND = """
.....XX.
....XooX
....XooX
....XooX
....XooX
....XooXXX
....XooXooXXX
....XooXooXooXX
.XX.XooXooXooXoX
XooXXooooooooXoX
XoooXoooooooooooX
.XooXoooooooooooX
..XoXoooooooooooX
..XooooooooooooX
...XoooooooooooX
....XooooooooooX
....XoooooooooX
.....XooooooooX
.....XooooooooX
.....XXXXXXXXXX
"""


def cursor():
    art = [line for line in HAND.strip("\n").split("\n")]
    size = 32
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        line = art[y] if y < len(art) else ""
        xline, aline = bytearray(4), bytearray(4)
        for x in range(size):
            ch = line[x] if x < len(line) else "."
            bit = 0x80 >> (x % 8)
            if ch == "o":
                xline[x // 8] |= bit
            elif ch != "X":
                aline[x // 8] |= bit
        xor += xline
        mask += aline
    palette = struct.pack("BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    data = dib_header(size, 1, 2) + palette + bytes(xor) + bytes(mask)
    hot_x, hot_y = art[0].index("X"), 0
    return directory(2, [(size, 2, hot_x, hot_y, data)])


if __name__ == "__main__":
    with open(os.path.join(HERE, "dromix.ico"), "wb") as f:
        f.write(icon())
    with open(os.path.join(HERE, "link.cur"), "wb") as f:
        f.write(cursor())
