// Tintwell panel: laying out the main panel's gadgets and the whole-panel
// refreshes. The geometry they use is in panel_geometry.h.
//
// Layer: panel/.
#pragma once

#include <cstdint>

// The current colour the panel shows is its owner's (colour/current_colour.h);
// a panel is laid out after the owner has taken the A pen (TakeAPenAsCurrent).
#include "colour/current_colour.h"
#include "core/abi.h"
#include "panel/panel_geometry.h"

// Rebuilds the gadgets for the current section flags, redraws and resizes
// the panel (keeping its place). Nothing when the panel is closed.
void LayoutPanel(PluginContext* context);
// Frees the pictures the panel's gadgets show (called once the panel has
// closed, when the gadgets are gone).
void ReleasePanelImages(PluginContext* context);
