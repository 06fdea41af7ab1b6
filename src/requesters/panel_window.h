// Tintwell requesters: the main panel window (show, closing).
#pragma once

#include "plugin/abi.h"

// Shows the panel, opening it when closed; 1, or 0 after the failure message.
int32_t ShowPanel(PluginContext* context);

// The panel's closing event (101): place, "%swinvisible" and the options.
void PanelClosing(PluginContext* context, HostWord* args);
