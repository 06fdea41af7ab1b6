// Tintwell interaction: the actions on the host's pens that redraw the
// panel: taking the A pen afresh ("r", and whenever a canvas mode hands the
// colour back) and swapping the pens ("x", the palette's swap corner).
#pragma once

#include "core/abi.h"

// Takes the host's A pen as base and current colour, then redraws the
// swatches and the palette.
void RefreshPanel(PluginContext* context);
// Exchanges the host's A and B pens; the old B becomes the current colour
// and the colour the hue ring starts from. Redraws.
void SwapPens(PluginContext* context);
