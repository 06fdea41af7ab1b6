// Placeholder bodies: this behaviour arrives with its own change.
#include "panel/brush_control.h"

void DrawBrushControl(PluginContext*, Pixel, float) {}
