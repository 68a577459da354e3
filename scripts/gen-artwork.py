#!/usr/bin/env python3
"""Draws kvRemote's icons and LED strip as 16-colour Windows files.

gen-artwork.py OUTDIR writes into OUTDIR:
  kvRemote.ico          a keyboard with a magic wand whose tip sparkles (32x32 and 16x16)
  kvRemoteAnim0..3.ico  the same with a different group of keys pressed (darkened)
  kvRemoteNoDriver.ico  the keyboard struck through by a red cross
  Leds.bmp              48x128 LED strip: columns on/off/disabled, rows red/green/yellow/blue
                        round then square, magenta wherever there is no LED

Standard library only, so the build needs nothing but Python 3.
"""

import os
import struct
import sys

# The 16-colour palette every picture uses (the classic VGA order).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, MAGENTA, AQUA, WHITE = range(8, 16)
CLEAR = None  # transparent pixel of an icon


def canvas(w, h, fill):
    return [[fill] * w for _ in range(h)]


def rect(px, x0, y0, x1, y1, c):
    """Fills the inclusive rectangle x0..x1, y0..y1."""
    for y in range(max(y0, 0), min(y1, len(px) - 1) + 1):
        for x in range(max(x0, 0), min(x1, len(px[0]) - 1) + 1):
            px[y][x] = c


def put(px, x, y, c):
    if 0 <= y < len(px) and 0 <= x < len(px[0]):
        px[y][x] = c


def line(px, x0, y0, x1, y1, c, width=1):
    """A straight line with a square brush of the given width."""
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = round(x0 + (x1 - x0) * i / steps)
        y = round(y0 + (y1 - y0) * i / steps)
        rect(px, x, y, x + width - 1, y + width - 1, c)


# ---------------------------------------------------------------- icons

def keyboard_keys(size):
    """Key rectangles of the keyboard as (x0, y0, x1, y1), row by row."""
    if size == 32:
        keys = []
        for row, (y, xs) in enumerate([(16, 3), (19, 4), (22, 3)]):
            for i in range(7 if row != 1 else 6):
                x = xs + i * 4
                keys.append((x, y, x + 2, y + 1))
        keys.append((9, 25, 22, 26))  # space bar
        return keys
    keys = []
    for y in (9, 11):
        for i in range(6):
            keys.append((2 + i * 2, y, 2 + i * 2, y))
    keys.append((4, 13, 11, 13))
    return keys


# Keys pressed in each animation frame (indexes into keyboard_keys(32)); the 16x16 image
# presses the matching group of its own smaller set.
PRESSED_32 = [[0, 1, 7, 8], [3, 4, 10, 11], [14, 15, 16, 17], [20, 21, 22, 13, 19]]
PRESSED_16 = [[0, 1], [3, 4], [8, 9], [12]]


def draw_keyboard(px, size, pressed):
    if size == 32:
        # Body with a light top-left edge and a dark bottom-right edge.
        rect(px, 1, 13, 30, 29, GREY)
        rect(px, 1, 13, 29, 28, WHITE)
        rect(px, 2, 14, 29, 28, SILVER)
        rect(px, 1, 29, 30, 29, BLACK)
        rect(px, 30, 13, 30, 29, BLACK)
        rect(px, 2, 28, 29, 28, GREY)
        rect(px, 29, 14, 29, 28, GREY)
        # Status lights in the top-right corner.
        put(px, 24, 14, LIME)
        put(px, 26, 14, LIME)
    else:
        rect(px, 0, 7, 15, 15, BLACK)
        rect(px, 0, 7, 14, 14, WHITE)
        rect(px, 1, 8, 14, 14, SILVER)
        rect(px, 1, 14, 14, 14, GREY)
    for i, (x0, y0, x1, y1) in enumerate(keyboard_keys(size)):
        if i in pressed:
            rect(px, x0, y0, x1, y1, GREY)
        else:
            rect(px, x0, y0, x1, y1, WHITE)
            if size == 32:
                rect(px, x0, y1 + 1, x1, y1 + 1, GREY)  # key shadow


def draw_wand(px, size):
    if size == 32:
        # Black stick from the keyboard up to the right, white tip, yellow sparkle around it.
        line(px, 8, 16, 21, 5, BLACK, 2)
        line(px, 20, 6, 22, 4, WHITE, 2)
        for x, y in [(24, 0), (24, 1), (24, 3), (24, 4), (21, 2), (22, 2), (26, 2), (27, 2)]:
            put(px, x, y, YELLOW)
        put(px, 24, 2, WHITE)
        for x, y in [(28, 6), (29, 7), (28, 8), (27, 7), (18, 1), (30, 0), (27, 10)]:
            put(px, x, y, YELLOW)
        put(px, 28, 7, WHITE)
    else:
        line(px, 4, 8, 10, 3, BLACK, 1)
        put(px, 11, 2, WHITE)
        for x, y in [(12, 0), (12, 1), (13, 1), (11, 1), (12, 3), (14, 4), (9, 0)]:
            put(px, x, y, YELLOW)


