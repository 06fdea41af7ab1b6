// Tintwell panel: the built-in lamp icons and packed pictures.
#pragma once

#include "core/abi.h"

// Lamp types: 1 green, 2 red, 3 lime, 4 orange, 7 dark.
void ShowLamp(PluginContext* context, int32_t lampType);
