// Tintwell panel: the pixels of the palette picture (hue ring, SATVAL
// square, saturation and value zones, markers, paint-mode sign, option
// boxes), drawn over the unpacked background.
//
// Layer: panel/. Pixel contract: 180 x 180 Pixels row after row, origin top
// left, channels at the context's positions, colours premultiplied. The
// routines read the panel options from GState (HueRingMode, CieHsvMode,
// RingLockBits, FloodBackground, CurrentPixel, GamutMode, ReferenceWhite,
// PaintModeBits, AutoLightenDarken, LightMode, SampleSourceFlags); what
// depends on the drag in progress and on the host's pens comes in
// PaletteInputs, which BuildPaletteImage works out.
#pragma once

#include "core/abi.h"
#include "core/colour_triple.h"

struct PaletteInputs {
  ColourTriple marker;      // picker space; hue in (0, 1]: where the markers go, and their colour
  ColourTriple ringSource;  // ring space; its saturation and value fill the ring's current-colour bands
  float squareHue;          // picker space, (0, 1]: the hue the SATVAL square shows
};

// Hue brought into (0, 1]: 1 is added below 1, then 1 taken off above 1.
float WrapPickerHue(float hue);

// Hue ring, square and zones. The fast path keeps the colours that depend
// only on a pixel's place and on options that rarely change, and converts
// with the row routines; it gives exactly the pixels of the plain path.
void DrawPaletteAreas(const PluginContext* context, Pixel* pixels, const PaletteInputs& inputs);
// Drops the colours the fast path keeps between calls: the next call works
// everything out anew (benchmarks of a rebuild from nothing).
void ForgetPaletteColours();
// The same, pixel by pixel with the single conversions: the reference the
// fast path is checked against.
void DrawPaletteAreasPlain(const PluginContext* context, Pixel* pixels, const PaletteInputs& inputs);
// Frees the colours the fast path keeps (PI_Close: the memory goes back
// while the plug-in is not in use; PI_Open starts without them).
void ReleasePaletteCaches();
// Hue and SATVAL markers (or the out-of-square sign), the paint-mode sign
// over the lamp icon, and the four option boxes.
void DrawPaletteOverlays(const PluginContext* context, Pixel* pixels, const PaletteInputs& inputs);
