#!/usr/bin/env python3
"""Tintwell build tool: draws the plug-in's built-in pictures and packs them.

    python3 tools/gen_artwork.py            # rewrite the generated file
    python3 tools/gen_artwork.py --check    # exit 1 when it is stale

Writes src/core/artwork_data.cpp, the data behind src/core/artwork.h:
  - five 20 x 20 lamp icons for the paint-mode button, each an alpha plane,
    a 256-entry RGB palette and an index plane (1568 bytes);
  - three 180 x 180 pictures packed with PackBits on 4-byte pixels (bytes
    blue, green, red, alpha; colours premultiplied): the palette background
    with its corner decorations, the vectorscope graticule and the waveform
    graticule.

Everything is drawn here from shapes; nothing is typed in as pixel bytes.
The drawing uses only + - * / and sqrt (sines and cosines are summed as
series), so the output depends on nothing but this file and is the same on
every machine.

Sizes that are part of the data's contract are kept exactly: each lamp icon
uses a given number of distinct palette indices (the colours are reduced by
median cut to that many), and each packed stream has a given length (the
stream is packed optimally and then, where the optimum is shorter, packets
are split, which changes no pixel).
"""

import math
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUTPUT = os.path.join(ROOT, "src", "core", "artwork_data.cpp")

SIDE = 180
PIXELS = SIDE * SIDE
LAMP = 20

# Packed lengths of the three pictures and the palette sizes of the lamps.
PALETTE_BACKGROUND_SIZE = 3988
VECTORSCOPE_SIZE = 10724
WAVEFORM_SIZE = 3791


def fail(message):
    sys.stderr.write("gen_artwork: " + message + "\n")
    sys.exit(2)


# ---------------------------------------------------------------- arithmetic

PI = 3.141592653589793


def series_sin(x):
    # Range reduction to [-pi, pi], then the Taylor series to full precision.
    turns = int(x / (2.0 * PI) + (0.5 if x >= 0 else -0.5))
    x = x - turns * 2.0 * PI
    term = x
    total = x
    for n in range(1, 20):
        term = -term * x * x / ((2 * n) * (2 * n + 1))
        total += term
    return total


def series_cos(x):
    return series_sin(x + PI / 2.0)


def to_byte(v):
    if v <= 0.0:
        return 0
    if v >= 1.0:
        return 255
    return int(v * 255.0 + 0.5)


# ---------------------------------------------------------------- canvas


class Canvas:
    """Premultiplied RGBA floats 0..1, row after row; pixel (x, y) covers the
    square [x, x + 1) x [y, y + 1)."""

    def __init__(self, width, height, background=(0.0, 0.0, 0.0, 0.0)):
        self.width = width
        self.height = height
        r, g, b, a = background
        self.px = [[r * a, g * a, b * a, a] for _ in range(width * height)]

    def over(self, x, y, rgb, alpha):
        if not (0 <= x < self.width and 0 <= y < self.height) or alpha <= 0.0:
            return
        p = self.px[y * self.width + x]
        keep = 1.0 - alpha
        p[0] = rgb[0] * alpha + p[0] * keep
        p[1] = rgb[1] * alpha + p[1] * keep
        p[2] = rgb[2] * alpha + p[2] * keep
        p[3] = alpha + p[3] * keep

    def put(self, x, y, rgb):
        self.over(x, y, rgb, 1.0)

    def shape(self, box, inside, colour, samples=4):
        """Covers every pixel of box (x0, y0, x1, y1 inclusive) with colour
        (an RGB triple or a function of the pixel centre) by the fraction of
        its samples for which inside(x, y) holds."""
        x0, y0, x1, y1 = box
        step = 1.0 / samples
        total = samples * samples
        for y in range(max(0, y0), min(self.height - 1, y1) + 1):
            for x in range(max(0, x0), min(self.width - 1, x1) + 1):
                hits = 0
                for j in range(samples):
                    sy = y + (j + 0.5) * step
                    for i in range(samples):
                        if inside(x + (i + 0.5) * step, sy):
                            hits += 1
                if hits:
                    rgb = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                    self.over(x, y, rgb, hits / total)

    def rect(self, x0, y0, x1, y1, rgb):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, rgb)

    def frame(self, x0, y0, x1, y1, rgb):
        for x in range(x0, x1 + 1):
            self.put(x, y0, rgb)
            self.put(x, y1, rgb)
        for y in range(y0 + 1, y1):
            self.put(x0, y, rgb)
            self.put(x1, y, rgb)

    def line(self, ax, ay, bx, by, width, rgb):
        """An anti-aliased segment between two points of the plane."""
        half = width / 2.0
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy

        def inside(x, y):
            t = ((x - ax) * dx + (y - ay) * dy) / length2 if length2 else 0.0
            t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
            ex, ey = x - (ax + t * dx), y - (ay + t * dy)
            return ex * ex + ey * ey <= half * half

        box = (int(min(ax, bx) - half) - 1, int(min(ay, by) - half) - 1,
               int(max(ax, bx) + half) + 1, int(max(ay, by) + half) + 1)
        self.shape(box, inside, rgb)

    def text(self, x, y, string, rgb, font=None):
        """Crisp letters (5 x 7 unless another font is given) with one column
        between them; (x, y) is the top-left pixel. Returns the x after the
        last letter."""
        font = font or FONT
        for ch in string:
            glyph = font[ch]
            for row, bits in enumerate(glyph):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        self.put(x + col, y + row, rgb)
            x += len(glyph[0]) + 1
        return x

    def bytes_bgra(self):
        out = bytearray()
        for r, g, b, a in self.px:
            out += bytes((to_byte(b), to_byte(g), to_byte(r), to_byte(a)))
        return bytes(out)


