// Tintwell panel: the brush mode's on-canvas control picture.
//
// Pixel contract: BrushImage is 129 x 129 Pixels, row-major, origin top
// left, channel bytes at the context's positions, colour premultiplied by
// alpha; the centre pixel is (64, 64). The host draws it over the canvas
// centred on the brush-mode pointer.
//
// What each brush sub-mode shows (distances are whole pixels from the centre):
//   idle (1)       the sample ring 7..10 and 61..64 around a saturation/value
//                  disc 11..60, with dots where the disc colours clip
//   canvas (4)     the same on a small disc 11..28, transparent 29..64
//   hue turn (2, 32) the sample 12..15, the current colour 16..23, a hue
//                  wheel 24..48 (drawn once per turn), a value ring 49..60
//                  with a mark at the pointer's angle, a full hue wheel 61+
//   brush size (8) unchanged
// The centre (distance 6 and less) is never drawn; it shows the canvas.
// Panel layer; calls colour/ and host/.
#include "panel/brush_control.h"

#include <cmath>
#include <cstddef>

#include "colour/colour_constants.h"
#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "colour/colour_rows.h"
#include "colour/panel_models.h"
#include "host/host_calls.h"

namespace {

constexpr int32_t kCentre = 64;
constexpr int32_t kSide = 129;

constexpr float kValueStep = 0.01f;
constexpr float kQuarter = 1.5707964f;     // pi / 2
constexpr int32_t kBlackSum = 0;           // all three colour bytes 0
constexpr int32_t kWhiteSum = 764;         // above this all three are 255

// Ring limits of the idle and canvas pictures.
constexpr int32_t kHoleRadius = 6;
constexpr int32_t kDiscStart = 11;
constexpr int32_t kDiscEnd = 60;
constexpr int32_t kSmallDiscEnd = 28;
constexpr int32_t kOuterEnd = 64;
constexpr float kSmallDiscSpan = 21.0f;
constexpr int32_t kDotStep = 3;
constexpr int32_t kDotLastRadius = 59;
constexpr int32_t kSmallDotLastRadius = 26;

// Ring limits of the hue-turn picture.
constexpr int32_t kTurnHole = 12;
constexpr int32_t kTurnSampleEnd = 15;
constexpr int32_t kTurnCurrentEnd = 23;
constexpr int32_t kTurnWheelEnd = 48;
constexpr int32_t kTurnValueEnd = 60;
constexpr int32_t kTurnValueFullSaturation = 56;  // beyond it the value ring shows saturation 1
constexpr float kMarkWidth = 0.01f;

int32_t ColourSum(const PluginContext* context, Pixel pixel) {
  return PixelRed(context, pixel) + PixelGreen(context, pixel) + PixelBlue(context, pixel);
}

Pixel HsvPixel(const PluginContext* context, float hue, float saturation, float value, int32_t alpha) {
  return PickerHsvToPixel(context, ColourTriple{hue, saturation, value, alpha});
}

// The first value from `from` downward (while above -2) whose colour is black.
float SearchBlack(const PluginContext* context, float hue, float saturation, float from) {
  for (float v = from; v > -2.0f; v -= kValueStep) {
    if (ColourSum(context, HsvPixel(context, hue, saturation, v, 255)) == kBlackSum) return v;
  }
  return -1.0f;
}

// The first value from `from` upward (while below `limit`) whose colour is white.
float SearchWhite(const PluginContext* context, float hue, float saturation, float from, float limit) {
  for (float v = from; v < limit; v += kValueStep) {
    if (ColourSum(context, HsvPixel(context, hue, saturation, v, 255)) > kWhiteSum) return v;
  }
  return 2.0f;
}

// Whole distance of a pixel from the centre.
int32_t WholeDistance(int32_t dx, int32_t dy) {
  return static_cast<int32_t>(std::sqrt(static_cast<float>(dx * dx + dy * dy)));
}

// What depends only on a pixel's place in the picture, worked out once.
struct PixelPlace {
  int32_t d;          // whole distance from the centre
  float discAngle;    // atan2(|dx|, dy): 0 straight down, pi straight up
  float turnAngle;    // atan2(dy, dx) in turns, the hue-turn convention
};

// Every place of the picture, built in place once and never changed after.
struct PixelPlaceTable {
  PixelPlace places[kSide * kSide];
  PixelPlaceTable() {
    for (int32_t row = 0; row < kSide; ++row) {
      for (int32_t col = 0; col < kSide; ++col) {
        const int32_t dx = col - kCentre;
        const int32_t dy = row - kCentre;
        PixelPlace& place = places[col + kSide * row];
        place.d = WholeDistance(dx, dy);
        place.discAngle = ColourAtan2(static_cast<float>(dx < 0 ? -dx : dx), static_cast<float>(dy));
        place.turnAngle = ColourAtan2(static_cast<float>(dy), static_cast<float>(dx)) / colour::kTurn;
      }
    }
  }
};

const PixelPlace* PixelPlaces() {
  static const PixelPlaceTable table;
  return table.places;
}

// The disc rule with the angle atan2(|dx|, dy) already known.
ColourTriple DiscColour(ColourTriple current, const BrushDiscLimits& limits, int32_t dx, int32_t dy, int32_t d,
                        float a, float span) {
  const float s = current.c1;
  const float v = current.c2;
  const float t = static_cast<float>(d - kDiscStart) / span;
  const float saturation = dx <= 0 ? s * (1.0f - t) : s + (1.0f - s) * (t * t * t);
  const float vmax = dx <= 0 ? limits.vmax : limits.vmax1;
  const float vmin = dx <= 0 ? limits.vmin : limits.vmin1;
  const float value = dy <= 0 ? v + ((a - kQuarter) / kQuarter) * (vmax - v) : vmin + (a / kQuarter) * (v - vmin);
  return ColourTriple{current.c0, saturation, value, 255};
}

// Converts a row of picker HSV colours; the CIE row routine gives the same
// bits as the single conversion, several colours at a time.
void PickerHsvToPixels(const PluginContext* context, const ColourTriple* hsv, Pixel* pixels, size_t count) {
  if (GState.CieHsvMode) {
    CieHsvToPixelRow(context, CurrentWhite(), hsv, pixels, count);
    return;
  }
  for (size_t i = 0; i < count; ++i) pixels[i] = PickerHsvToPixel(context, hsv[i]);
}

// Colour bytes are bytes 0..2 of the Pixel for the clipping search.
bool AnyByteIs(Pixel pixel, uint32_t value) {
  return ((pixel & 0xffu) == value) || (((pixel >> 8) & 0xffu) == value) || (((pixel >> 16) & 0xffu) == value);
}

// On each circle, marks with inverted pixels where the disc colours reach
// and leave 255 and 0: on the right half (angles below 180 degrees) the
// first pixel with a 255 byte and the first without a 0 byte, on the left
// half the first without a 255 byte and the first with a 0 byte.
void DrawClippingDots(const PluginContext* context, HostImage* image, int32_t lastRadius) {
  constexpr int32_t kDegrees = 361;  // 0..360 inclusive
  float cosines[kDegrees];
  float sines[kDegrees];
  for (int32_t degrees = 0; degrees < kDegrees; ++degrees) {
    ColourSinCos(static_cast<float>(degrees) * colour::kRadiansPerDegree, &sines[degrees], &cosines[degrees]);
  }
  Pixel* pixels = image->Pixels;
  for (int32_t radius = kDiscStart; radius <= lastRadius; radius += kDotStep) {
    bool doneFirst = false;
    bool doneSecond = false;
    const float r = static_cast<float>(radius);
    for (int32_t degrees = 0; degrees < kDegrees; ++degrees) {
      if (degrees == 180) doneFirst = doneSecond = false;
      const int32_t row = static_cast<int32_t>(static_cast<float>(kCentre) + r * cosines[degrees]);
      const int32_t col = static_cast<int32_t>(static_cast<float>(kCentre) + r * sines[degrees]);
      Pixel& pixel = pixels[col + kSide * row];
      const bool rightHalf = degrees < 180;
      const bool first = rightHalf ? AnyByteIs(pixel, 255) : !AnyByteIs(pixel, 255);
      const bool second = rightHalf ? !AnyByteIs(pixel, 0) : AnyByteIs(pixel, 0);
      bool mark = false;
      if (!doneFirst && first) doneFirst = mark = true;
      if (!doneSecond && second) doneSecond = mark = true;
      if (mark) pixel = InvertPixel(context, pixel);
    }
  }
}

// Draws every row of a picture: pixelAt(place, col, row, pixel, hsv) either
// writes the pixel itself (or leaves it) and returns false, or returns true
// with the HSV colour the pixel takes; a row's HSV colours convert in one
// batch.
template <typename PixelAt>
void DrawRows(const PluginContext* context, HostImage* image, PixelAt pixelAt) {
  const PixelPlace* places = PixelPlaces();
  ColourTriple hsv[kSide];
  Pixel colours[kSide];
  int32_t columns[kSide];
  for (int32_t row = 0; row < kSide; ++row) {
    Pixel* line = image->Pixels + kSide * row;
    size_t count = 0;
    for (int32_t col = 0; col < kSide; ++col) {
      if (pixelAt(places[col + kSide * row], col, row, line[col], hsv[count])) columns[count++] = col;
    }
    PickerHsvToPixels(context, hsv, colours, count);
    for (size_t i = 0; i < count; ++i) line[columns[i]] = colours[i];
  }
}

// The idle and canvas pictures: sample rings around a saturation/value disc.
void DrawDiscPicture(const PluginContext* context, HostImage* image, Pixel sample, bool small) {
  const ColourTriple current = GState.CurrentHsv;
  const BrushDiscLimits limits = FindBrushDiscLimits(context, current.c0, current.c1, DiscSearch::Picture);
  const int32_t discEnd = small ? kSmallDiscEnd : kDiscEnd;
  const float span = small ? kSmallDiscSpan : kBrushDiscSpan;
  DrawRows(context, image, [&](const PixelPlace& place, int32_t col, int32_t row, Pixel& pixel, ColourTriple& hsv) {
    const int32_t d = place.d;
    if (d <= kHoleRadius || d > kOuterEnd) return false;
    if (d < kDiscStart || (!small && d > discEnd)) {
      pixel = sample;
      return false;
    }
    if (d > discEnd) {
      pixel = 0;  // transparent around the small disc
      return false;
    }
    hsv = DiscColour(current, limits, col - kCentre, row - kCentre, d, place.discAngle, span);
    return true;
  });
  DrawClippingDots(context, image, small ? kSmallDotLastRadius : kDotLastRadius);
}

// Folds w into -1..1 as a triangle wave of period 4 (1.5 -> 0.5, -1.5 -> -0.5).
float FoldTriangle(float w) {
  float u = std::fmod(w + 1.0f, 4.0f);
  if (u < 0.0f) u += 4.0f;
  return u <= 2.0f ? u - 1.0f : 3.0f - u;
}

// The hue-turn picture; flag is the pointer's angle in turns.
void DrawHueTurnPicture(const PluginContext* context, HostImage* image, Pixel sample, float flag) {
  const ColourTriple current = GState.CurrentHsv;
  const float turnedHue = flag - GState.BrushHueOffset + current.c0;
  const float s = current.c1;
  const float v = current.c2;
  const float vmin1 = SearchBlack(context, turnedHue, 1.0f, 0.0f);
  const float vmax1 = SearchWhite(context, turnedHue, 1.0f, 1.0f, 3.0f);
  const bool wheel = GState.BrushFirstDraw != 0;
  const Pixel mark = InvertPixel(context, HsvPixel(context, turnedHue, s, v, current.alpha));
  DrawRows(context, image, [&](const PixelPlace& place, int32_t, int32_t, Pixel& pixel, ColourTriple& hsv) {
    const int32_t d = place.d;
    if (d < kTurnHole) {
      pixel = 0;
      return false;
    }
    if (d <= kTurnSampleEnd) {
      pixel = sample;
      return false;
    }
    if (d <= kTurnCurrentEnd) {
      pixel = GState.CurrentPixel;
      return false;
    }
    if (d <= kTurnWheelEnd && !wheel) return false;  // keeps the wheel of the turn's first picture
    const float theta = place.turnAngle;
    const float wheelHue = theta + current.c0 - GState.BrushHueOffset;
    if (d <= kTurnWheelEnd) {
      hsv = ColourTriple{wheelHue, s, v, 255};
    } else if (d <= kTurnValueEnd) {
      const float w = FoldTriangle((flag - theta) * 4.0f);
      if (std::fabs(w) < kMarkWidth) {
        pixel = mark;
        return false;
      }
      const float reach = w <= 0.0f ? v - vmin1 : vmax1 - v;
      hsv = ColourTriple{turnedHue, d > kTurnValueFullSaturation ? 1.0f : s, v + w * reach, current.alpha};
    } else {
      hsv = ColourTriple{wheelHue, 1.0f, 0.5f, 255};
    }
    return true;
  });
  GState.BrushFirstDraw = 0;
}

}  // namespace

