// Tintwell interaction: following a colour change with the host's draw mode.
#pragma once

#include "core/abi.h"

bool AutoDrawModeCheck(PluginContext* context, bool record);
void AutoDrawModeFollowUp(PluginContext* context);
