// Tintwell requesters: the two canvas modes (pick, brush) and the FX-brush
// watch, with their small 2 x 2 windows.
#pragma once

#include "plugin/abi.h"

void StartBrushMode(PluginContext* context);
void StartPickMode(PluginContext* context);
void EndPickMode(PluginContext* context);
void UpdateFxBrushWatch(PluginContext* context);
