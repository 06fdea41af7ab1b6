// Placeholder bodies: this behaviour arrives with its own change.
#include "panel/help_texts.h"

void ShowHoverHelp(PluginContext*, RequesterHandle, int32_t, int32_t) {}
