// Placeholder bodies: this behaviour arrives with its own change.
#include "store/shortcuts.h"

void RegisterShortcuts(PluginContext*) {}
