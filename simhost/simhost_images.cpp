// simhost: host-owned images and the filter pass (HostApplyFilter runs
// PI_Start, PI_Work and PI_Finish over a work image of the current layer and
// HostUpdateArea takes it back).
//
// Pixel contract of the host side: layers hold straight colours; every
// Pixel handed to the plug-in (work image, project and layer reads, A pen)
// is premultiplied by alpha and laid out by the context's channel positions.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_protocol.h"
#include "simhost_impl.h"

namespace simhost {

// ---------------------------------------------------------------- images

// A host image of that size, cleared, with the context's channel positions.
std::unique_ptr<ImageBlock> SimHost::Impl::NewImage(int32_t width, int32_t height) const {
  auto image = std::make_unique<ImageBlock>();
  image->pixels.assign(static_cast<size_t>(width) * height, 0);
  image->image.Width = width;
  image->image.Height = height;
  image->image.ChannelPositions[0] = static_cast<uint8_t>(block.context.RedPosition);
  image->image.ChannelPositions[1] = static_cast<uint8_t>(block.context.GreenPosition);
  image->image.ChannelPositions[2] = static_cast<uint8_t>(block.context.BluePosition);
  image->image.ChannelPositions[3] = static_cast<uint8_t>(block.context.AlphaPosition);
  image->image.Pixels = image->pixels.data();
  return image;
}

HostWord SimHost::Impl::AllocImage(int32_t width, int32_t height) {
  if (failImageAllocs > 0) {
    --failImageAllocs;
    return 0;
  }
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return 0;
  std::unique_ptr<ImageBlock> image = NewImage(width, height);
  HostImage* pointer = &image->image;
  freedImages.erase(pointer);
  images[pointer] = std::move(image);
  return reinterpret_cast<HostWord>(pointer);
}

HostWord SimHost::Impl::FreeImage(HostImage* image) {
  if (!image) return 0;  // like free(NULL)
  auto it = images.find(image);
  if (it == images.end()) {
    if (workImage && image == &workImage->image) {
      Fault("HostFreeImage: the filter's work image belongs to the host");
    } else if (freedImages.count(image)) {
      Fault("HostFreeImage: image already freed");
    } else {
      Fault("HostFreeImage: unknown image");
    }
    return 0;
  }
  images.erase(it);
  freedImages.insert(image);
  for (auto& requester : requesters) {
    for (auto& gadget : requester.second.gadgets) {
      if (gadget.second.image == image) gadget.second.image = nullptr;
    }
  }
  return 1;
}

void SimHost::Impl::CopyImageOut(Pixel* destination, int32_t width, int32_t height, bool display,
                                 const Layer* layer, size_t pixelLimit) {
  const int32_t w = std::min(width, self->options_.imageWidth);
  const int32_t h = std::min(height, self->options_.imageHeight);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const size_t index = static_cast<size_t>(x) + static_cast<size_t>(width) * y;
      if (index >= pixelLimit) return;
      const Rgba colour = display ? self->DisplayPixel(x, y) : self->LayerPixel(*layer, x, y);
      destination[index] = self->ToPixel(colour);
    }
  }
}

// ---------------------------------------------------------------- filter pass

HostWord SimHost::Impl::ApplyFilter() {
  if (workImage) {
    Fault("HostApplyFilter called inside the filter pass");
    return 0;
  }
  Layer* layer = self->CurrentLayer();
  if (!layer) return 0;
  const int32_t width = self->options_.imageWidth;
  const int32_t height = self->options_.imageHeight;
  PushUndo("filter");
  workImage = NewImage(width, height);
  CopyImageOut(workImage->pixels.data(), width, height, false, layer, workImage->pixels.size());
  filterLayerId = layer->id;

  PluginContext* context = &block.context;
  context->WorkImage = &workImage->image;
  context->WorkArea[0] = 0;
  context->WorkArea[1] = 0;
  context->WorkArea[2] = width;
  context->WorkArea[3] = height;
  EntryRecord entry;
  if (self->api_.Start) {
    entry.entry = "PI_Start";
    Enter(entry);
    self->api_.Start(context, 0, 0, 0, 0);
    Leave();
  }
  if (self->api_.Work) {
    entry.entry = "PI_Work";
    Enter(entry);
    self->api_.Work(context);
    Leave();
  }
  if (self->api_.Finish) {
    entry.entry = "PI_Finish";
    Enter(entry);
    self->api_.Finish(context);
    Leave();
  }
  context->WorkImage = nullptr;
  for (int i = 0; i < 4; ++i) context->WorkArea[i] = 0;
  workImage.reset();
  return 1;
}

