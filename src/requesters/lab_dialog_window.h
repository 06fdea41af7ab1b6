// Tintwell requesters: opening the LAB reference dialog.
#pragma once

#include "plugin/abi.h"

void OpenLabDialog(PluginContext* context);
