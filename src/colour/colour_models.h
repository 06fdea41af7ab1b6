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
ColourTriple RgbToXyz(ColourTriple rgb);
ColourTriple XyzToRgb(ColourTriple xyz);
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

// The transcendental functions the conversions use. The C library's versions
// differ between the Windows runtime and glibc in the last bit, which would
// make the two builds disagree; these are evaluated in double with only
// IEEE-exact operations (+ - * / sqrt) and rounded once to float, so every
// build gives the same bits and the result is the correctly rounded float in
// all but astronomically rare cases.
float ColourPow(float base, float exponent);  // base >= 0; negative gives NaN
float ColourSin(float radians);
float ColourCos(float radians);
float ColourAtan2(float y, float x);  // same zero and sign rules as std::atan2

// ColourPow(x, 0.41666666) and ColourPow(x, 0.33333334), the sRGB encoding
// and L*a*b* powers, by a faster table path that gives the same bits.
float SrgbEncodePower(float x);
float LabCubeRoot(float x);

// One linear sRGB channel (0..1, anything else clamped) to its encoded value
// 0..255, exactly as XyzToRgb computes each channel.
float EncodedSrgbChannel(float linear);

// Batch forms for drawing many colours at once (colour_rows.cpp). Each gives,
// element for element, exactly what the single routines give; the speed comes
// from doing four colours per step with SSE2 and from byte tables on the
// linear value, not from looser arithmetic.
//
// rgb[3 i .. 3 i + 2] = the channels of LabToRgb(lab[i]), truncated to bytes.
void LabToRgbBytesRow(const ColourTriple* lab, uint8_t* rgb, size_t count);
// pixels[i] = RgbToPixel(context, CieHsvToRgb(cieHsv[i])); fastest for
// opaque colours (others, and hues far off the ring, take the single
// routines).
void CieHsvToPixelRow(const PluginContext* context, const ColourTriple* cieHsv, Pixel* pixels, size_t count);
// results[i] = NtscGamutCheck(context, pixels[i]).
void NtscGamutCheckRow(const PluginContext* context, const Pixel* pixels, int32_t* results, size_t count);
// The byte tables behind the rows, over linear channel values:
// truncated[i] = trunc(EncodedSrgbChannel(linear[i])) and opaque[i] = the
// byte RgbToPixel makes of that channel at alpha 255.
void LinearToSrgbBytesRow(const float* linear, uint8_t* truncated, uint8_t* opaque, size_t count);
