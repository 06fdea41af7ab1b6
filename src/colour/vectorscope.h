// Tintwell colour: the scope picture (vectorscope and waveform monitor).
#pragma once

#include <cstdint>

#include "core/abi.h"

// The scope window's image gadget; a click on it switches the display.
constexpr int32_t kScopeGadget = 130;

// Size of the scope picture, that of its packed graticules.
constexpr int32_t kScopePictureSize = 180;

// Shows where the colour lies on the scope window's graticule: a point on
// the vectorscope, or luma and chroma levels on the waveform. Does nothing
// while the window is closed.
void VectorscopeUpdate(PluginContext* context, Pixel pixel);

// Frees the picture last shown in the scope window; called once the window
// is closed.
void ReleaseScopePicture(PluginContext* context);
