// Tintwell requesters: the vectorscope window and the picture it shows.
#pragma once

#include <cstdint>

#include "core/abi.h"

// The scope window's image gadget; a click on it switches the display.
constexpr int32_t kScopeGadget = 130;

// Opens the window when the scope is on and no window is open (one the user
// closed counts as closed: ScopeWindowStillOpen).
void OpenScopeWindow(PluginContext* context);
// Keeps the window's place in memory, closes it, clears the handle and frees
// its picture; a window the user already closed is only forgotten.
void CloseScopeWindow(PluginContext* context);

// Shows where the colour lies on the scope window's graticule: a point on
// the vectorscope, or luma and chroma levels on the waveform. Does nothing
// while the window is closed.
void VectorscopeUpdate(PluginContext* context, Pixel pixel);

// Frees the picture last shown in the scope window; called once the window
// is closed.
void ReleaseScopePicture(PluginContext* context);

// True while the scope window the plug-in holds is still open. The window is
// a plain requester: when the user closes it the host tells the plug-in
// nothing, so the held handle is confirmed by asking the host for the
// window's place (kept in VectorscopeX and VectorscopeY on the way). A
// window the host no longer has is forgotten: its handle is cleared, never to
// be used again, and its picture freed.
bool ScopeWindowStillOpen(PluginContext* context);
