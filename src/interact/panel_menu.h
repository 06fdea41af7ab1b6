// Tintwell interaction: the option menu as the panel's right click runs it.
#pragma once

#include "core/abi.h"

// Shows the option menu, applies the choice and then runs what the choice
// leaves to the layers above the panel (closing the scope window, the
// FX-brush watch).
void RunOptionMenu(PluginContext* context);
