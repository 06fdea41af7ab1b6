// Tintwell colour: reading colours from the canvas.
//
// Layer: colour/ (where samples come from is an argument; panel_models binds
// it to the plug-in's options as LoadSampleBuffer, SamplePixel and
// SampleAlpha).
#pragma once

#include "core/abi.h"

// Where canvas samples come from.
struct SampleSource {
  bool singleLayer;    // the current layer only, not the picture as displayed
  bool frozen;         // the canvas copy is never reloaded while it exists
  bool askHost;        // ask the host pixel by pixel rather than read the copy
  HostImage** buffer;  // the held canvas copy (null inside when there is none)
  Pixel fallback;      // what a sample is when there is nothing to read (the current colour)
};

// (Re)reads the canvas into *source.buffer; a frozen copy is kept as it is.
void LoadCanvasCopy(PluginContext* context, const SampleSource& source);
// The canvas pixel, or its alpha, at a 16.16 canvas position.
Pixel SampleCanvasPixel(PluginContext* context, const SampleSource& source, int32_t x, int32_t y);
int32_t SampleCanvasAlpha(PluginContext* context, const SampleSource& source, int32_t x, int32_t y);
