// Tintwell interaction: the main panel's event callback.
#pragma once

#include "core/abi.h"

// The panel's callback for every event of the panel; always returns 1.
int32_t TW_CALL PanelEventHandler(PluginContext* context, int32_t event, HostWord requester, HostWord* args);

// Shows the panel: raised when open, opened otherwise; 1, or 0 after the
// failure message.
int32_t ShowPanel(PluginContext* context);
