// Tintwell panel: the brush mode's on-canvas control picture.
#pragma once

#include "core/abi.h"

// Draws the control into the brush window's image for the current brush
// sub-mode and asks the host to redraw the overlay. flag: the hue-turn angle
// in turns, or 0.
void DrawBrushControl(PluginContext* context, Pixel sample, float flag);
