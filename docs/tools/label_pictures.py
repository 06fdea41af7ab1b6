#!/usr/bin/env python3
"""Makes the guide's pictures: numbered callouts on the panel, close crops of
the plug-in's own pictures, and the desktop host's screen pictures as they are.

The pictures are never edited by hand. Two sources:
  RENDERED  panel_pictures' PNG files: the panel in named states, drawn by the
            plug-in itself, twice the panel's size. Only the plug-in's own
            pictures are taken from them (crops leave out the stand-in host's
            buttons, whose lettering is a 3 x 5 grid, not a real font).
  SCREENS   docs/tools/guide_shots.sh's PNG files, one set per language: the
            desktop host's windows with their real font (the panel, the option
            menu, the scope, the canvas modes, the dialogs).
The labelled panel adds a margin with numbered bubbles, each joined by a line
to a dot on the part it names; every dot sits on a plain area (a swatch, a
box, a bar), never on lettering. The numbers are the same in every language;
each guide's legend says what they mean. Pillow does the drawing, with the
DejaVu Sans Bold font for the numbers.

Usage: label_pictures.py RENDERED-DIR SCREENS-DIR OUTPUT-DIR LANG...
"""
import os
import shutil
import sys

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
SCALE = 2      # both sources show each panel pixel as 2 x 2
MARGIN = 34    # panel pixels of margin around the labelled panel
RADIUS = 11    # bubble radius, output pixels

# Panel geometry (panel pixels, origin at the panel's top left) with every
# section shown: swatch band with the value slider (80 high), palette picture
# at (2, 80) with its centre at (92, 170), FX-brush row from y 263. Each
# callout: number, target point, bubble point.
PANEL_CALLOUTS = [
    (1, (30, 13), (-20, 6)),      # B swatch
    (2, (30, 34), (-20, 34)),     # base swatch
    (3, (150, 24), (205, 10)),    # current swatch
    (4, (120, 61), (205, 61)),    # value slider
    (5, (16, 170), (-20, 150)),   # hue ring
    (6, (92, 170), (205, 205)),   # SATVAL square
    (7, (144, 170), (205, 170)),  # saturation bars
    (8, (92, 118), (205, 120)),   # value bars
    (9, (19, 93), (-20, 93)),     # A/B swap
    (10, (167, 98), (205, 92)),   # lightbulb corner
    (11, (10, 243), (-20, 228)),  # dynamic hue ring box (the box, not its picture)
    (12, (10, 253), (-20, 258)),  # background box (left of its "BG")
    (13, (174, 243), (205, 236)), # single layer box
    (14, (174, 253), (205, 258)), # CIE box (right of its "CIE")
    (15, (12, 275), (-20, 286)),  # lamp button
    (16, (62, 275), (62, 308)),   # Dirt: its box (the word stands to the left)
    (17, (117, 275), (117, 308)), # Load
    (18, (172, 275), (172, 308)), # Rot
]

# Crops of panel_pictures' states, in panel pixels (x, y, width, height), and
# how much larger they are shown.
CROPS = {
    # The whole panel in the pick mode, down to the palette (no FX-brush row).
    "panel-canvas-mode": ((0, 0, 185, 263), 1),
    # The lightbulb corner with the sign over the bulb.
    "panel-paint-sign-minus": ((149, 47, 36, 34), 3),
    "panel-paint-sign-plus": ((149, 47, 36, 34), 3),
    "panel-paint-sign-cross": ((149, 47, 36, 34), 3),
    # The lamp button alone.
    "panel-lamp-off": ((1, 45, 23, 23), 2),
    "panel-lamp-green": ((1, 45, 23, 23), 2),
    "panel-lamp-lime": ((1, 45, 23, 23), 2),
    "panel-lamp-red": ((1, 45, 23, 23), 2),
    "panel-lamp-orange": ((1, 45, 23, 23), 2),
}

