// Tintwell interaction: the messages PI_Msg hands over that are gestures: a
// click on the scope picture, pointer movement the small canvas windows
// report, and canvas pointer events.
#pragma once

#include <cstdint>

#include "core/abi.h"

// Kinds of a canvas pointer event (its argument word 2).
constexpr int32_t kCanvasEventPress = 1;       // press or drag
constexpr int32_t kCanvasEventBase = 2;        // the pick mode's base-colour event
constexpr int32_t kCanvasEventRelease = -1;    // the pointer was released (the two release kinds)
constexpr int32_t kCanvasEventReleaseAlt = -2;

// A gadget press in a plain requester (message 200): a click on the scope
// picture switches between the waveform and the vectorscope.
void PlainGadgetPress(PluginContext* context, const HostWord* args);
// Pointer movement reported by a small canvas window (message 210): the pick
// window's drives the pick preview and the FX-brush watch, the brush
// window's the brush mode.
void SmallWindowPointerMove(PluginContext* context, HostWord requester, HostWord* args);
// A canvas pointer event (message 1002): the pick mode's, or in the brush
// mode the release that ends a hue turn or a size drag, after which the draw
// mode follows the colour.
void CanvasPointerEvent(PluginContext* context, HostWord* args);
