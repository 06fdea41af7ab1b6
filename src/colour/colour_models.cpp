// Tintwell colour: colour models and conversions.
//
// Layer: colour/ (pure arithmetic). Pixels are premultiplied, channel bytes
// at the context's positions. All colour arithmetic is 32-bit float with the
// constants taken as the nearest floats; the builds are compiled with
// -ffp-contract=off and SSE maths so that every build rounds identically.
// The few transcendental functions are our own (colour_maths) for the same
// reason.
//
// Sections: pixels; HSV; CIE XYZ, L*a*b*, xyY; CIE HSV; luma and
// colour-difference spaces with the broadcast range check.
#include "colour/colour_models.h"

#include <array>
#include <cmath>
#include <cstring>

#include "colour/colour_constants.h"
#include "colour/colour_maths.h"
#include "core/pixel_bytes.h"
#include "core/plugin_state.h"  // the named GamutMode values (the state itself is not read here)
#include "core/tw_assert.h"

using namespace colour;

namespace {

// trunc(value) as a byte. Producers keep channels within 0..255; anything
// outside (or NaN) saturates instead of wrapping to a far-off colour.
inline uint32_t TruncatedByte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<uint32_t>(value);
}

// 0..1 clamp that also sends NaN to 0.
inline float ClampUnit(float value) {
  if (!(value > 0.0f)) return 0.0f;
  if (value >= 1.0f) return 1.0f;
  return value;
}

inline float ClampByteRange(float value) {
  if (!(value > 0.0f)) return 0.0f;
  if (value > 255.0f) return 255.0f;
  return value;
}

// sRGB companding (IEC 61966-2-1): encoded 0..1 in, linear 0..1 out.
inline float SrgbToLinear(float c) {
  if (c > kSrgbLinearLimit) return ColourPow((c + kSrgbOffset) / kSrgbScale, kSrgbGamma);
  return c / kSrgbSlope;
}

// SrgbToLinear(c / 255) * 100 for every whole channel value, built from the
// formula itself, so a table hit gives exactly the bits the formula would.
struct LinearTable {
  float value[256];
  LinearTable() {
    for (int c = 0; c < 256; ++c) value[c] = SrgbToLinear(static_cast<float>(c) / 255.0f) * 100.0f;
  }
};

inline float LinearChannel(float channel) {
  static const LinearTable table;
  if (channel >= 0.0f && channel <= 255.0f) {
    const int whole = static_cast<int>(channel);
    if (static_cast<float>(whole) == channel) return table.value[whole];
  }
  return SrgbToLinear(channel / 255.0f) * 100.0f;
}

// The inverse companding; linear in, encoded out (not yet clamped).
inline float LinearToSrgb(float c) {
  if (c > kSrgbEncodeLimit) return kSrgbScale * SrgbEncodePower(c) - kSrgbOffset;
  return kSrgbSlope * c;
}

}  // namespace

float EncodedSrgbChannel(float linear) { return ClampUnit(LinearToSrgb(linear)) * 255.0f; }

namespace {

// CIE L*a*b* companding; 16/116 is the float 0.13793103.
inline float LabCompand(float t) {
  if (t > kLabEpsilon) return LabCubeRoot(t);
  return kLabKappa * t + 16.0f / 116.0f;
}

inline float LabExpand(float v) {
  const float cube = v * v * v;
  if (cube > kLabEpsilon) return cube;
  return (v - 16.0f / 116.0f) / kLabKappa;
}

// fmod(x, y) for y > 0, exactly as the C library's, with the common cases
// done in one subtraction: for |x| < 2y the remainder x - y is exact
// (Sterbenz), and the library's generic loop is slow.
inline float Remainder(float x, float y) {
  const float ax = std::fabs(x);
  if (ax < y) return x;
  if (ax < 2.0f * y) {
    const float r = x - std::copysign(y, x);
    return r == 0.0f ? std::copysign(0.0f, x) : r;
  }
  return std::fmod(x, y);
}

inline ColourTriple Triple(float c0, float c1, float c2, int32_t alpha) { return ColourTriple{c0, c1, c2, alpha}; }

}  // namespace

// ---------------------------------------------------------------------------
// Pixels.

// Un-premultiplies: channel = byte * 255 / alpha; alpha 0 gives black.
ColourTriple PixelToRgb(const PluginContext* context, Pixel pixel) {
  const uint32_t alpha = ChannelByte(pixel, context->AlphaPosition);
  if (alpha == 0) return Triple(0.0f, 0.0f, 0.0f, 0);
  const float a = static_cast<float>(alpha);
  const float r = static_cast<float>(ChannelByte(pixel, context->RedPosition)) * 255.0f / a;
  const float g = static_cast<float>(ChannelByte(pixel, context->GreenPosition)) * 255.0f / a;
  const float b = static_cast<float>(ChannelByte(pixel, context->BluePosition)) * 255.0f / a;
  return Triple(r, g, b, static_cast<int32_t>(alpha));
}

