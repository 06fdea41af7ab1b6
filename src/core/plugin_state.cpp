// Tintwell plug-in frame: the definition of the global state record.
#include "core/plugin_state.h"

PluginState GState;

void ResetPluginState() { GState = PluginState{}; }
