// Placeholder bodies: this behaviour arrives with its own change.
#include "colour/lighten_darken_filter.h"

void CieLightenDarkenFilter(PluginContext*, HostImage*, HostImage*, int32_t) {}
void RunPaintModeFilter(PluginContext*, int32_t) {}
