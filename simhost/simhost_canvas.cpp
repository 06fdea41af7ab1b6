// simhost: changing the project's size, as when the user resizes the
// canvas in the host.
//
// The context's image size follows at once (the plug-in reads it on its next
// call). Every layer keeps the pixels that still fit, anchored top-left, and
// new area is transparent. The spare page and the undo history are dropped:
// they hold pictures of the old size, which an undo must not bring back into
// a project of the new one.
#include <algorithm>

#include "simhost_impl.h"

namespace simhost {

void SimHost::SetProjectSize(int32_t width, int32_t height) {
  width = std::max(1, width);
  height = std::max(1, height);
  const int32_t oldWidth = options_.imageWidth;
  const int32_t oldHeight = options_.imageHeight;
  for (Layer& layer : layers) {
    std::vector<Rgba> resized(static_cast<size_t>(width) * height, Rgba{0, 0, 0, 0});
    for (int32_t y = 0; y < std::min(height, oldHeight); ++y) {
      for (int32_t x = 0; x < std::min(width, oldWidth); ++x) {
        const size_t from = static_cast<size_t>(x) + static_cast<size_t>(oldWidth) * y;
        const size_t to = static_cast<size_t>(x) + static_cast<size_t>(width) * y;
        if (from < layer.pixels.size()) resized[to] = layer.pixels[from];
      }
    }
    layer.pixels = std::move(resized);
  }
  options_.imageWidth = width;
  options_.imageHeight = height;
  impl_->block.context.ImageWidth = width;
  impl_->block.context.ImageHeight = height;
  sparePage.assign(static_cast<size_t>(width) * height, Rgba{0, 0, 0, 0});
  impl_->undoStack.clear();
}

}  // namespace simhost
