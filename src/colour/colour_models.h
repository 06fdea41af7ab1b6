// Tintwell colour: colour models and conversions (single precision).
//
// Layer: colour/ (pure arithmetic: what a conversion depends on besides the
// colour, the Lab reference white, the hue a grey keeps and the broadcast
// range check's mode, comes in as an argument; panel_models binds them to
// the plug-in's settings). Every conversion takes a ColourTriple by value,
// copies its alpha, and works in 32-bit floats; float-to-integer conversions
// truncate toward zero.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/abi.h"
#include "core/colour_triple.h"

// A colour in the two forms the plug-in keeps it in: its stored bytes and the
// RGB floats they came from (a mix keeps fractions that the bytes drop).
struct PixelAndRgb {
  Pixel pixel;
  ColourTriple rgb;  // RGB 0..255 with the pixel's alpha
};

ColourTriple PixelToRgb(const PluginContext* context, Pixel pixel);
Pixel RgbToPixel(const PluginContext* context, ColourTriple rgb);
Pixel InvertPixel(const PluginContext* context, Pixel pixel);
// A grey (saturation under kGreyChroma) has no hue of its own: it takes
// greyHue, so a colour dragged through grey keeps the hue the user chose.
ColourTriple RgbToHsv(ColourTriple rgb, float greyHue);
ColourTriple HsvToRgb(ColourTriple hsv);
// HsvToRgb past the hue: the sector (0..5, others count as 5), the fraction
// within it, saturation at most 1.
ColourTriple HsvSectorToRgb(int32_t sector, float fraction, float saturation, float value, int32_t alpha);
ColourTriple RgbToXyz(ColourTriple rgb);
ColourTriple XyzToRgb(ColourTriple xyz);
// A reference white component as the Lab conversions use it: within
// 0.01..800, NaN as 0.01. The LAB dialog lets the user set a component to 0
// and the settings may hold anything; unguarded, a white of 0 or below
// divides by zero and a huge one overflows, and every colour derived from it
// turns NaN. Values in the range pass unchanged.
inline float UsableWhiteComponent(float component) {
  constexpr float kLeast = 0.01f;
  constexpr float kMost = 800.0f;
  if (!(component >= kLeast)) return kLeast;
  return component > kMost ? kMost : component;
}
// The reference white of the Lab conversions, each component usable.
struct LabWhite {
  float xyz[3];
};
inline LabWhite UsableWhite(const float* white) {
  return LabWhite{{UsableWhiteComponent(white[0]), UsableWhiteComponent(white[1]), UsableWhiteComponent(white[2])}};
}
ColourTriple XyzToLab(ColourTriple xyz, const LabWhite& white);
ColourTriple LabToXyz(ColourTriple lab, const LabWhite& white);
ColourTriple RgbToLab(ColourTriple rgb, const LabWhite& white);
ColourTriple LabToRgb(ColourTriple lab, const LabWhite& white);
ColourTriple PixelToXyz(const PluginContext* context, Pixel pixel);
Pixel XyzToPixel(const PluginContext* context, ColourTriple xyz);
ColourTriple XyzToYxy(ColourTriple xyz);
ColourTriple YxyToXyz(ColourTriple yxy);
ColourTriple RgbToCieHsv(ColourTriple rgb, const LabWhite& white, float greyHue);
ColourTriple CieHsvToRgb(ColourTriple cieHsv, const LabWhite& white);
// The direction of a CIE HSV hue in the a*b* plane, exactly as CieHsvToRgb
// takes it: a = cosine x chroma x 100, b = sine x chroma x 100 (chroma is the
// saturation c1), L = value x 100. Lets a picture whose hues depend only on
// a pixel's place work them out once.
void CieHueDirection(float hue, float* sine, float* cosine);
ColourTriple RgbToYuv(ColourTriple rgb);
ColourTriple PixelToYuv(const PluginContext* context, Pixel pixel);
ColourTriple RgbToLumaDiff(ColourTriple rgb);
ColourTriple PixelToLumaDiff(const PluginContext* context, Pixel pixel);
ColourTriple LumaDiffToRgb(ColourTriple lumaDiff);
int32_t NtscGamutCheck(const PluginContext* context, Pixel pixel, int32_t gamutMode);

// One linear sRGB channel (0..1, anything else clamped) to its encoded value
// 0..255, exactly as XyzToRgb computes each channel.
float EncodedSrgbChannel(float linear);
