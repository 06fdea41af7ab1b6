// Placeholder bodies: this behaviour arrives with its own change.
#include "requesters/panel_window.h"

int32_t ShowPanel(PluginContext*) { return 1; }
void PanelClosing(PluginContext*, HostWord*) {}
