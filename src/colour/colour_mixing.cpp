// Tintwell colour: mixing a picked colour into another, and the weighted
// picker's target.
//
// Layer: colour/ (pure arithmetic; calls nothing but the colour models). The
// colour is kept in two forms that change together: the RGB floats, which
// keep the fractions a slow mix accumulates, and the stored bytes.
#include "colour/colour_mixing.h"

#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "host/host_calls.h"

namespace {

// One channel moved toward the picked value. Close to it the float step
// rounds away to nothing and the mix would stop a few ulps short: from
// below that truncates to one under the picked byte for ever, so a step
// that no longer moves the channel lands on the picked value, the limit
// the mix tends to.
float MixChannel(float current, float picked, float s) {
  const float mixed = current + (picked - current) * s;
  return (mixed == current && s > 0.0f) ? picked : mixed;
}

}  // namespace

float MixStrength(int32_t pressure, int32_t sensitivity) {
  if (sensitivity < 1) return 0.03f * ColourPow(127.0f, 1.1f) / 255.0f;
  if (pressure > sensitivity) return 1.0f;
  // A negative pressure has no meaning; it mixes nothing rather than NaN.
  const float p = pressure > 0 ? static_cast<float>(pressure) : 0.0f;
  return 0.03f * ColourPow(p, 1.1f) / static_cast<float>(sensitivity);
}

PixelAndRgb MixColour(const PluginContext* context, const ColourTriple& current, Pixel picked, float strength,
                      bool xyz) {
  const float s = strength;
  const int32_t alpha = current.alpha;  // the pick's alpha is not mixed in
  if (s == 1.0f) {
    // A full-strength pick replaces the colour outright: taken as it is, not
    // through a mix whose float round trip could truncate a channel to one
    // below the picked byte. RGB mode takes the stored bytes, XYZ mode the
    // colour they stand for.
    ColourTriple whole = xyz ? PixelToRgb(context, picked)
                             : ColourTriple{static_cast<float>(PixelRed(context, picked)),
                                            static_cast<float>(PixelGreen(context, picked)),
                                            static_cast<float>(PixelBlue(context, picked)), alpha};
    whole.alpha = alpha;
    return PixelAndRgb{RgbToPixel(context, whole), whole};
  }
  if (xyz) {
    const ColourTriple from = RgbToXyz(current);
    const ColourTriple to = PixelToXyz(context, picked);
    const ColourTriple mixed{from.c0 + (to.c0 - from.c0) * s, from.c1 + (to.c1 - from.c1) * s,
                             from.c2 + (to.c2 - from.c2) * s, alpha};
    ColourTriple rgb = XyzToRgb(mixed);
    rgb.alpha = alpha;
    return PixelAndRgb{XyzToPixel(context, mixed), rgb};
  }
  // RGB mode mixes the stored (premultiplied) bytes as they are.
  const float r = PixelRed(context, picked);
  const float g = PixelGreen(context, picked);
  const float b = PixelBlue(context, picked);
  ColourTriple rgb = current;
  rgb.c0 = MixChannel(rgb.c0, r, s);
  rgb.c1 = MixChannel(rgb.c1, g, s);
  rgb.c2 = MixChannel(rgb.c2, b, s);
  return PixelAndRgb{RgbToPixel(context, rgb), rgb};
}

bool WeightedPickTarget(const PluginContext* context, const ColourTriple& current, Pixel sample, Pixel* target) {
  const ColourTriple picked = XyzToYxy(PixelToXyz(context, sample));
  const ColourTriple held = XyzToYxy(RgbToXyz(current));
  // A black or transparent sample adds nothing (and would divide by zero
  // below when the current colour is black too).
  if (picked.c0 == 0.0f) return false;
  const float luminance = picked.c0 + held.c0;
  const float pickedWeight = picked.c0 / luminance;
  const float heldWeight = held.c0 / luminance;
  const float x = picked.c1 * pickedWeight + held.c1 * heldWeight;
  const float y = picked.c2 * pickedWeight + held.c2 * heldWeight;
  ColourTriple rgb = XyzToRgb(YxyToXyz(ColourTriple{luminance, x, y, 0}));
  rgb.alpha = current.alpha;
  *target = RgbToPixel(context, rgb);
  return true;
}
