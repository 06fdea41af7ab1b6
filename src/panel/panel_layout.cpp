// Placeholder bodies: this behaviour arrives with its own change.
#include "panel/panel_layout.h"

void LayoutPanel(PluginContext*) {}
void RefreshPanel(PluginContext*) {}
void SwapPens(PluginContext*) {}
