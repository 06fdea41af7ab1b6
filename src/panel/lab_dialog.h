// Tintwell panel: the LAB reference dialog's events.
#pragma once

#include "plugin/abi.h"

int32_t TW_CALL LabDialogEvents(PluginContext* context, int32_t event, HostWord requester, HostWord* args);
