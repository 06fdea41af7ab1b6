// Tintwell interaction: the command letters. The host hands PI_Parameters a
// text (a shortcut's key, or "l" / "d" from the filter command); each letter
// of it runs one command, in order. Letters without a command are skipped.
//
//   s  pick mode on / off          S  brush mode, or its draw-mode follow-up
//   R  brush resize, or follow-up  x  swap the A and B pens
//   r  refresh the panel           d  l  CIE darken / lighten filter pass
//   k  brush size lock on / off    K  size lock to 100 at size 0
//   T  U  u  auto trim toggled / on / off
//   t  the panel opened or closed
//
// Layer: interact/. The option menu's brush size lock runs the same command
// (ToggleBrushSizeLock).
#pragma once

#include <cstdint>

#include "core/abi.h"

// Runs every letter of `letters`. 0 when the panel was asked for and could
// not open, 1 otherwise.
int32_t RunCommandLetters(PluginContext* context, const char* letters);
