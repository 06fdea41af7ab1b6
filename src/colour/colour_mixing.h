// Tintwell colour: mixing a picked colour into another like paint, and the
// weighted picker's target.
//
// Layer: colour/ (pure: the colour worked on, the pressure sensitivity and
// the mixing space come in as arguments). The current colour's owner
// (current_colour.h) mixes into the current colour with these.
#pragma once

#include <cstdint>

#include "colour/colour_models.h"
#include "core/abi.h"
#include "core/colour_triple.h"

// How far one pick moves the colour toward the picked one, 0..1: grows with
// pen pressure (0..255) like paint on a palette, is fixed in mouse pressure
// mode (sensitivity below 1), and is 1 (replace) for a press harder than the
// sensitivity.
float MixStrength(int32_t pressure, int32_t sensitivity);

// `current` (RGB 0..255) moved toward `picked` by `strength` 0..1: in CIE XYZ
// when `xyz`, else the stored (premultiplied) bytes in RGB; strength 1 takes
// the picked colour whole. The alpha of `current` is kept, the pick's is not
// mixed in.
PixelAndRgb MixColour(const PluginContext* context, const ColourTriple& current, Pixel picked, float strength,
                      bool xyz);

// The weighted picker's step: the chromaticities of the sample and of
// `current` blended by their luminances, the luminances added, as a pixel
// with the alpha of `current` for MixColour to mix in. False (and no target)
// for a black or transparent sample, which adds nothing.
bool WeightedPickTarget(const PluginContext* context, const ColourTriple& current, Pixel sample, Pixel* target);
