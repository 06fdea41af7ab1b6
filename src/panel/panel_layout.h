// Tintwell panel: gadgets of the main panel and whole-panel refreshes.
#pragma once

#include "core/abi.h"

void LayoutPanel(PluginContext* context);
void RefreshPanel(PluginContext* context);
void SwapPens(PluginContext* context);
