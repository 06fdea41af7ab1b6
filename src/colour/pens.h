// Tintwell colour: exchanging the A and B pen colours with the host.
#pragma once

#include "core/abi.h"

Pixel GetAPen(PluginContext* context);
Pixel GetBPen(PluginContext* context);
void SetAPen(PluginContext* context, Pixel pixel);
void SetBPen(PluginContext* context, Pixel pixel);
