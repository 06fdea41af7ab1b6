// Tintwell host layer: holding host images.
#include "host/host_images.h"

#include "host/host_calls.h"

HostImage* AllocExactImage(PluginContext* context, int32_t width, int32_t height) {
  HostImage* image = HostAllocImage(context, width, height);
  if (!image) return nullptr;
  if (image->Width != width || image->Height != height || !image->Pixels) {
    HostFreeImage(context, image);  // not the picture asked for: nothing to draw into safely
    return nullptr;
  }
  return image;
}

void ReplaceHeldImage(PluginContext* context, HostImage** held, HostImage* image) {
  HostImage* const previous = *held;
  *held = image;
  if (previous && previous != image) HostFreeImage(context, previous);
}

void ShowHeldImage(PluginContext* context, RequesterHandle requester, int32_t gadget, HostImage* image,
                   HostImage** held) {
  HostSetGadgetImage(context, requester, gadget, image);
  ReplaceHeldImage(context, held, image);
}

void FreeHeldImage(PluginContext* context, HostImage** held) {
  HostImage* const image = *held;
  *held = nullptr;
  if (image) HostFreeImage(context, image);
}
