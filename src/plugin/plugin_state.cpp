// Tintwell plug-in frame: the definition of the global state record.
#include "plugin/plugin_state.h"

PluginState GState;

void ResetPluginState() { GState = PluginState{}; }
