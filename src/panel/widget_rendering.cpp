// Placeholder bodies: this behaviour arrives with its own change.
#include "panel/widget_rendering.h"

void BuildSwatchImage(PluginContext*) {}
void BuildPaletteImage(PluginContext*) {}