BrushDiscLimits FindBrushDiscLimits(const PluginContext* context, float hue, float saturation, DiscSearch search) {
  BrushDiscLimits limits;
  limits.vmin = SearchBlack(context, hue, saturation, 0.5f);
  limits.vmax = SearchWhite(context, hue, saturation, 0.95f, 2.0f);
  if (search == DiscSearch::Pick) {
    limits.vmin1 = SearchBlack(context, hue, 1.0f, 0.5f);
    limits.vmax1 = SearchWhite(context, hue, 1.0f, 0.95f, 2.0f);
  } else {
    limits.vmin1 = SearchBlack(context, hue, 1.0f, 0.0f);
    limits.vmax1 = SearchWhite(context, hue, 1.0f, 1.0f, 3.0f);
  }
  return limits;
}

ColourTriple BrushDiscColour(ColourTriple current, const BrushDiscLimits& limits, int32_t dx, int32_t dy, int32_t d,
                             float span) {
  const float a = ColourAtan2(static_cast<float>(dx < 0 ? -dx : dx), static_cast<float>(dy));
  return DiscColour(current, limits, dx, dy, d, a, span);
}

void DrawBrushControl(PluginContext* context, Pixel sample, float flag) {
  HostImage* image = GState.BrushImage;
  if (!image) return;
  if (image->Width == kSide && image->Height == kSide && image->Pixels) {
    switch (GState.CanvasSubMode) {
      case kBrushSubModeIdle:
        DrawDiscPicture(context, image, sample, false);
        break;
      case kBrushSubModeCanvas:
        DrawDiscPicture(context, image, sample, true);
        break;
      case kBrushSubModeHueTurn:
      case kBrushSubModeHueRing:
        DrawHueTurnPicture(context, image, sample, flag);
        break;
      default:
        break;  // the brush-size drag draws its circle over the canvas instead
    }
  }
  HostOverlayRedraw(context);
}
