// Tintwell requesters: the vectorscope window.
#pragma once

#include "core/abi.h"

// The window's image gadget; a click on it switches the display.
constexpr int32_t kScopeGadget = 130;

void OpenScopeWindow(PluginContext* context);
// Keeps the window's place in memory, closes it and clears the handle.
void CloseScopeWindow(PluginContext* context);
