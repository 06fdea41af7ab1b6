// Placeholder bodies: this behaviour arrives with its own change.
#include "interact/draw_mode.h"

bool ActiveShapeIsFill(PluginContext*) { return false; }
void SetPaintDrawMode(PluginContext*, bool, const char*) {}
bool AutoDrawModeCheck(PluginContext*, bool) { return false; }
void AutoDrawModeFollowUp(PluginContext*) {}
