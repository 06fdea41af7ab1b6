// Tintwell colour: the vectorscope and waveform picture.
#pragma once

#include "core/abi.h"

void VectorscopeUpdate(PluginContext* context, Pixel pixel);
