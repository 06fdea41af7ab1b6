// Tintwell interaction: the pick mode's canvas events.
#pragma once

#include "core/abi.h"

// Canvas pointer event while the pick mode is on (message 1002).
void CanvasPickEvent(PluginContext* context, HostWord* args);
// Mixes a canvas sample into the current colour by pressure.
void ApplySample(PluginContext* context, Pixel sample, int32_t pressure);
// Draws the ring preview of the sample under the pointer into PickImage.
void CanvasPickPreview(PluginContext* context, Pixel sample);
