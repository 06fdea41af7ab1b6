// Tintwell colour: batch conversions for drawing many colours at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "colour/colour_models.h"
#include "core/abi.h"
#include "core/plugin_state.h"

// Batch forms for drawing many colours at once. Each gives,
// element for element, exactly what the single routines give; the speed comes
// from doing a group of colours per step (4 with SSE2, 8 with AVX2, 16 with
// AVX-512) and from byte tables on the linear value, not from looser
// arithmetic. The widest instruction set the processor has is chosen once,
// on first use.
//
// rgb[3 i .. 3 i + 2] = the channels of LabToRgb(lab[i], white), truncated
// to bytes.
void LabToRgbBytesRow(const LabWhite& white, const ColourTriple* lab, uint8_t* rgb, size_t count);
// pixels[i] = RgbToPixel(context, LabToRgb(lab[i], white)); fastest for
// opaque colours (others take the single routines).
void LabToPixelRow(const PluginContext* context, const LabWhite& white, const ColourTriple* lab, Pixel* pixels,
                   size_t count);
// Opaque colours of one lightness (a row of the CIE square, the CIE ring's
// current-colour bands): with aTerms[i] = a_i / 500 and bTerms[i] = b_i / 200
// (the first steps of LabToXyz, which a picture can keep per column),
// pixels[i] = RgbToPixel(context, LabToRgb({lightness, a_i, b_i, 255}, white)).
void LabTermsToOpaquePixelRow(const PluginContext* context, const LabWhite& white, float lightness,
                              const float* aTerms, const float* bTerms, Pixel* pixels, size_t count);
// pixels[i] = RgbToPixel(context, CieHsvToRgb(cieHsv[i], white)); fastest for
// opaque colours (others, and hues far off the ring, take the single
// routines).
void CieHsvToPixelRow(const PluginContext* context, const LabWhite& white, const ColourTriple* cieHsv,
                      Pixel* pixels, size_t count);
// pixels[i] = RgbToPixel(context, HsvToRgb(hsv[i])), any alpha (hues of 2 or
// more in size, and NaN, take the single routines).
void HsvToPixelRow(const PluginContext* context, const ColourTriple* hsv, Pixel* pixels, size_t count);
// Colours whose hues stay while saturation and value move (the hue ring
// during a drag): HsvHueSectors works out once what HsvToRgb takes from each
// hue (its sector and the fraction within it; hues of 2 or more in size, and
// NaN, are not covered: false), and HsvFixedHuesToPixelRow then gives
// pixels[i] = RgbToPixel(context, HsvToRgb({hue i, saturation, value, 255})).
bool HsvHueSectors(const float* hues, int32_t* sectors, float* fractions, size_t count);
void HsvFixedHuesToPixelRow(const PluginContext* context, const int32_t* sectors, const float* fractions,
                            float saturation, float value, Pixel* pixels, size_t count);
// results[i] = NtscGamutCheck(context, pixels[i], mode).
void NtscGamutCheckRow(const PluginContext* context, int32_t mode, const Pixel* pixels, int32_t* results,
                       size_t count);

// The row conversions of one instruction set, each doing the whole row.
// Every set gives the same bits; the routines above call the chosen one.
enum class RowPath { kPlain, kSse2, kAvx2, kAvx512 };
struct RowConversions {
  void (*labToRgbBytes)(const LabWhite& white, const ColourTriple* lab, uint8_t* rgb, size_t count);
  void (*labToPixel)(const PluginContext* context, const LabWhite& white, const ColourTriple* lab, Pixel* pixels,
                     size_t count);
  void (*labTermsToOpaquePixel)(const PluginContext* context, const LabWhite& white, float lightness,
                                const float* aTerms, const float* bTerms, Pixel* pixels, size_t count);
  void (*cieHsvToPixel)(const PluginContext* context, const LabWhite& white, const ColourTriple* cieHsv,
                        Pixel* pixels, size_t count);
  void (*hsvToPixel)(const PluginContext* context, const ColourTriple* hsv, Pixel* pixels, size_t count);
  void (*hsvFixedHuesToPixel)(const PluginContext* context, const int32_t* sectors, const float* fractions,
                              float saturation, float value, Pixel* pixels, size_t count);
  void (*ntscGamutCheck)(const PluginContext* context, int32_t mode, const Pixel* pixels, int32_t* results,
                         size_t count);
};
// The conversions of a path, or null where this build or processor cannot
// run it (the tests hold every path to the plain one).
const RowConversions* RowConversionsOn(RowPath path);
// The path the routines above use: the widest available, chosen on first use.
RowPath ChosenRowPath();
