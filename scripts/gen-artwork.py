#!/usr/bin/env python3
"""Draws kvRemote's icons and LED strip as 16-colour Windows files.

gen-artwork.py OUTDIR writes into OUTDIR:
  kvRemote.ico          a keyboard with a magic wand whose tip sparkles (16, 20, 24, 32, 48 pixels)
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

# Every icon holds one picture per size, each drawn on that size's own pixel grid, so the small
# ones stay sharp: 16 and 20 (small icons at 96 and 120 DPI), 24 (small at 144 DPI), 32 and 48
# (large at 96 and 144 DPI).
ICON_SIZES = [16, 20, 24, 32, 48]


class Layout:
    """Where the keyboard, its keys and the wand go in a picture of `size` pixels."""

    def __init__(self, size):
        s = size
        self.size = s
        self.margin = 0 if s < 20 else s // 24 + (1 if s >= 48 else 0)
        self.left = self.margin
        self.right = s - 1 - self.margin
        self.top = (s * 13) // 32 if s >= 20 else 7
        self.bottom = s - 1 - (self.margin if s >= 32 else 0)
        self.pitch = max(2, s // 8)             # key to key, across
        self.key_w = self.pitch - 1
        self.key_h = max(1, (s + 8) // 16 - 1)  # 1 up to 24 pixels, 2 at 32, 3 at 48
        self.shadow = s >= 32                   # a grey row under each key
        self.row_pitch = self.key_h + 1 + (1 if self.shadow else 0)
        inner_left = self.left + 2
        inner_right = self.right - 2
        self.columns = (inner_right - inner_left + 2) // self.pitch
        used = self.columns * self.pitch - 1
        self.keys_left = inner_left + (inner_right - inner_left + 1 - used) // 2
        inner_top = self.top + 2
        inner_bottom = self.bottom - 2
        rows = (inner_bottom - inner_top + 2) // self.row_pitch
        self.letter_rows = max(1, min(3, rows - 1))
        used = (self.letter_rows + 1) * self.row_pitch - (2 if self.shadow else 1)
        self.keys_top = inner_top + max(0, (inner_bottom - inner_top + 1 - used) // 2)

    def keys(self):
        """Key rectangles (x0, y0, x1, y1) by row; the last one is the space bar."""
        keys = []
        for row in range(self.letter_rows):
            y = self.keys_top + row * self.row_pitch
            # Every other row is set in by half a key, as on a real keyboard.
            shift = (self.pitch // 2) if row % 2 else 0
            count = self.columns - (1 if shift else 0)
            for i in range(count):
                x = self.keys_left + shift + i * self.pitch
                keys.append((x, y, x + self.key_w - 1, y + self.key_h - 1))
        y = self.keys_top + self.letter_rows * self.row_pitch
        quarter = self.columns // 4
        x0 = self.keys_left + quarter * self.pitch
        x1 = self.keys_left + (self.columns - quarter) * self.pitch - 2
        keys.append((x0, y, x1, y + self.key_h - 1))
        return keys

    def pressed(self, frame):
        """The keys pressed in an animation frame: the left, middle and right thirds of the
        letter rows in turn, then the space bar."""
        keys = self.keys()
        if frame == 3:
            return {len(keys) - 1}
        third = self.columns * self.pitch / 3
        lo = self.keys_left + frame * third
        hi = lo + third
        return {i for i, (x0, _, x1, _) in enumerate(keys[:-1]) if lo <= (x0 + x1) / 2 < hi}


def draw_keyboard(px, lay, pressed):
    l, r, t, b = lay.left, lay.right, lay.top, lay.bottom
    # Body with a light top-left edge and a dark bottom-right edge.
    rect(px, l, t, r, b, BLACK)
    rect(px, l, t, r - 1, b - 1, WHITE)
    rect(px, l + 1, t + 1, r - 1, b - 1, SILVER)
    rect(px, l + 1, b - 1, r - 1, b - 1, GREY)
    rect(px, r - 1, t + 1, r - 1, b - 1, GREY)
    if lay.size >= 24:
        # Status lights in the top-right corner.
        put(px, r - 6 * lay.size // 32, t + 1, LIME)
        put(px, r - 4 * lay.size // 32, t + 1, LIME)
    for i, (x0, y0, x1, y1) in enumerate(lay.keys()):
        if i in pressed:
            rect(px, x0, y0, x1, y1, GREY)
        else:
            rect(px, x0, y0, x1, y1, WHITE)
            if lay.shadow:
                rect(px, x0, y1 + 1, x1, y1 + 1, GREY)


def sparkle(px, x, y, arm):
    for d in range(1, arm + 1):
        for dx, dy in [(d, 0), (-d, 0), (0, d), (0, -d)]:
            put(px, x + dx, y + dy, YELLOW)
    put(px, x, y, WHITE)


def draw_wand(px, lay):
    s = lay.size
    width = max(1, s // 16)
    # A black stick from the keyboard up to the right, a white tip, a sparkle around the tip.
    tip_x, tip_y = (s * 21) // 32, (s * 6) // 32
    line(px, (s * 8) // 32, lay.top + 2, tip_x, tip_y, BLACK, width)
    line(px, tip_x, tip_y, tip_x + width, tip_y - width, WHITE, width)
    arm = max(1, s // 10)
    sx, sy = min(s - 1 - arm, tip_x + width + arm), max(arm, tip_y - width - arm)
    sparkle(px, sx, sy, arm)
    if s >= 24:
        # Two smaller sparks further out.
        sparkle(px, min(s - 2, sx + 2 * arm + 1), sy + 2 * arm + 1, max(1, arm // 2))
        sparkle(px, sx - 3 * arm, max(1, sy - arm // 2), max(1, arm // 2))


def draw_cross(px, size):
    """Two thick red diagonals with a dark red outline, corner to corner."""
    w = max(2, size // 8)
    lo = max(1, size // 16)
    hi = size - 1 - lo - (w - 1)
    for c, grow in [(MAROON, 1), (RED, 0)]:
        line(px, lo - grow, lo - grow, hi - grow, hi - grow, c, w + 2 * grow)
        line(px, hi - grow, lo - grow, lo - grow, hi - grow, c, w + 2 * grow)


def icon_picture(size, frame=None, cross=False):
    px = canvas(size, size, CLEAR)
    lay = Layout(size)
    draw_keyboard(px, lay, lay.pressed(frame) if frame is not None else set())
    draw_wand(px, lay)
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


# The LED statics of the setup dialog are 12 pixels wide and 12 or 13 high at 96 DPI, and a control
# smaller than a cell shows the cell's top-left corner. So every 11-pixel picture lies inside the
# cell's top-left 12 x 12 pixels, one pixel in from the corner: whole in the smallest control, and
# whole too when a control of 16 or more centres the cell.
LED_SPAN = 12


def round_led(px, ox, oy, face):
    """A disc 11 pixels across: sunken grey bezel, face, white highlight up-left of centre."""
    cx = cy = LED_SPAN // 2
    for y in range(LED_SPAN):
        for x in range(LED_SPAN):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 > 5.5**2:
                continue
            if d2 > 4.4**2:
                c = GREY if (x - cx) + (y - cy) < 0 else SILVER
            else:
                c = face
            px[oy + y][ox + x] = c
    for x, y in [(cx - 2, cy - 3), (cx - 3, cy - 2), (cx - 2, cy - 2), (cx - 1, cy - 3)]:
        px[oy + y][ox + x] = WHITE


def square_led(px, ox, oy, face):
    """11 by 11 raised bevel: white top and left, silver inner frame, grey right and bottom."""
    x0 = y0 = 1
    x1 = y1 = LED_SPAN - 1
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
    write(os.path.join(out, "kvRemote.ico"), ico_file([icon_picture(n) for n in ICON_SIZES]))
    for frame in range(4):
        pictures = [icon_picture(n, frame) for n in ICON_SIZES]
        write(os.path.join(out, "kvRemoteAnim%d.ico" % frame), ico_file(pictures))
    pictures = [icon_picture(n, cross=True) for n in ICON_SIZES]
    write(os.path.join(out, "kvRemoteNoDriver.ico"), ico_file(pictures))
    write(os.path.join(out, "Leds.bmp"), bmp_file(led_strip()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
