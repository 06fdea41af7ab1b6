// Tintwell interaction: the two canvas modes (pick, brush) and the FX-brush
// watch, with their small 2 x 2 windows.
#pragma once

#include "core/abi.h"

void StartBrushMode(PluginContext* context);
void StartPickMode(PluginContext* context);
void EndPickMode(PluginContext* context);
void UpdateFxBrushWatch(PluginContext* context);
// The brush size lock on or off, freshly reset, then the watch follows (the
// 'k' command letter and the option menu's item).
void ToggleBrushSizeLock(PluginContext* context);

// Message 300: draws the pick or brush overlay over the canvas view.
void DrawCanvasOverlay(PluginContext* context);
// Message 1000: the host ended the canvas interaction; closes the small
// windows and the scope window, unlocks the mouse and updates the watch.
void EndCanvasInteraction(PluginContext* context);
