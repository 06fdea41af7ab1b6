// Tintwell requesters: the vectorscope window.
#pragma once

#include "colour/vectorscope.h"  // kScopeGadget
#include "core/abi.h"

// Opens the window when the scope is on and no window is open (one the user
// closed counts as closed: ScopeWindowStillOpen in colour/vectorscope.h).
void OpenScopeWindow(PluginContext* context);
// Keeps the window's place in memory, closes it, clears the handle and frees
// its picture; a window the user already closed is only forgotten.
void CloseScopeWindow(PluginContext* context);