# States shown whole: they hold only the plug-in's own pictures.
PLAIN = [
    "panel-swatches", "panel-slider-lab", "panel-slider-lab-locked-gamut", "panel-slider-scheme",
    "panel-slider-gradient", "panel-palette-hsv", "panel-palette-hsv-ring-current", "panel-palette-cie",
    "panel-palette-cie-gamut", "panel-palette-locks-options", "panel-palette-out-of-square",
]

# The desktop host's pictures, one per language.
SCREENS = [
    "screen-panel", "screen-quick-help", "screen-option-menu", "screen-waveform", "screen-vectorscope",
    "screen-pick-ring", "screen-brush-disc", "screen-lab-dialog", "screen-pressure-question",
]


def panel_origin(screens, lang):
    """Where the panel's top left lies in screen-panel-LANG.png (output pixels)."""
    path = os.path.join(screens, "screen-panel-%s.txt" % lang)
    with open(path, encoding="utf-8") as f:
        words = f.read().split()
    if len(words) != 4 or words[0] != "panel-origin" or int(words[3]) != SCALE:
        sys.exit("label_pictures: %s: expected \"panel-origin X Y %d\"" % (path, SCALE))
    return int(words[1]), int(words[2])


def label(picture, origin, font):
    margin = MARGIN * SCALE
    out = Image.new("RGB", (picture.width + 2 * margin, picture.height + 2 * margin), (255, 255, 255))
    out.paste(picture.convert("RGB"), (margin, margin))
    draw = ImageDraw.Draw(out)

    def place(p):
        return (margin + origin[0] + p[0] * SCALE + SCALE // 2, margin + origin[1] + p[1] * SCALE + SCALE // 2)

    ink, bubble, white = (20, 20, 20), (200, 30, 40), (255, 255, 255)
    for _number, target, where in PANEL_CALLOUTS:
        (tx, ty), (bx, by) = place(target), place(where)
        draw.line((bx, by, tx, ty), fill=ink, width=2)
        draw.ellipse((tx - 4, ty - 4, tx + 4, ty + 4), fill=white)
        draw.ellipse((tx - 3, ty - 3, tx + 3, ty + 3), fill=bubble)
    for number, _target, where in PANEL_CALLOUTS:
        bx, by = place(where)
        draw.ellipse((bx - RADIUS - 1, by - RADIUS - 1, bx + RADIUS + 1, by + RADIUS + 1), fill=ink)
        draw.ellipse((bx - RADIUS, by - RADIUS, bx + RADIUS, by + RADIUS), fill=bubble)
        draw.text((bx, by), str(number), font=font, fill=white, anchor="mm")
    return out


def crop(picture, box, zoom):
    x, y, w, h = (v * SCALE for v in box)
    part = picture.crop((x, y, x + w, y + h)).convert("RGB")
    return part.resize((part.width * zoom, part.height * zoom), Image.NEAREST) if zoom > 1 else part


def main():
    if len(sys.argv) < 5:
        sys.exit("usage: label_pictures.py RENDERED-DIR SCREENS-DIR OUTPUT-DIR LANG...")
    rendered, screens, target, langs = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    os.makedirs(target, exist_ok=True)
    font = ImageFont.truetype(FONT, 13)
    for lang in langs:
        with Image.open(os.path.join(screens, "screen-panel-%s.png" % lang)) as panel:
            label(panel, panel_origin(screens, lang), font).save(
                os.path.join(target, "panel-labelled-%s.png" % lang), optimize=True)
        for name in SCREENS:
            shutil.copyfile(os.path.join(screens, "%s-%s.png" % (name, lang)),
                            os.path.join(target, "%s-%s.png" % (name, lang)))
    for name, (box, zoom) in CROPS.items():
        with Image.open(os.path.join(rendered, name + ".png")) as picture:
            crop(picture, box, zoom).save(os.path.join(target, name + ".png"), optimize=True)
    for name in PLAIN:
        shutil.copyfile(os.path.join(rendered, name + ".png"), os.path.join(target, name + ".png"))


if __name__ == "__main__":
    main()
