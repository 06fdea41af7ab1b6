// Tintwell requesters: the vectorscope window.
#pragma once

#include "colour/vectorscope.h"  // kScopeGadget
#include "core/abi.h"

void OpenScopeWindow(PluginContext* context);
// Keeps the window's place in memory, closes it and clears the handle.
void CloseScopeWindow(PluginContext* context);
