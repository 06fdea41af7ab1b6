// Tintwell store: the options in the host's per-user settings.
#pragma once

#include "plugin/abi.h"

// PI_Open: per-room sections for the current room, options, reference white.
void LoadSettings(PluginContext* context);
// PI_Open: the stored A and B pens of section "Main".
void LoadStoredPens(PluginContext* context);
// Panel closing: the per-room sections and the options, in the stored order.
void SaveSettings(PluginContext* context);
// LAB dialog closing: the reference white.
void SaveReferenceWhite(PluginContext* context);
