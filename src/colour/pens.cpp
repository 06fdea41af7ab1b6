// Placeholder bodies: this behaviour arrives with its own change.
#include "colour/pens.h"

Pixel GetAPen(PluginContext*) { return 0; }
Pixel GetBPen(PluginContext*) { return 0; }
void SetAPen(PluginContext*, Pixel) {}
void SetBPen(PluginContext*, Pixel) {}
