// Placeholder bodies: this behaviour arrives with its own change.
#include "panel/fx_brush.h"

void FxBrushEvents(PluginContext*, HostWord*) {}
void BrushModeEvents(PluginContext*, HostWord*) {}
