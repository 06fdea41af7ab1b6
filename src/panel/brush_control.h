// Tintwell panel: the brush mode's on-canvas control picture and the
// saturation/value disc rule it shows (the brush mode picks by the same rule).
#pragma once

#include <cstdint>

#include "core/abi.h"
#include "core/colour_triple.h"

// Value limits of the disc for one hue: where the colour goes black (vmin)
// and white (vmax) at the given saturation, and at saturation 1 (vmin1,
// vmax1). Found by stepping the value by 0.01; -1.0 and 2.0 when never met.
struct BrushDiscLimits {
  float vmin;
  float vmax;
  float vmin1;
  float vmax1;
};

// The picture searches the saturation-1 limits wider (from 0 down, from 1.0
// up to 3) than the pick does (from 0.5 down, from 0.95 up to 2).
enum class DiscSearch { Pick, Picture };

BrushDiscLimits FindBrushDiscLimits(const PluginContext* context, float hue, float saturation, DiscSearch search);

// The disc colour, picker HSV with alpha 255, at (dx, dy) from the centre (y
// downward) and whole distance d: the left half fades the saturation of
// `current` toward 0, the right half raises it toward 1; upward the value
// rises to the white limit, downward it falls to the black limit. span is
// the ring width over which t runs 0..1 (kBrushDiscSpan for the full disc, 21
// for the small one).
constexpr float kBrushDiscSpan = 53.0f;
ColourTriple BrushDiscColour(ColourTriple current, const BrushDiscLimits& limits, int32_t dx, int32_t dy, int32_t d,
                             float span);

// Draws the control into the brush window's image for the current brush
// sub-mode and asks the host to redraw the overlay. flag: the hue-turn angle
// in turns, or 0.
void DrawBrushControl(PluginContext* context, Pixel sample, float flag);
