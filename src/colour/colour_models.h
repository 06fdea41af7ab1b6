// Tintwell colour: colour models and conversions (single precision).
//
// Layer: colour/ (pure arithmetic; reads ReferenceWhite, CieHsvMode,
// CurrentHsv and GamutMode from GState). Every conversion takes a
// ColourTriple by value, copies its alpha, and works in 32-bit floats;
// float-to-integer conversions truncate toward zero.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/abi.h"
#include "core/plugin_state.h"

ColourTriple PixelToRgb(const PluginContext* context, Pixel pixel);
Pixel RgbToPixel(const PluginContext* context, ColourTriple rgb);
Pixel InvertPixel(const PluginContext* context, Pixel pixel);
ColourTriple RgbToHsv(ColourTriple rgb);
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
ColourTriple XyzToLab(ColourTriple xyz);
ColourTriple LabToXyz(ColourTriple lab);
ColourTriple RgbToLab(ColourTriple rgb);
ColourTriple LabToRgb(ColourTriple lab);
ColourTriple PixelToXyz(const PluginContext* context, Pixel pixel);
Pixel XyzToPixel(const PluginContext* context, ColourTriple xyz);
ColourTriple XyzToYxy(ColourTriple xyz);
ColourTriple YxyToXyz(ColourTriple yxy);
ColourTriple RgbToCieHsv(ColourTriple rgb);
ColourTriple CieHsvToRgb(ColourTriple cieHsv);
// The direction of a CIE HSV hue in the a*b* plane, exactly as CieHsvToRgb
// takes it: a = cosine x chroma x 100, b = sine x chroma x 100 (chroma is the
// saturation c1), L = value x 100. Lets a picture whose hues depend only on
// a pixel's place work them out once.
void CieHueDirection(float hue, float* sine, float* cosine);
ColourTriple RgbToPickerHsv(ColourTriple rgb);
ColourTriple PickerHsvToRgb(ColourTriple hsv);
ColourTriple PixelToPickerHsv(const PluginContext* context, Pixel pixel);
Pixel PickerHsvToPixel(const PluginContext* context, ColourTriple hsv);
ColourTriple RgbToYuv(ColourTriple rgb);
ColourTriple PixelToYuv(const PluginContext* context, Pixel pixel);
ColourTriple RgbToLumaDiff(ColourTriple rgb);
ColourTriple PixelToLumaDiff(const PluginContext* context, Pixel pixel);
ColourTriple LumaDiffToRgb(ColourTriple lumaDiff);
int32_t NtscGamutCheck(const PluginContext* context, Pixel pixel);

// One linear sRGB channel (0..1, anything else clamped) to its encoded value
// 0..255, exactly as XyzToRgb computes each channel.
float EncodedSrgbChannel(float linear);
