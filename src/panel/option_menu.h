// Tintwell panel: the option menu behind a right click on the swatch band.
#pragma once

#include "core/abi.h"

// Builds the menu for the current state, asks the host to show it and
// applies the chosen item.
void ShowOptionMenu(PluginContext* context);
