// Tintwell requesters: the vectorscope window.
#pragma once

#include "plugin/abi.h"

void OpenVectorscope(PluginContext* context);
// Keeps the window's place in memory, closes it and clears the handle.
void CloseScopeWindow(PluginContext* context);
