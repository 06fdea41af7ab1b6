// Tintwell panel: the hover help over the panel's areas.
#pragma once

#include <cstdint>

#include "core/abi.h"

// One help entry: a title for the panel's title bar and a longer text for the
// help of the gadget under the pointer, both by localisation number.
struct HoverHelpEntry {
  int32_t TitleNumber;
  int32_t TextNumber;
  int32_t GadgetId;  // 100 swatch band and slider, 110 palette
};

// The entry of the panel area at (x, y), panel pixels inside the panel, for
// the current sections and modes; false where no area gives help (the row
// between sections, the centre lines of the palette corners, a hidden
// section).
bool FindHoverHelp(int32_t x, int32_t y, HoverHelpEntry* entry);

// Pointer move over the panel at (x, y) in requester pixels: sets the title
// and help text of the area under it, or restores the plug-in's title when
// the pointer is outside the panel.
void ShowHoverHelp(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y);