// Premultiplies: byte = trunc(alpha * channel / 255); RGB 0..255 in.
Pixel RgbToPixel(const PluginContext* context, ColourTriple rgb) {
  const float a = static_cast<float>(rgb.alpha);
  const uint32_t r = TruncatedByte(a * rgb.c0 / 255.0f);
  const uint32_t g = TruncatedByte(a * rgb.c1 / 255.0f);
  const uint32_t b = TruncatedByte(a * rgb.c2 / 255.0f);
  const uint32_t alpha = static_cast<uint32_t>(rgb.alpha) & 0xffu;
  return r << ChannelShift(context->RedPosition) | g << ChannelShift(context->GreenPosition) |
         b << ChannelShift(context->BluePosition) | alpha << ChannelShift(context->AlphaPosition);
}

// Complements the colour bytes (markers that stand out on any colour).
Pixel InvertPixel(const PluginContext* context, Pixel pixel) {
  const Pixel colourMask = 0xffu << ChannelShift(context->RedPosition) |
                           0xffu << ChannelShift(context->GreenPosition) |
                           0xffu << ChannelShift(context->BluePosition);
  return pixel ^ colourMask;
}

// ---------------------------------------------------------------------------
// HSV with this program's hue direction: red 1 (and 0), green 2/3, blue 1/3.

// RGB 0..255 in; hue, saturation, value 0..1 out. Greys keep CurrentHsv's hue.
ColourTriple RgbToHsv(ColourTriple rgb, float greyHue) {
  const float r = rgb.c0 / 255.0f;
  const float g = rgb.c1 / 255.0f;
  const float b = rgb.c2 / 255.0f;
  const float minimum = std::fmin(r, std::fmin(g, b));
  const float maximum = std::fmax(r, std::fmax(g, b));
  const float delta = maximum - minimum;
  float hue = 0.0f;
  float saturation = 0.0f;
  if (delta != 0.0f) {
    saturation = delta / maximum;
    const float dR = ((maximum - r) / 6.0f + delta / 2.0f) / delta;
    const float dG = ((maximum - g) / 6.0f + delta / 2.0f) / delta;
    const float dB = ((maximum - b) / 6.0f + delta / 2.0f) / delta;
    if (r == maximum) {
      hue = dB - dG;
    } else if (g == maximum) {
      hue = 1.0f / 3.0f + dR - dB;
    } else {
      hue = 2.0f / 3.0f + dG - dR;
    }
    if (hue < 0.0f) hue += 1.0f;
    if (hue > 1.0f) hue -= 1.0f;
    hue = 1.0f - hue;
  }
  if (saturation < kGreyChroma) hue = greyHue;
  return Triple(hue, saturation, maximum, rgb.alpha);
}

// Hue any real (taken modulo 1), saturation above 1 treated as 1; RGB out,
// each channel limited to 255 from above.
ColourTriple HsvToRgb(ColourTriple hsv) {
  const float value = hsv.c2;
  if (hsv.c1 == 0.0f) {
    const float grey = std::fmin(value, 1.0f) * 255.0f;
    return Triple(grey, grey, grey, hsv.alpha);
  }
  float h = Remainder(hsv.c0, 1.0f);
  if (h < 0.0f) h += 1.0f;
  const float s = std::fmin(hsv.c1, 1.0f);
  float vh = (1.0f - h) * 6.0f;
  if (vh == 6.0f) vh = 0.0f;
  const int sector = (vh >= 0.0f && vh < 6.0f) ? static_cast<int>(vh) : 0;
  return HsvSectorToRgb(sector, vh - static_cast<float>(sector), s, value, hsv.alpha);
}

ColourTriple HsvSectorToRgb(int32_t sector, float fraction, float saturation, float value, int32_t alpha) {
  const float p = value * (1.0f - saturation);
  const float q = value * (1.0f - saturation * fraction);
  const float t = value * (1.0f - saturation * (1.0f - fraction));
  float r, g, b;
  switch (sector) {
    case 0: r = value; g = t; b = p; break;
    case 1: r = q; g = value; b = p; break;
    case 2: r = p; g = value; b = t; break;
    case 3: r = p; g = q; b = value; break;
    case 4: r = t; g = p; b = value; break;
    default: r = value; g = p; b = q; break;
  }
  return Triple(std::fmin(r, 1.0f) * 255.0f, std::fmin(g, 1.0f) * 255.0f, std::fmin(b, 1.0f) * 255.0f, alpha);
}

