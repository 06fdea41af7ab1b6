// Placeholder bodies: this behaviour arrives with its own change.
#include "interact/panel_events.h"

int32_t TW_CALL PanelEventHandler(PluginContext*, int32_t, HostWord, HostWord*) { return 1; }
