// Tintwell interaction: re-stroke, and the current swatch's colour command.
//
// Re-stroke recolours the stroke just painted: after a Ctrl colour drag on
// the palette the host takes its last action back and applies it again, now
// with the A pen the drag has left. The host does the repainting.
#pragma once

#include "core/abi.h"

// "tv_undo" then "tv_reapply".
void ReStroke(PluginContext* context);

// Ctrl + left release on the current swatch: the host's colour command
// "tv_setColor 99999".
void SendSwatchColourCommand(PluginContext* context);
