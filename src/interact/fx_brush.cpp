// Placeholder bodies: this behaviour arrives with its own change.
#include "interact/fx_brush.h"

void FxBrushEvents(PluginContext*, HostWord*) {}
void BrushModeEvents(PluginContext*, HostWord*) {}
