// Tintwell panel: drawing the swatch and palette pictures.
#pragma once

#include "core/abi.h"

void BuildSwatchImage(PluginContext* context);
void BuildPaletteImage(PluginContext* context);
