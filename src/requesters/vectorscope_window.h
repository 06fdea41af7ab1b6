// Tintwell requesters: the vectorscope window.
#pragma once

#include "core/abi.h"

// The window's image gadget; a click on it switches the display.
constexpr int32_t kScopeGadget = 130;

// Opens the window when the scope is on and no window is open.
void OpenScopeWindow(PluginContext* context);
// Keeps the window's place in memory, closes it and clears the handle.
void CloseScopeWindow(PluginContext* context);
// True while the window the plug-in holds is still open. The window is a
// plain requester: when the user closes it, the host tells the plug-in
// nothing, so the held handle is checked by asking the host for the
// window's place (which also keeps that place in memory). A handle the host
// no longer knows is forgotten and never used again.
bool ScopeWindowOpen(PluginContext* context);
