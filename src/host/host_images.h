// Tintwell host layer: holding host images. A picture the plug-in shows is
// drawn into a fresh host image, handed to its gadget, and the image shown
// before is freed; every holder follows the same size rule.
#pragma once

#include <cstdint>

#include "core/abi.h"

// A fresh host image of exactly width x height, or null. An image of another
// size, or one without pixels, is freed at once and never drawn into.
HostImage* AllocExactImage(PluginContext* context, int32_t width, int32_t height);
// *held becomes `image`; the image it held before is freed (unless it is the
// same one).
void ReplaceHeldImage(PluginContext* context, HostImage** held, HostImage* image);
// Shows `image` in the gadget, then holds it in place of the one shown before.
void ShowHeldImage(PluginContext* context, RequesterHandle requester, int32_t gadget, HostImage* image,
                   HostImage** held);
// Frees the held image, if any, and clears the holder first (so a call back
// into the plug-in meanwhile never sees a freed image).
void FreeHeldImage(PluginContext* context, HostImage** held);
