// Placeholder bodies: this behaviour arrives with its own change.
#include "interact/smart_fill.h"

void SmartFill(PluginContext*) {}
