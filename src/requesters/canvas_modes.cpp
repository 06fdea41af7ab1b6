// Placeholder bodies: this behaviour arrives with its own change.
#include "requesters/canvas_modes.h"

void StartBrushMode(PluginContext*) {}
void StartPickMode(PluginContext*) {}
void EndPickMode(PluginContext*) {}
void UpdateFxBrushWatch(PluginContext*) {}
