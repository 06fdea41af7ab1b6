// Tintwell panel: the FX-brush section's canvas events and the brush mode.
#pragma once

#include "core/abi.h"

void FxBrushEvents(PluginContext* context, HostWord* args);
void BrushModeEvents(PluginContext* context, HostWord* args);
