// Placeholder bodies: this behaviour arrives with its own change.
#include "interact/canvas_pick.h"

void CanvasPickEvent(PluginContext*, HostWord*) {}
void ApplySample(PluginContext*, Pixel, int32_t) {}
void CanvasPickPreview(PluginContext*, Pixel) {}