// ---------------------------------------------------------------------------
// CIE XYZ, L*a*b*, xyY.

// sRGB primaries, D65 (IEC 61966-2-1); RGB 0..255 in, XYZ 0..~100 out.
ColourTriple RgbToXyz(ColourTriple rgb) {
  const float r = LinearChannel(rgb.c0);
  const float g = LinearChannel(rgb.c1);
  const float b = LinearChannel(rgb.c2);
  const float x = kXyzFromRgb[0][0] * r + kXyzFromRgb[0][1] * g + kXyzFromRgb[0][2] * b;
  const float y = kXyzFromRgb[1][0] * r + kXyzFromRgb[1][1] * g + kXyzFromRgb[1][2] * b;
  const float z = kXyzFromRgb[2][0] * r + kXyzFromRgb[2][1] * g + kXyzFromRgb[2][2] * b;
  return Triple(x, y, z, rgb.alpha);
}

// The inverse; XYZ 0..~100 in, RGB clamped to 0..255 out.
ColourTriple XyzToRgb(ColourTriple xyz) {
  const float x = xyz.c0 / 100.0f;
  const float y = xyz.c1 / 100.0f;
  const float z = xyz.c2 / 100.0f;
  // (IEEE a - b is a + (-b) bit for bit, so negative entries lose nothing.)
  const float r = kRgbFromXyz[0][0] * x + kRgbFromXyz[0][1] * y + kRgbFromXyz[0][2] * z;
  const float g = kRgbFromXyz[1][0] * x + kRgbFromXyz[1][1] * y + kRgbFromXyz[1][2] * z;
  const float b = kRgbFromXyz[2][0] * x + kRgbFromXyz[2][1] * y + kRgbFromXyz[2][2] * z;
  return Triple(EncodedSrgbChannel(r), EncodedSrgbChannel(g), EncodedSrgbChannel(b), xyz.alpha);
}

// CIE 1976 L*a*b* against the white; XYZ in, L 0..100 out.
ColourTriple XyzToLab(ColourTriple xyz, const LabWhite& white) {
  const float fx = LabCompand(xyz.c0 / white.xyz[0]);
  const float fy = LabCompand(xyz.c1 / white.xyz[1]);
  const float fz = LabCompand(xyz.c2 / white.xyz[2]);
  return Triple(116.0f * fy - 16.0f, 500.0f * (fx - fy), 200.0f * (fy - fz), xyz.alpha);
}

ColourTriple LabToXyz(ColourTriple lab, const LabWhite& white) {
  const float fy = (lab.c0 + 16.0f) / 116.0f;
  const float fx = lab.c1 / 500.0f + fy;
  const float fz = fy - lab.c2 / 200.0f;
  return Triple(white.xyz[0] * LabExpand(fx), white.xyz[1] * LabExpand(fy), white.xyz[2] * LabExpand(fz), lab.alpha);
}

ColourTriple RgbToLab(ColourTriple rgb, const LabWhite& white) { return XyzToLab(RgbToXyz(rgb), white); }

ColourTriple LabToRgb(ColourTriple lab, const LabWhite& white) { return XyzToRgb(LabToXyz(lab, white)); }

ColourTriple PixelToXyz(const PluginContext* context, Pixel pixel) { return RgbToXyz(PixelToRgb(context, pixel)); }

Pixel XyzToPixel(const PluginContext* context, ColourTriple xyz) { return RgbToPixel(context, XyzToRgb(xyz)); }

// Luminance and chromaticity (Y, x, y); a zero sum gives (0, 0, 0).
ColourTriple XyzToYxy(ColourTriple xyz) {
  const float sum = xyz.c0 + xyz.c1 + xyz.c2;
  if (!(sum > 0.0f)) return Triple(0.0f, 0.0f, 0.0f, xyz.alpha);
  return Triple(xyz.c1, xyz.c0 / sum, xyz.c1 / sum, xyz.alpha);
}

// The inverse; the caller guarantees chromaticity y is not 0.
ColourTriple YxyToXyz(ColourTriple yxy) {
  TW_ASSERT(yxy.c2 != 0.0f && "a chromaticity y other than 0");
  const float scale = yxy.c0 / yxy.c2;
  return Triple(scale * yxy.c1, yxy.c0, scale * (1.0f - yxy.c1 - yxy.c2), yxy.alpha);
}

// ---------------------------------------------------------------------------
// CIE HSV: hue from the L*a*b* hue angle (red near 0.97, 30 degrees of
// offset so the ring starts where classic HSV's does), saturation = chroma /
// 100, value = L / 100.

