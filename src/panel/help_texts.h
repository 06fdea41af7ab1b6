// Tintwell panel: the hover help over the panel's areas.
#pragma once

#include "core/abi.h"

// Pointer move over the panel at (x, y) in requester pixels: sets the title
// and help text of the area under it, or restores the plug-in's title.
void ShowHoverHelp(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y);
