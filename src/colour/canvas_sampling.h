// Tintwell colour: reading colours from the canvas.
#pragma once

#include "plugin/abi.h"

// Canvas pointer event while the pick mode is on (message 1002).
void CanvasPickEvent(PluginContext* context, HostWord* args);