ColourTriple RgbToCieHsv(ColourTriple rgb, const LabWhite& white, float greyHue) {
  const ColourTriple lab = RgbToLab(rgb, white);
  const float angle = ColourAtan2(lab.c2, lab.c1);
  float degrees;
  if (angle > 0.0f) {
    degrees = angle / kPiF * 180.0f;
  } else {
    degrees = 360.0f - std::fabs(angle) / kPiF * 180.0f;
  }
  const float saturation = std::sqrt(lab.c2 * lab.c2 + lab.c1 * lab.c1) / 100.0f;
  float hue = (360.0f - Remainder(degrees - kCieHueOffsetDegrees, 360.0f)) / 360.0f;
  if (saturation < kGreyChroma) hue = greyHue;
  return Triple(hue, saturation, lab.c0 / 100.0f, rgb.alpha);
}

// Saturation is chroma / 100 and may exceed 1; out-of-gamut colours are
// clamped by XyzToRgb.
void CieHueDirection(float hue, float* sine, float* cosine) {
  const float degrees = Remainder((1.0f - hue) * 360.0f + kCieHueOffsetDegrees, 360.0f);
  ColourSinCos(degrees * kRadiansPerDegree, sine, cosine);
}

ColourTriple CieHsvToRgb(ColourTriple cieHsv, const LabWhite& white) {
  const float lightness = cieHsv.c2 * 100.0f;
  float sine;
  float cosine;
  CieHueDirection(cieHsv.c0, &sine, &cosine);
  const float a = cosine * cieHsv.c1 * 100.0f;
  const float b = sine * cieHsv.c1 * 100.0f;
  return LabToRgb(Triple(lightness, a, b, cieHsv.alpha), white);
}

// ---------------------------------------------------------------------------
// Luma / colour-difference spaces.

// Rec. 601 luma (weights summed green, red, blue) with the PAL U/V scales;
// RGB 0..255 in, Y 0..255 out. The filter uses Y only.
ColourTriple RgbToYuv(ColourTriple rgb) {
  const float y = kLumaGreen * rgb.c1 + kLumaRed * rgb.c0 + kLumaBlue * rgb.c2;
  return Triple(y, (rgb.c2 - y) * kYuvU, (rgb.c0 - y) * kYuvV, rgb.alpha);
}

ColourTriple PixelToYuv(const PluginContext* context, Pixel pixel) { return RgbToYuv(PixelToRgb(context, pixel)); }

// The slider's and gamut check's luma with its own rounded weights; RGB
// 0..255 in, (Y, red difference, blue difference) out.
ColourTriple RgbToLumaDiff(ColourTriple rgb) {
  const float y = kDiffLumaGreen * rgb.c1 + kDiffLumaRed * rgb.c0 + kDiffLumaBlue * rgb.c2;
  return Triple(y, (rgb.c0 - y) * kDiffRedScale, (rgb.c2 - y) * kDiffBlueScale, rgb.alpha);
}

ColourTriple PixelToLumaDiff(const PluginContext* context, Pixel pixel) {
  return RgbToLumaDiff(PixelToRgb(context, pixel));
}

// The inverse, each channel clamped to 0..255 (green from the clamped red
// and blue).
ColourTriple LumaDiffToRgb(ColourTriple lumaDiff) {
  const float y = lumaDiff.c0;
  const float r = ClampByteRange(y + lumaDiff.c1 / kDiffRedScale);
  const float b = ClampByteRange(y + lumaDiff.c2 / kDiffBlueScale);
  const float g = ClampByteRange((kDiffLumaBlue * b + kDiffLumaRed * r - y) / -kDiffLumaGreen);
  return Triple(r, g, b, lumaDiff.alpha);
}

// NTSC broadcast range check. level = 140 - luma on a 0..100 scale, amp the
// chroma amplitude; -1 too bright, +1 too dark, 0 inside (or check off).
int32_t NtscGamutCheck(const PluginContext* context, Pixel pixel, int32_t gamutMode) {
  const ColourTriple luma = PixelToLumaDiff(context, pixel);
  if (gamutMode == kGamutOff) return 0;
  // Pixel bytes bound luma and chroma to a few hundred thousand, so the
  // truncations below stay well inside int range.
  const int32_t level = static_cast<int32_t>(kNtscLevelTop - luma.c0 / kNtscLumaScale);
  const int32_t amp = static_cast<int32_t>(kNtscChromaScale * std::sqrt(luma.c1 * luma.c1 + luma.c2 * luma.c2));
  if (gamutMode == kGamutWide) {
    if (level - amp < kNtscWideBright) return -1;
    if (level + amp > kNtscWideDark) return 1;
    return 0;
  }
  if (gamutMode == kGamutNarrow) {
    if (level - amp < kNtscNarrowBright) return -1;
    if (level + amp > kNtscNarrowDark) return 1;
    return 0;
  }
  return 0;
}
