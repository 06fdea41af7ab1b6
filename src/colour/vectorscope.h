// Tintwell colour: the vectorscope and waveform picture.
#pragma once

#include "plugin/abi.h"

void VectorscopeUpdate(PluginContext* context, Pixel pixel);
