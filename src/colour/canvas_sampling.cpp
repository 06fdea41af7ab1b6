// Placeholder bodies: this behaviour arrives with its own change.
#include "colour/canvas_sampling.h"

void LoadSampleBuffer(PluginContext*) {}
Pixel SamplePixel(int32_t, int32_t, PluginContext*) { return 0; }
int32_t SampleAlpha(int32_t, int32_t, PluginContext*) { return 0; }
