// Tintwell interaction: presses, drags and releases on the palette picture
// (hue ring, SATVAL square, saturation and value bars, corner buttons).
#pragma once

#include "core/abi.h"
#include "interact/panel_pointer.h"

void PalettePress(PluginContext* context, const PanelEvent& event);
// Called after the full-pressure thinning of drag events.
void PaletteDrag(PluginContext* context, const PanelEvent& event);
void PaletteRelease(PluginContext* context, const PanelEvent& event);
