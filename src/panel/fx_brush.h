// Tintwell panel: the FX-brush section's canvas events and the brush mode.
#pragma once

#include "plugin/abi.h"

void FxBrushEvents(PluginContext* context, HostWord* args);
void BrushModeEvents(PluginContext* context, HostWord* args);
