// Tintwell interaction: the paint modes driven by the lamp button and the
// paint-mode corner of the palette, and the filter run that serves them.
#pragma once

#include "core/abi.h"
#include "panel/lamp_picture.h"

// The lamp pictures of the paint-mode button, by what they tell.
constexpr int32_t kLampGreen = kLampTypeGreen;    // paint mode on, idle
constexpr int32_t kLampRed = kLampTypeRed;        // paint mode on, source commands being sent
constexpr int32_t kLampLime = kLampTypeLime;      // refresh on every notice (or CIE corner) on, idle
constexpr int32_t kLampOrange = kLampTypeOrange;  // the same, source commands being sent
constexpr int32_t kLampDark = kLampTypeOff;       // paint mode off

// Forms of the paint-source refresh.
constexpr int32_t kPaintSourceOnRelease = 0;  // after a release on the swatches or the palette
constexpr int32_t kPaintSourceOnRefresh = 1;  // on the panel's refresh notice

// Has the host run the lighten/darken pass (our own "d" or "l" command, or
// its stack apply), keeps a spare copy and undoes the stroke it replaces.
// request 0 runs only with the second lamp state on.
void RunPaintModeFilter(PluginContext* context, int32_t request);

// Press in the paint-mode corner of the palette (buttons and qualifier words
// of the event).
void PaintModeCornerPress(PluginContext* context, int32_t buttons, int32_t qualifier);
// Release on the lamp button (gadget 150).
void LampButtonRelease(PluginContext* context, HostWord* args);
// The paint-source refresh in one of its two forms.
void PaintSourceRefresh(PluginContext* context, int32_t form);