def draw_cross(px, size):
    """Two thick red diagonals with a dark red outline, corner to corner."""
    w = 4 if size == 32 else 2
    lo = 2 if size == 32 else 1
    hi = size - 1 - lo - (w - 1)
    for c, grow in [(MAROON, 1), (RED, 0)]:
        line(px, lo - grow, lo - grow, hi - grow, hi - grow, c, w + 2 * grow)
        line(px, hi - grow, lo - grow, lo - grow, hi - grow, c, w + 2 * grow)


def icon_picture(size, frame=None, cross=False):
    px = canvas(size, size, CLEAR)
    pressed = []
    if frame is not None:
        pressed = (PRESSED_32 if size == 32 else PRESSED_16)[frame]
    draw_keyboard(px, size, pressed)
    draw_wand(px, size)
    if cross:
        draw_cross(px, size)
    return px


def dib_4bit(px, height_factor=1):
    """BITMAPINFOHEADER, palette and bottom-up 4-bit pixel rows of a picture."""
    h = len(px)
    w = len(px[0])
    stride = ((w * 4 + 31) // 32) * 4
    rows = []
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            c = px[y][x]
            c = BLACK if c is None else c
            row[x // 2] |= c << (4 if x % 2 == 0 else 0)
        rows.append(bytes(row))
    bits = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * height_factor, 1, 4, 0, len(bits), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bits


def and_mask(px):
    h = len(px)
    w = len(px[0])
    stride = ((w + 31) // 32) * 4
    rows = []
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b"".join(rows)


def ico_file(pictures):
    images = [dib_4bit(px, 2) + and_mask(px) for px in pictures]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for px, data in zip(pictures, images):
        size = len(px)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# ---------------------------------------------------------------- LED strip

CELL = 16
ON_FACES = [RED, LIME, YELLOW, BLUE]
OFF_FACES = [MAROON, GREEN, OLIVE, NAVY]


def round_led(px, ox, oy, face):
    """A disc 11 pixels across: sunken grey bezel, face, white highlight up-left of centre."""
    cx = cy = 7
    for y in range(CELL):
        for x in range(CELL):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 > 5.5**2:
                continue
            if d2 > 4.4**2:
                c = GREY if (x - cx) + (y - cy) < 0 else SILVER
            else:
                c = face
            px[oy + y][ox + x] = c
    for x, y in [(5, 4), (4, 5), (5, 5), (6, 4)]:
        px[oy + y][ox + x] = WHITE


def square_led(px, ox, oy, face):
    """11 by 11 raised bevel: white top and left, silver inner frame, grey right and bottom."""
    x0 = y0 = 2
    x1 = y1 = 12
    rect(px, ox + x0, oy + y0, ox + x1, oy + y1, SILVER)
    rect(px, ox + x0, oy + y0, ox + x1 - 1, oy + y0, WHITE)
    rect(px, ox + x0, oy + y0, ox + x0, oy + y1 - 1, WHITE)
    rect(px, ox + x0, oy + y1, ox + x1, oy + y1, GREY)
    rect(px, ox + x1, oy + y0, ox + x1, oy + y1, GREY)
    rect(px, ox + x0 + 2, oy + y0 + 2, ox + x1 - 2, oy + y1 - 2, face)


def led_strip():
    px = canvas(3 * CELL, 8 * CELL, MAGENTA)
    for shape, draw in enumerate([round_led, square_led]):
        for colour in range(4):
            oy = (shape * 4 + colour) * CELL
            for state, face in enumerate([ON_FACES[colour], OFF_FACES[colour], GREY]):
                draw(px, state * CELL, oy, face)
    return px


def bmp_file(px):
    dib = dib_4bit(px)
    offset = 14 + 40 + 16 * 4
    return struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, offset) + dib


# ---------------------------------------------------------------- main

def write(path, data):
    # Only replace a file whose content changed, so the resource script is not rebuilt needlessly.
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: gen-artwork.py OUTDIR\n")
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "kvRemote.ico"), ico_file([icon_picture(32), icon_picture(16)]))
    for frame in range(4):
        pictures = [icon_picture(32, frame), icon_picture(16, frame)]
        write(os.path.join(out, "kvRemoteAnim%d.ico" % frame), ico_file(pictures))
    pictures = [icon_picture(32, cross=True), icon_picture(16, cross=True)]
    write(os.path.join(out, "kvRemoteNoDriver.ico"), ico_file(pictures))
    write(os.path.join(out, "Leds.bmp"), bmp_file(led_strip()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
