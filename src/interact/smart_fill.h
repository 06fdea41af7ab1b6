// Tintwell interaction: Smart Fill, the fill inside a freshly drawn line.
#pragma once

#include "core/abi.h"

// Runs the pending Smart Fill at SmartFillPoint as one undoable step.
void SmartFill(PluginContext* context);
