// Tintwell colour: colour models and conversions (single precision).
//
// Layer: colour/ (pure arithmetic; reads ReferenceWhite, CieHsvMode,
// CurrentHsv and GamutMode from GState). Every conversion takes a
// ColourTriple by value, copies its alpha, and works in 32-bit floats;
// float-to-integer conversions truncate toward zero.
#pragma once

#include "plugin/abi.h"
#include "plugin/plugin_state.h"

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
