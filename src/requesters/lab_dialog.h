// Tintwell requesters: the LAB reference dialog, its opening and its events.
#pragma once

#include "core/abi.h"

// Opens the dialog unless it is open already; a failure shows the message.
void OpenLabDialog(PluginContext* context);
// Closes the dialog when it is open (the plug-in is going away); its closing
// event stores the reference white as when the user closes it.
void CloseLabDialog(PluginContext* context);
// The dialog's callback; always returns 1.
int32_t TW_CALL LabDialogEvents(PluginContext* context, int32_t event, HostWord requester, HostWord* args);
