// Tintwell panel: laying out the main panel's gadgets and the whole-panel
// refreshes. The geometry they use is in panel_geometry.h.
//
// Layer: panel/.
#pragma once

#include <cstdint>

#include "core/abi.h"
#include "panel/panel_geometry.h"

// Rebuilds the gadgets for the current section flags, redraws and resizes
// the panel (keeping its place). Nothing when the panel is closed.
void LayoutPanel(PluginContext* context);
// Takes the host's A pen as base and current colour (also what the panel
// does when it opens, before its first layout).
void TakeAPenAsCurrent(PluginContext* context);
// The same, then redraws.
void RefreshPanel(PluginContext* context);
// Exchanges the host's A and B pens; the old B becomes the current colour.
void SwapPens(PluginContext* context);
// Frees the pictures the panel's gadgets show (called once the panel has
// closed, when the gadgets are gone).
void ReleasePanelImages(PluginContext* context);
