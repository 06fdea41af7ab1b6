// Tintwell colour: reading colours from the host's canvas.
// Colour layer; calls host/ only.
//
// Two sources. A single-pixel query ("tv_GetPixel" for the current layer,
// "tv_GetPixelDisplay" for what is shown) costs one command and its reply,
// and is what the pick mode and the brush mode use. Autosample samples on
// every brush movement, so it reads from a copy of the canvas instead (the
// plug-in's is SampleBuffer), made by a single image transfer and kept until
// the next reload. A frozen copy is never reloaded while it exists, so it
// keeps whatever it last held.
//
// Pixel contract: buffer pixels are stored as the host hands them over
// (channel order from the context, premultiplied alpha), row-major, origin
// top-left. Canvas positions arrive as signed 16.16 fixed point; the pixel is
// the value divided by 65536 truncated toward zero, and buffer reads clamp it
// to the nearest edge pixel.
#include "colour/canvas_sampling.h"

#include <climits>
#include <cstring>

#include "host/host_calls.h"
#include "host/host_images.h"
#include "host/host_commands.h"
#include "core/text_numbers.h"

namespace {

constexpr int32_t kFixedOne = 65536;  // 1.0 in 16.16 fixed point

int32_t FixedToPixel(int32_t fixed) { return fixed / kFixedOne; }  // C division truncates toward zero

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return value < low ? low : (value > high ? high : value); }

// The copy, loaded on first use; null when the host could not provide one.
const HostImage* BufferForReading(PluginContext* context, const SampleSource& source) {
  if (!*source.buffer) LoadCanvasCopy(context, source);
  return *source.buffer;
}

// The stored pixel nearest to the position.
Pixel StoredPixel(const HostImage* buffer, int32_t x, int32_t y) {
  const int32_t px = Clamp(FixedToPixel(x), 0, buffer->Width - 1);
  const int32_t py = Clamp(FixedToPixel(y), 0, buffer->Height - 1);
  return buffer->Pixels[static_cast<size_t>(px) + static_cast<size_t>(buffer->Width) * static_cast<size_t>(py)];
}

// Asks the host for one pixel: red, green, blue and alpha as four integers.
void QueryHost(PluginContext* context, const SampleSource& source, int32_t x, int32_t y, int32_t rgba[4]) {
  char reply[kReplySize];
  AskHostFormat(context, reply, source.singleLayer ? "tv_GetPixel %d %d" : "tv_GetPixelDisplay %d %d", FixedToPixel(x),
                FixedToPixel(y));
  ScanReplyIntegers(reply, rgba, 4);
}

// Single-layer autosample takes the layer's own colour, not its coverage:
// the premultiplied bytes are divided back by alpha, and a transparent pixel
// stands for the fallback (the current colour). Either way the result is opaque.
Pixel Unpremultiplied(const PluginContext* context, Pixel stored, Pixel fallback) {
  const uint8_t alpha = PixelAlpha(context, stored);
  if (alpha == 0) {
    const Pixel current = fallback;
    return MakePixel(context, PixelRed(context, current), PixelGreen(context, current), PixelBlue(context, current),
                     255);
  }
  // A colour byte above its alpha is malformed premultiplied data; it
  // saturates instead of wrapping round.
  auto divide = [alpha](uint8_t byte) { return static_cast<uint8_t>(Clamp(byte * 255 / alpha, 0, 255)); };
  return MakePixel(context, divide(PixelRed(context, stored)), divide(PixelGreen(context, stored)),
                   divide(PixelBlue(context, stored)), 255);
}

}  // namespace

// Replaces the copy with a fresh one at the size the host reports now. While
// frozen, an existing copy is kept as it is.
void LoadCanvasCopy(PluginContext* context, const SampleSource& source) {
  if (source.frozen && *source.buffer) return;
  const int32_t width = context->ImageWidth;
  const int32_t height = context->ImageHeight;
  // The layer read takes a 32-bit byte count; a canvas beyond it (or without
  // a size) can't be copied, and the previous buffer stays.
  if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > INT32_MAX / 4) return;

  HostImage* fresh = AllocExactImage(context, width, height);
  if (!fresh) return;  // no memory: the previous buffer, if any, stays in use
  FreeHeldImage(context, source.buffer);
  // Whatever the host leaves unwritten reads as transparent, not as stale
  // memory.
  const size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::memset(fresh->Pixels, 0, pixelCount * sizeof(Pixel));

  // Single layer mode samples the current layer (its pixels carry their own
  // coverage); otherwise the picture as displayed, all layers together.
  if (!source.singleLayer) {
    HostReadProjectImage(context, fresh->Pixels, width, height);
  } else {
    char reply[kReplySize];
    AskHost(context, "tv_LayerGetImage", reply);
    int32_t image = 0;
    if (ScanReplyIntegers(reply, &image, 1) < 1) {
      // The host named no image to read: there is nothing to sample from.
      HostFreeImage(context, fresh);
      return;
    }
    HostReadLayerImage(context, fresh->Pixels, static_cast<int32_t>(pixelCount * 4), image);
  }
  // A host call above may have come back into the plug-in and loaded a
  // buffer of its own meanwhile; the fresher copy replaces it.
  ReplaceHeldImage(context, source.buffer, fresh);
}

Pixel SampleCanvasPixel(PluginContext* context, const SampleSource& source, int32_t x, int32_t y) {
  if (source.frozen) {
    const HostImage* buffer = BufferForReading(context, source);
    return buffer ? StoredPixel(buffer, x, y) : source.fallback;
  }
  if (source.askHost) {
    int32_t rgba[4] = {0, 0, 0, 0};
    QueryHost(context, source, x, y, rgba);
    return MakePixel(context, ClampToByte(rgba[0]), ClampToByte(rgba[1]), ClampToByte(rgba[2]),
                     ClampToByte(rgba[3]));
  }
  // Autosample without a canvas mode.
  const HostImage* buffer = BufferForReading(context, source);
  if (!buffer) return source.fallback;  // nothing to sample: the colour stays
  const Pixel stored = StoredPixel(buffer, x, y);
  return source.singleLayer ? Unpremultiplied(context, stored, source.fallback) : stored;
}

int32_t SampleCanvasAlpha(PluginContext* context, const SampleSource& source, int32_t x, int32_t y) {
  if (!source.frozen && source.askHost) {
    int32_t rgba[4] = {0, 0, 0, 0};
    QueryHost(context, source, x, y, rgba);
    return ClampToByte(rgba[3]);
  }
  if (!source.frozen && source.singleLayer) return 255;  // single-layer autosample samples opaque
  const HostImage* buffer = BufferForReading(context, source);
  return buffer ? PixelAlpha(context, StoredPixel(buffer, x, y)) : 0;
}
