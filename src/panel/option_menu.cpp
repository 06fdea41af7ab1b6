// Placeholder bodies: this behaviour arrives with its own change.
#include "panel/option_menu.h"

void ShowOptionMenu(PluginContext*) {}
