// Tintwell colour: the scope picture, the vectorscope and the waveform
// monitor of broadcast video, for one colour.
//
// Pixel contract: a 180 x 180 HostImage, row-major, origin top left, rows
// running downward, channel bytes at the context's positions, premultiplied
// (the graticules and markers are opaque). Each picture is a fresh graticule
// with the markers drawn over it; the scope window shows it.
//
// Both displays use the luma/colour-difference transform of the NTSC gamut
// warning (Y, red difference dr, blue difference db):
//   vectorscope  a point at (db, dr) from the centre, more blue to the
//                right, more red upward: a white X, a green + and a white dot
//   waveform     on every even column, green at the luma level row and white
//                at that level plus and minus the chroma amplitude; row 40 is
//                luma 100, row 140 luma 0
// Colour layer (draws only; the window and its picture are the scope
// window's, requesters/vectorscope_window); calls host/.
#include "colour/vectorscope.h"

#include <cmath>

#include "colour/colour_models.h"
#include "core/artwork.h"
#include "host/host_calls.h"

namespace {

static_assert(kScopePictureSize == kPackedImageSide, "the graticules fill the picture");
constexpr int32_t kPixelCount = kPackedImagePixels;
constexpr int32_t kCrossArm = 4;   // white diagonal arms of the vectorscope point
constexpr int32_t kPlusArm = 2;    // green marks above, below, left and right
constexpr float kLumaScale = 2.56f;  // luma 0..255 to 0..100
constexpr float kChromaScale = 0.55f;
constexpr float kLevelZero = 140.0f;  // row of luma 0

struct Canvas {
  HostImage* image;
  void Put(int32_t x, int32_t y, Pixel colour) const {
    if (x < 0 || y < 0 || x >= image->Width || y >= image->Height) return;
    image->Pixels[x + image->Width * y] = colour;
  }
};

void DrawVectorPoint(const Canvas& canvas, ColourTriple luma, Pixel white, Pixel green) {
  const int32_t w = canvas.image->Width;
  const int32_t h = canvas.image->Height;
  const int32_t cx = static_cast<int32_t>(luma.c2 / 255.0f * static_cast<float>(w)) + w / 2;
  const int32_t cy = static_cast<int32_t>(luma.c1 / -255.0f * static_cast<float>(h)) + h / 2;
  for (int32_t k = 1; k <= kCrossArm; ++k) {
    canvas.Put(cx - k, cy - k, white);
    canvas.Put(cx + k, cy - k, white);
    canvas.Put(cx - k, cy + k, white);
    canvas.Put(cx + k, cy + k, white);
  }
  canvas.Put(cx, cy - kPlusArm, green);
  canvas.Put(cx, cy + kPlusArm, green);
  canvas.Put(cx - kPlusArm, cy, green);
  canvas.Put(cx + kPlusArm, cy, green);
  canvas.Put(cx, cy, white);
}

void DrawWaveLevels(const Canvas& canvas, ColourTriple luma, Pixel white, Pixel green) {
  // Pixel bytes bound luma and chroma to a few hundred thousand, so the
  // truncations stay well inside int range.
  const int32_t level = static_cast<int32_t>(kLevelZero - luma.c0 / kLumaScale);
  const int32_t amp = static_cast<int32_t>(kChromaScale * std::sqrt(luma.c1 * luma.c1 + luma.c2 * luma.c2));
  for (int32_t x = 0; x < canvas.image->Width; x += 2) {
    canvas.Put(x, level, green);
    canvas.Put(x, level + amp, white);
    canvas.Put(x, level - amp, white);
  }
}

}  // namespace

void DrawScopePicture(PluginContext* context, HostImage* image, Pixel colour, bool vector) {
  const ColourTriple luma = PixelToLumaDiff(context, colour);
  HostUnpackImage(context, (vector ? kVectorscopeGraticule : kWaveformGraticule).Data, image->Pixels, kPixelCount);
  const Canvas canvas{image};
  const Pixel white = MakePixel(context, 255, 255, 255, 255);
  const Pixel green = MakePixel(context, 0, 255, 0, 255);
  if (vector) {
    DrawVectorPoint(canvas, luma, white, green);
  } else {
    DrawWaveLevels(canvas, luma, white, green);
  }
}
