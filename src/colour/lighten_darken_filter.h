// Tintwell colour: the CIE lighten/darken filter pass and its trigger.
#pragma once

#include "plugin/abi.h"

void CieLightenDarkenFilter(PluginContext* context, HostImage* source, HostImage* destination, int32_t lighten);
void RunPaintModeFilter(PluginContext* context, int32_t request);
