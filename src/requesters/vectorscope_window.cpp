// Placeholder bodies: this behaviour arrives with its own change.
#include "requesters/vectorscope_window.h"

void OpenVectorscope(PluginContext*) {}
void CloseScopeWindow(PluginContext*) {}
