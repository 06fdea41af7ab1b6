// Tintwell colour: mixing picks into the current colour, the weighted
// picker, the value slider's coordinate spaces and the A-B gradient table.
#pragma once

#include "core/abi.h"
#include "core/plugin_state.h"

void MixIntoCurrent(Pixel colour, int32_t pressure, PluginContext* context);
void WeightedPick(Pixel sample, int32_t pressure, PluginContext* context);
ColourTriple RgbToSlider(ColourTriple rgb);
ColourTriple SliderToRgb(const PluginContext* context, ColourTriple slider);
ColourTriple PixelToSlider(const PluginContext* context, Pixel pixel);
Pixel SliderToPixel(const PluginContext* context, ColourTriple slider);
void LoadGradientTable(PluginContext* context);