def text_width(string, font=None):
    font = font or FONT
    return sum(len(font[ch][0]) + 1 for ch in string) - 1


FONT = {
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "-": [".....", ".....", ".....", "####.", ".....", ".....", "....."],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "I": ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "g": [".....", ".....", ".####", "#...#", ".####", "....#", ".###."],
    "l": ["##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "y": [".....", ".....", "#...#", "#...#", ".####", "....#", ".###."],
}

# 3 x 5 letters for the scale labels, where every pixel of a label costs
# packed bytes.
SMALL_FONT = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#", "##", ".#", ".#", ".#"],
    "2": ["###", "..#", "###", "#..", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
    "6": ["###", "#..", "###", "#.#", "###"],
    "8": ["###", "#.#", "###", "#.#", "###"],
    "-": ["...", "...", "###", "...", "..."],
}


def grey(v):
    return (v / 255.0, v / 255.0, v / 255.0)


def rgb8(r, g, b):
    return (r / 255.0, g / 255.0, b / 255.0)


def disc(cx, cy, radius):
    return lambda x, y: (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius


# ---------------------------------------------------------------- palette background

# Outline colour of the option frames and the corner letters: light enough to
# read on the host's dark panel and on any flood colour.
ICON_GREY = grey(200)


def draw_palette_background():
    c = Canvas(SIDE, SIDE)

    # Top left (x 10..24, y 6..20): the A/B swap icon, a red and a green
    # square overlapping, a black arrow pointing both ways across them.
    red, red_edge = rgb8(225, 45, 40), rgb8(140, 20, 20)
    green, green_edge = rgb8(50, 185, 70), rgb8(20, 110, 35)
    c.rect(10, 6, 19, 15, red)
    c.frame(10, 6, 19, 15, red_edge)
    c.rect(15, 11, 24, 20, green)
    c.frame(15, 11, 24, 20, green_edge)
    black = (0.0, 0.0, 0.0)
    for i in range(9):  # the shaft, from (13, 17) up to (21, 9)
        c.put(13 + i, 17 - i, black)
    for x, y in ((18, 9), (19, 9), (20, 9), (21, 10), (21, 11), (21, 12),  # head at the upper end
                 (13, 14), (13, 15), (13, 16), (14, 17), (15, 17), (16, 17)):  # and at the lower end
        c.put(x, y, black)

    # Top right (x 157..174, y 9..27): a pale light bulb, glass over a
    # neck and a screw base; the paint-mode sign is drawn over its glass.
    glass, glass_edge = rgb8(255, 246, 196), rgb8(214, 190, 110)
    c.shape((157, 9, 174, 24), disc(164.5, 15.5, 7.0), glass_edge)
    c.shape((157, 9, 174, 24), disc(164.5, 15.5, 6.0), glass)
    c.rect(161, 22, 168, 22, glass)
    c.put(160, 22, glass_edge)
    c.put(169, 22, glass_edge)
    for y in range(23, 27):
        c.rect(161, y, 168, y, grey(165) if y % 2 == 1 else grey(115))
    c.rect(163, 27, 166, 27, grey(90))

    # Bottom left: the frames of the hue-ring and background options, a small
    # colour wheel beside the upper one and "BG" beside the lower one.
    c.frame(4, 159, 11, 166, ICON_GREY)
    c.frame(4, 169, 11, 176, ICON_GREY)
    draw_colour_wheel(c, 18.5, 162.5, 4.6)
    c.text(14, 169, "BG", ICON_GREY)

    # Bottom right: a stack of three layers beside the single-layer option,
    # the letters CIE beside the CIE option, and their frames.
    c.frame(168, 159, 175, 166, ICON_GREY)
    c.frame(168, 169, 175, 176, ICON_GREY)
    for k, shade in ((2, 110), (1, 165), (0, 225)):  # bottom sheet first
        top = 158 + 3 * k
        c.rect(157, top, 165, top, grey(shade))
        c.rect(156, top + 1, 164, top + 1, grey(shade))
        c.rect(155, top + 2, 163, top + 2, grey(shade * 2 // 3))
    c.text(152, 169, "CIE", ICON_GREY)
    return c


def hsv_to_rgb(h, s, v):
    h = (h % 1.0) * 6.0
    i = int(h)
    f = h - i
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    return [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i % 6]


def draw_colour_wheel(c, cx, cy, radius):
    # Hue by a pseudo-angle (no trigonometry): 0..4 around the centre.
    for y in range(int(cy - radius) - 1, int(cy + radius) + 2):
        for x in range(int(cx - radius) - 1, int(cx + radius) + 2):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            d2 = dx * dx + dy * dy
            if d2 > radius * radius:
                continue
            s = abs(dx) + abs(dy)
            if s == 0.0:
                c.put(x, y, (1.0, 1.0, 1.0))
                continue
            t = dx / s
            angle = (1.0 - t) if dy >= 0 else (3.0 + t)
            sat = math.sqrt(d2) / radius
            c.put(x, y, hsv_to_rgb(angle / 4.0, min(1.0, 0.25 + sat), 1.0))


# ---------------------------------------------------------------- graticules


def luma_difference(r, g, b):
    y = 0.57 * g + 0.32 * r + 0.11 * b
    return y, (r - y) * 0.63, (b - y) * 0.34


def scope_place(r, g, b):
    # Where the scope puts a colour: blue difference to the right, red
    # difference upward, 255 across the picture.
    _y, dr, db = luma_difference(r, g, b)
    return int(db / 255.0 * SIDE) + SIDE // 2, int(dr / -255.0 * SIDE) + SIDE // 2


def draw_vectorscope():
    c = Canvas(SIDE, SIDE, (0.0, 0.0, 0.0, 1.0))
    centre = SIDE // 2 + 0.5
    line_grey, dim_grey, label_grey = grey(120), grey(70), grey(175)

    # Outer circle with a tick every 10 degrees and a longer one every 30.
    outer = 86.0

    def ring(x, y):
        d2 = (x - centre) * (x - centre) + (y - centre) * (y - centre)
        return (outer - 0.5) * (outer - 0.5) <= d2 <= (outer + 0.5) * (outer + 0.5)

    c.shape((0, 0, SIDE - 1, SIDE - 1), ring, line_grey, samples=2)
    for k in range(36):
        a = k * PI / 18.0
        ca, sa = series_cos(a), series_sin(a)
        inner = outer - (7.0 if k % 3 == 0 else 3.5)
        c.line(centre + inner * ca, centre - inner * sa, centre + outer * ca, centre - outer * sa, 1.0, line_grey)

    # The I and Q axes, dotted, at 123 and 33 degrees from the blue axis.
    for degrees, name in ((123.0, "I"), (33.0, "Q")):
        a = degrees * PI / 180.0
        ca, sa = series_cos(a), series_sin(a)
        for step in range(-26, 27):
            if abs(step) < 4:
                continue
            d = step * 3.0
            c.put(int(centre + d * ca), int(centre - d * sa), dim_grey)
        lx = int(centre + 66.0 * ca) - text_width(name) // 2
        ly = int(centre - 66.0 * sa) - 3
        c.text(lx, ly, name, label_grey)

    # Centre cross.
    mid = SIDE // 2
    for d in range(-7, 8):
        c.put(mid + d, mid, line_grey)
        c.put(mid, mid + d, line_grey)

    # Target boxes where the full primaries and secondaries land, labelled
    # on the side toward the centre.
    targets = (("R", 255, 0, 0), ("Mg", 255, 0, 255), ("B", 0, 0, 255),
               ("Cy", 0, 255, 255), ("G", 0, 255, 0), ("Yl", 255, 255, 0))
    for name, r, g, b in targets:
        x, y = scope_place(r, g, b)
        c.frame(x - 4, y - 4, x + 4, y + 4, line_grey)
        c.frame(x - 1, y - 1, x + 1, y + 1, dim_grey)
        dx, dy = mid - x, mid - y
        length = math.sqrt(dx * dx + dy * dy)
        lx = int(x + dx / length * 15.0) - text_width(name) // 2
        ly = int(y + dy / length * 15.0) - 3
        c.text(lx, ly, name, label_grey)
    return c


def draw_waveform():
    c = Canvas(SIDE, SIDE, (0.0, 0.0, 0.0, 1.0))
    frame_grey, scale_grey, strong_grey, label_grey = grey(85), grey(55), grey(160), grey(175)
    c.frame(0, 0, SIDE - 1, SIDE - 1, frame_grey)
    # Row 140 is luma 0 and row 40 luma 100 (one row per unit).
    left, right = 21, SIDE - 2
    for level in range(-20, 121, 20):
        row = 140 - level
        if level == 100:
            for x in range(left, right + 1):
                if (x - left) % 15 < 10:
                    c.put(x, row, strong_grey)
        elif level == 0:
            c.rect(left, row, right, row, strong_grey)
        else:
            c.rect(left, row, right, row, scale_grey)
        label = str(level)
        # Against the frame (a gap column would cost a packet on every
        # label row); the frame's darker grey keeps the two apart.
        c.text(1, row - 2, label, label_grey, SMALL_FONT)
    return c


# ---------------------------------------------------------------- lamp icons

# Stored order, glass colour and the number of distinct palette indices.
LAMPS = (
    ("dark", (0.09, 0.09, 0.11), 60),
    ("green", (0.10, 0.85, 0.20), 53),
    ("orange", (1.00, 0.55, 0.08), 52),
    ("red", (0.92, 0.10, 0.08), 56),
    ("lime", (0.65, 0.95, 0.10), 51),
)
LAMP_CENTRE = 10.0
LAMP_OPAQUE = 9.9   # pixels whose centre lies within: the round bezel
LAMP_GLASS = 6.6
LAMP_RIM = 9.05     # pixels whose centre lies beyond: the black rim
BLACK = (0, 0, 0)


def lamp_colour(glass, x, y):
    dx, dy = x - LAMP_CENTRE, y - LAMP_CENTRE
    d = math.sqrt(dx * dx + dy * dy)
    if d > LAMP_GLASS:
        # Brushed metal lit from the upper left; a dark rim outside.
        light = 0.0 if d == 0 else (-dx - dy) / (d * 1.4142135623730951)
        shade = 0.56 + 0.30 * light
        if d < LAMP_GLASS + 0.9:
            shade *= 0.75
        return (shade, shade, shade * 1.03 if shade * 1.03 < 1 else 1.0)
    # Glass: brighter toward the middle, with a highlight up and to the left.
    fall = 1.0 - 0.55 * (d / LAMP_GLASS) * (d / LAMP_GLASS)
    hx, hy = x - 7.6, y - 7.4
    h2 = (hx * hx + hy * hy) / 5.0
    spot = 0.0 if h2 >= 1.0 else (1.0 - h2) * (1.0 - h2) * 0.85
    dark = glass[0] + glass[1] + glass[2] < 0.5
    if dark:
        spot *= 0.45
    return tuple(min(1.0, g * fall * (1.0 - spot) + spot) for g in glass)


def draw_lamp(glass):
    """Straight RGB colours (supersampled) and alpha 0/255 per pixel. The
    outermost opaque pixels are a black rim, so the darkest colour, which
    the transparent corners share, is black and the corners come out as
    transparent black whether or not a host premultiplies."""
    colours, alpha = [], []
    for y in range(LAMP):
        for x in range(LAMP):
            dx, dy = x + 0.5 - LAMP_CENTRE, y + 0.5 - LAMP_CENTRE
            d2 = dx * dx + dy * dy
            opaque = d2 <= LAMP_OPAQUE * LAMP_OPAQUE
            alpha.append(255 if opaque else 0)
            if not opaque or d2 > LAMP_RIM * LAMP_RIM:
                colours.append(None if not opaque else BLACK)
                continue
            acc = [0.0, 0.0, 0.0]
            for j in range(4):
                for i in range(4):
                    rgb = lamp_colour(glass, x + (i + 0.5) / 4.0, y + (j + 0.5) / 4.0)
                    for k in range(3):
                        acc[k] += rgb[k]
            colours.append(tuple(to_byte(v / 16.0) for v in acc))
    return colours, alpha


def median_cut(colours, count, name):
    """Groups the colours (with repeats) into exactly `count` boxes of
    distinct colours; returns (palette, mapping colour -> box)."""
    weight = {}
    for c in colours:
        weight[c] = weight.get(c, 0) + 1
    unique = sorted(weight)
    if len(unique) < count:
        fail("lamp %s has only %d colours, %d needed" % (name, len(unique), count))
    boxes = [unique]
    while len(boxes) < count:
        best, best_range, best_channel = -1, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                values = [c[ch] for c in box]
                spread = (max(values) - min(values)) * len(box)
                if spread > best_range:
                    best, best_range, best_channel = i, spread, ch
        box = sorted(boxes[best], key=lambda c: (c[best_channel], c))
        total = sum(weight[c] for c in box)
        run, cut = 0, 1
        for k, c in enumerate(box[:-1]):
            run += weight[c]
            cut = k + 1
            if run * 2 >= total:
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    palette, mapping = [], {}
    for box in boxes:
        total = sum(weight[c] for c in box)
        mean = tuple(int((sum(c[ch] * weight[c] for c in box) + total // 2) // total) for ch in range(3))
        palette.append(mean)
        for c in box:
            mapping[c] = len(palette) - 1
    if len(set(palette)) != count:
        fail("lamp %s: two palette colours coincide" % name)
    return palette, mapping


def build_lamp(name, glass, count):
    colours, alpha = draw_lamp(glass)
    shaded = [c for c in colours if c is not None and c != BLACK]
    palette, mapping = median_cut(shaded, count - 1, name)
    # Black first: index 0 is the rim and the transparent corners.
    order = sorted(range(count - 1), key=lambda i: (sum(palette[i]), palette[i]))
    rank = {old: new + 1 for new, old in enumerate(order)}
    if BLACK in palette:
        fail("lamp %s: a shade came out black" % name)
    index = bytes(0 if c is None or c == BLACK else rank[mapping[c]] for c in colours)
    flat = bytearray(768)
    for new, old in enumerate(order):
        flat[3 * (new + 1):3 * (new + 1) + 3] = bytes(palette[old])
    if len(set(index)) != count:
        fail("lamp %s uses %d indices, %d wanted" % (name, len(set(index)), count))
    return bytes(alpha), bytes(flat), index


# ---------------------------------------------------------------- PackBits


def pack_optimal(pixels):
    """Packets (kind, start, length): maximal runs of two or more equal
    pixels as repeats, everything else as literals, at most 128 each. For
    4-byte units this is the shortest stream."""
    packets = []
    n = len(pixels)
    i = 0
    literal_start = None
    while i < n:
        j = i + 1
        while j < n and pixels[j] == pixels[i] and j - i < 128:
            j += 1
        if j - i >= 2:
            if literal_start is not None:
                packets += split_literal(literal_start, i)
                literal_start = None
            packets.append(("repeat", i, j - i))
            i = j
        else:
            if literal_start is None:
                literal_start = i
            i += 1
    if literal_start is not None:
        packets += split_literal(literal_start, n)
    return packets


def split_literal(start, end):
    out = []
    while start < end:
        length = min(128, end - start)
        out.append(("literal", start, length))
        start += length
    return out


def packet_size(packet):
    kind, _start, length = packet
    return 5 if kind == "repeat" else 1 + 4 * length


def pad_to(packets, target, name):
    """Splits packets until the stream is exactly target bytes long: a
    literal split adds 1 byte, peeling one pixel off a repeat adds 5 (4 when
    only a pair remains)."""
    size = sum(packet_size(p) for p in packets)
    if size > target:
        fail("%s packs into %d bytes, more than its %d" % (name, size, target))
    need = target - size
    out = []
    for kind, start, length in packets:
        if kind == "repeat" and need >= 5 and length >= 3:
            out.append(("literal", start, 1))
            out.append(("repeat", start + 1, length - 1))
            need -= 5
        elif kind == "literal":
            while need > 0 and length > 1:
                out.append(("literal", start, 1))
                start += 1
                length -= 1
                need -= 1
            out.append((kind, start, length))
        else:
            out.append((kind, start, length))
    if need:
        fail("%s: cannot pad %d more bytes" % (name, need))
    return out


def encode(pixels, packets):
    out = bytearray()
    for kind, start, length in packets:
        if kind == "repeat":
            out.append(257 - length)
            out += pixels[start]
        else:
            out.append(length - 1)
            for k in range(start, start + length):
                out += pixels[k]
    return bytes(out)


def unpack(stream):
    out = []
    pos = 0
    while len(out) < PIXELS:
        c = stream[pos]
        pos += 1
        if c < 128:
            for _ in range(c + 1):
                out.append(stream[pos:pos + 4])
                pos += 4
        elif c > 128:
            out += [stream[pos:pos + 4]] * (257 - c)
            pos += 4
        else:
            fail("128 in a packed stream")
    return pos, out


def pack_picture(canvas, target, name):
    raw = canvas.bytes_bgra()
    pixels = [raw[4 * k:4 * k + 4] for k in range(PIXELS)]
    for p in pixels:
        if max(p[0], p[1], p[2]) > p[3]:
            fail("%s: a colour byte exceeds alpha" % name)
    stream = encode(pixels, pad_to(pack_optimal(pixels), target, name))
    consumed, back = unpack(stream)
    if consumed != len(stream) or len(stream) != target or back != pixels:
        fail("%s: the packed stream does not round-trip" % name)
    return stream


# ---------------------------------------------------------------- output


def c_bytes(data, indent="    "):
    lines = []
    for k in range(0, len(data), 16):
        lines.append(indent + ", ".join("0x%02x" % b for b in data[k:k + 16]) + ",")
    return "\n".join(lines)


def render(pictures, lamps):
    out = [
        "// Tintwell core: GENERATED by tools/gen_artwork.py. Do not edit; change\n",
        "// the drawing there and re-run it.\n",
        "#include \"core/artwork.h\"\n\n",
        "namespace {\n\n",
    ]
    for symbol, _public, stream, what in pictures:
        out.append("// %s: %d bytes packed.\n" % (what, len(stream)))
        out.append("const uint8_t %s[%d] = {\n%s\n};\n\n" % (symbol, len(stream), c_bytes(stream)))
    out.append("}  // namespace\n\n")
    for symbol, public, stream, _what in pictures:
        out.append("const PackedImage %s = {%s, %d};\n" % (public, symbol, len(stream)))
    out.append("\n// Stored order: dark, green, orange, red, lime.\n")
    out.append("const LampIcon kLampIcons[kLampIconCount] = {\n")
    for name, (alpha, palette, index) in lamps:
        out.append("    // %s lamp, %d palette indices\n" % (name, len(set(index))))
        out.append("    {\n      {\n%s\n      },\n" % c_bytes(alpha, "          "))
        out.append("      {\n%s\n      },\n" % c_bytes(palette, "          "))
        out.append("      {\n%s\n      },\n    },\n" % c_bytes(index, "          "))
    out.append("};\n")
    return "".join(out)


def build():
    pictures = [
        ("kPaletteBackgroundData", "kPaletteBackground",
         pack_picture(draw_palette_background(), PALETTE_BACKGROUND_SIZE, "palette background"),
         "Palette background"),
        ("kVectorscopeGraticuleData", "kVectorscopeGraticule",
         pack_picture(draw_vectorscope(), VECTORSCOPE_SIZE, "vectorscope graticule"),
         "Vectorscope graticule"),
        ("kWaveformGraticuleData", "kWaveformGraticule",
         pack_picture(draw_waveform(), WAVEFORM_SIZE, "waveform graticule"),
         "Waveform graticule"),
    ]
    lamps = [(name, build_lamp(name, glass, count)) for name, glass, count in LAMPS]
    return render(pictures, lamps)


def main():
    check = "--check" in sys.argv[1:]
    content = build()
    current = None
    if os.path.exists(OUTPUT):
        with open(OUTPUT, encoding="utf-8") as f:
            current = f.read()
    if current == content:
        return
    if check:
        sys.stderr.write("gen_artwork: %s is stale; run python3 tools/gen_artwork.py\n"
                         % os.path.relpath(OUTPUT, ROOT))
        sys.exit(1)
    with open(OUTPUT, "w", encoding="utf-8", newline="\n") as f:
        f.write(content)


if __name__ == "__main__":
    main()
