// Tintwell colour: reading colours from the canvas.
#pragma once

#include "core/abi.h"

// (Re)reads the canvas into SampleBuffer.
void LoadSampleBuffer(PluginContext* context);
// The canvas pixel, or its alpha, at a 16.16 canvas position.
Pixel SamplePixel(int32_t x, int32_t y, PluginContext* context);
int32_t SampleAlpha(int32_t x, int32_t y, PluginContext* context);
