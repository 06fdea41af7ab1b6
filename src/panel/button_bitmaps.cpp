// Placeholder bodies: this behaviour arrives with its own change.
#include "panel/button_bitmaps.h"

void ShowLamp(PluginContext*, int32_t) {}
