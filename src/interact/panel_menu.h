// Tintwell interaction: the option menu as the panel's right click runs it.
#pragma once

#include "core/abi.h"

// Shows the option menu and applies the choice (nothing for an answer that is
// no shown entry's): options toggled, the panel laid out again when what it
// shows changed, the scope window closed, the FX-brush watch updated, the
// size lock toggled, quick help, the about message.
void RunOptionMenu(PluginContext* context);
