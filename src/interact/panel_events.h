// Tintwell interaction: the main panel's event callback.
#pragma once

#include "plugin/abi.h"

int32_t TW_CALL PanelEventHandler(PluginContext* context, int32_t event, HostWord requester, HostWord* args);