HostWord SimHost::Impl::UpdateArea(HostWord* pack) {
  if (!workImage) {
    Fault("HostUpdateArea outside a filter pass");
    return 0;
  }
  Layer* layer = self->FindLayer(filterLayerId);
  if (!layer) return 0;
  const HostImage& image = workImage->image;
  const int32_t x0 = std::max<int32_t>(0, static_cast<int32_t>(pack[0]));
  const int32_t y0 = std::max<int32_t>(0, static_cast<int32_t>(pack[1]));
  const int32_t x1 = std::min<int64_t>(image.Width, static_cast<int64_t>(pack[0]) + pack[2]);
  const int32_t y1 = std::min<int64_t>(image.Height, static_cast<int64_t>(pack[1]) + pack[3]);
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = x0; x < x1; ++x) {
      const size_t index = static_cast<size_t>(x) + static_cast<size_t>(image.Width) * y;
      layer->pixels[index] = self->FromPixel(image.Pixels[index]);
    }
  }
  return 1;
}

// ---------------------------------------------------------------- reads into the plug-in's buffers

HostWord SimHost::Impl::ReadProjectImage(HostWord* pack) {
  Pixel* pixels = reinterpret_cast<Pixel*>(pack[0]);
  const int32_t width = static_cast<int32_t>(pack[3]);
  const int32_t height = static_cast<int32_t>(pack[4]);
  if (!pixels || width <= 0 || height <= 0) {
    Fault("HostReadProjectImage without a buffer or size");
    return 0;
  }
  CopyImageOut(pixels, width, height, true, nullptr, static_cast<size_t>(width) * height);
  return 1;
}

HostWord SimHost::Impl::ReadLayerImage(HostWord* pack) {
  Pixel* pixels = reinterpret_cast<Pixel*>(pack[0]);
  const int64_t bytes = static_cast<int64_t>(pack[1]);
  const Layer* layer = self->FindLayer(static_cast<int32_t>(pack[2]));
  if (!pixels || bytes < 4) {
    Fault("HostReadLayerImage without a buffer or size");
    return 0;
  }
  if (!layer) return 0;  // the host reads nothing for a layer it doesn't have
  CopyImageOut(pixels, self->options_.imageWidth, self->options_.imageHeight, false, layer,
               static_cast<size_t>(bytes / 4));
  return 1;
}

HostWord SimHost::Impl::UnpackImage(HostWord* pack, size_t record) {
  const uint8_t* packed = reinterpret_cast<const uint8_t*>(pack[0]);
  Pixel* destination = reinterpret_cast<Pixel*>(pack[1]);
  const int32_t count = static_cast<int32_t>(pack[2]);
  if (!packed || !destination || count <= 0) {
    Fault("HostUnpackImage without data, destination or count");
    return 0;
  }
  // The host is given no length: a well-formed stream of `count` pixels
  // is at most 5 bytes a pixel (one-pixel literals), so no more is read.
  bool ok = true;
  const size_t consumed = UnpackPackBits(packed, 5u * static_cast<size_t>(count), destination, count, &ok);
  calls[record].output = std::to_string(consumed);
  if (!ok) Fault("HostUnpackImage: malformed packed stream");
  return 1;
}

HostWord SimHost::Impl::GetAPenPixel(HostWord* pack) {
  Pixel* pixel = reinterpret_cast<Pixel*>(pack[0]);
  if (!pixel) {
    Fault("HostGetAPenPixel without a pixel pointer");
    return 0;
  }
  *pixel = self->ToPixel(self->aPen);
  return 1;
}

}  // namespace simhost
