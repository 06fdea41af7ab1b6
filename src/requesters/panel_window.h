// Tintwell requesters: the main panel window (raise, open, closing).
#pragma once

#include "core/abi.h"

// Raises and shows the panel when it is open; false when it is closed.
bool RaisePanelWindow(PluginContext* context);
// Opens the panel with the given event callback; 1, or 0 after the failure
// message.
int32_t OpenPanelWindow(PluginContext* context, RequesterCallbackFn events);

// The panel's closing event (101) for the closing window: place,
// "%swinvisible" and the options.
void PanelClosing(PluginContext* context, RequesterHandle panel, HostWord* args);
