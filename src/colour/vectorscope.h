// Tintwell colour: the scope picture (vectorscope and waveform monitor).
#pragma once

#include <cstdint>

#include "core/abi.h"

// Size of the scope picture, that of its packed graticules.
constexpr int32_t kScopePictureSize = 180;

// Draws where `colour` lies on the scope's graticule into `image` (kScopePictureSize
// square): a point on the vectorscope when `vector`, else luma and chroma
// levels on the waveform.
void DrawScopePicture(PluginContext* context, HostImage* image, Pixel colour, bool vector);
