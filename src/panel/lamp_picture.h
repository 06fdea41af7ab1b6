// Tintwell panel: the lamp picture of the paint-mode button.
//
// Layer: panel/. The icons themselves are built-in data (core/artwork.h).
#pragma once

#include "core/abi.h"
#include "core/artwork.h"

// Lamp types, as the paint-mode button asks for them; any other type shows
// the dark lamp.
enum LampType : int32_t { kLampTypeOff, kLampTypeGreen, kLampTypeRed, kLampTypeLime, kLampTypeOrange };

// The stored icon a lamp type shows.
const LampIcon& LampIconForType(int32_t lampType);

// Builds the icon of the type into a fresh 20 x 20 image and shows it in the
// lamp button; the image shown before is freed. Nothing unless the panel is
// open with its FX-brush row.
void ShowLamp(PluginContext* context, int32_t lampType);
