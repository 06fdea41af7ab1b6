// Placeholder bodies: this behaviour arrives with its own change.
#include "interact/draw_mode.h"

bool AutoDrawModeCheck(PluginContext*, bool) { return false; }
void AutoDrawModeFollowUp(PluginContext*) {}
