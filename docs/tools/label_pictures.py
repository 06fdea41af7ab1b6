#!/usr/bin/env python3
"""Draws numbered callouts onto the panel pictures the session renders.

The guide's pictures are never edited by hand: panel_pictures renders the
panel in named states (PNG, twice the panel's size), and this script adds a
margin with numbered bubbles, each joined by a line to a dot on the part it
names. The numbers are the same in every language; each guide's legend says
what they mean. Plain Python (zlib only): 8-bit RGB/RGBA PNG in, RGB PNG out.

Usage: label_pictures.py RENDERED-DIR OUTPUT-DIR
Every picture of the guide is written to OUTPUT-DIR: the labelled ones with
their callouts, the others copied unchanged.
"""
import os
import struct
import sys
import zlib

SCALE = 2      # panel_pictures writes each panel pixel as 2 x 2
MARGIN = 30    # panel pixels of margin around a labelled picture
RADIUS = 9     # bubble radius, output pixels

# Panel geometry (panel pixels) of the "full" state: slider shown (swatch band
# 80 high), palette image at (2, 80) with its centre at (92, 170), FX-brush row
# from y 263. Each callout: number, target point, bubble point.
FULL = [
    (1, (30, 13), (-18, 6)),     # B swatch
    (2, (30, 34), (-18, 34)),    # base swatch
    (3, (150, 24), (203, 10)),   # current swatch
    (4, (120, 61), (203, 61)),   # value slider
    (5, (16, 170), (-18, 150)),  # hue ring
    (6, (92, 170), (203, 205)),  # SATVAL square
    (7, (144, 170), (203, 170)), # saturation bars
    (8, (92, 118), (203, 120)),  # value bars
    (9, (19, 93), (-18, 93)),    # A/B swap
    (10, (167, 98), (203, 92)),  # paint-mode corner (lightbulb)
    (11, (10, 243), (-18, 230)), # dynamic hue ring option box
    (12, (10, 253), (-18, 258)), # background option box
    (13, (174, 243), (203, 238)),  # single layer / freeze option box
    (14, (174, 253), (203, 258)),  # CIE palette option box
    (15, (12, 273), (-18, 284)), # lamp button
    (16, (62, 275), (62, 306)),  # Dirt
    (17, (117, 275), (117, 306)),  # Load
    (18, (172, 275), (172, 306)),  # Rot
]

LABELLED = {"panel-full": FULL}

# Pictures the guides show as rendered.
PLAIN = [
    "panel-swatches", "panel-slider-lab", "panel-slider-lab-locked-gamut", "panel-slider-scheme",
    "panel-slider-gradient", "panel-palette-hsv", "panel-palette-hsv-ring-current", "panel-palette-cie",
    "panel-palette-cie-gamut", "panel-palette-locks-options", "panel-palette-out-of-square",
    "panel-canvas-mode", "panel-paint-sign-minus", "panel-paint-sign-plus", "panel-paint-sign-cross",
    "panel-lamp-off", "panel-lamp-green", "panel-lamp-lime", "panel-lamp-red", "panel-lamp-orange",
    "artwork-vectorscope-graticule", "artwork-waveform-graticule",
]

# 3 x 5 digits, rows top to bottom, bit 2 = left column.
DIGITS = {
    "0": [7, 5, 5, 5, 7], "1": [2, 6, 2, 2, 7], "2": [7, 1, 7, 4, 7], "3": [7, 1, 7, 1, 7],
    "4": [5, 5, 7, 1, 1], "5": [7, 4, 7, 1, 7], "6": [7, 4, 7, 5, 7], "7": [7, 1, 1, 1, 1],
    "8": [7, 5, 7, 5, 7], "9": [7, 5, 7, 1, 7],
}


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + ": not a PNG file")
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError(path + ": only 8-bit RGB or RGBA, not interlaced")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    pixels = [[tuple(row[x * channels:x * channels + 3]) for x in range(width)] for row in rows]
    return pixels


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for p in row:
            raw.extend(p)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


def label(pixels, callouts):
    margin = MARGIN * SCALE
    background = (255, 255, 255)
    width, height = len(pixels[0]) + 2 * margin, len(pixels) + 2 * margin
    out = [[background] * width for _ in range(height)]
    for y, row in enumerate(pixels):
        out[y + margin][margin:margin + len(row)] = row

    def put(x, y, colour):
        if 0 <= x < width and 0 <= y < height:
            out[y][x] = colour

    def disc(cx, cy, r, colour):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    put(x, y, colour)

    def line(x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i // steps
            y = y0 + (y1 - y0) * i // steps
            for dx, dy in ((0, 0), (1, 0), (0, 1)):
                put(x + dx, y + dy, colour)

    ink, bubble, text = (20, 20, 20), (200, 30, 40), (255, 255, 255)
    to_out = lambda p: (margin + p[0] * SCALE + SCALE // 2, margin + p[1] * SCALE + SCALE // 2)
    for number, target, place in callouts:
        (tx, ty), (bx, by) = to_out(target), to_out(place)
        line(bx, by, tx, ty, ink)
        disc(tx, ty, 3, (255, 255, 255))
        disc(tx, ty, 2, bubble)
    for number, target, place in callouts:
        bx, by = to_out(place)
        disc(bx, by, RADIUS + 1, ink)
        disc(bx, by, RADIUS, bubble)
        digits = str(number)
        glyph_w, gap, unit = 3 * 2, 2, 2
        total = len(digits) * glyph_w + (len(digits) - 1) * gap
        x0, y0 = bx - total // 2, by - 5
        for k, d in enumerate(digits):
            for row, bits in enumerate(DIGITS[d]):
                for col in range(3):
                    if bits & (4 >> col):
                        for uy in range(unit):
                            for ux in range(unit):
                                put(x0 + k * (glyph_w + gap) + col * unit + ux, y0 + row * unit + uy, text)
    return out


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: label_pictures.py RENDERED-DIR OUTPUT-DIR")
    source, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    for name, callouts in LABELLED.items():
        write_png(os.path.join(target, name + "-labelled.png"), label(read_png(os.path.join(source, name + ".png")), callouts))
    for name in PLAIN:
        write_png(os.path.join(target, name + ".png"), read_png(os.path.join(source, name + ".png")))


if __name__ == "__main__":
    main()
