// Tintwell colour: the constants of the colour arithmetic, in one place.
//
// The single conversions, the row routines and the filter must compute the
// very same float operations so every path gives the same bits; they all take
// their constants from here. Float constants are the nearest floats to the
// decimal values the standards give (the decimals are what is written).
#pragma once

#include <cstdint>

namespace colour {

// ---- angles ----
constexpr double kPi = 3.14159265358979323846;
constexpr float kPiF = 3.1415927f;               // pi as the CIE hue angle uses it
constexpr float kRadiansPerDegree = 0.017453292f;  // pi / 180
constexpr float kTurn = 6.2831855f;                // 2 pi: angles as fractions of a turn
// pi/2 split so that k * kHalfPiHi is exact for |k| < 2^21 (fdlibm's split),
// for the sine and cosine argument reduction.
constexpr double kHalfPiHi = 1.57079632673412561417e+00;
constexpr double kHalfPiLo = 6.07710050650619224932e-11;
// ln 2 split the same way, for the exponential.
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;

// Taylor coefficients of sin(y) = y + y^3 * S(z) and cos(y) = 1 + z * C(z),
// z = y^2, |y| <= pi/4: the first dropped terms are below 1e-16 relative.
// kSin[i] and kCos[i] multiply z^i.
constexpr double kSin[7] = {-1.0 / 6,        1.0 / 120,          -1.0 / 5040,          1.0 / 362880,
                            -1.0 / 39916800, 1.0 / 6227020800.0, -1.0 / 1307674368000.0};
constexpr double kCos[8] = {-0.5,          1.0 / 24,           -1.0 / 720,              1.0 / 40320,
                            -1.0 / 3628800, 1.0 / 479001600.0, -1.0 / 87178291200.0, 1.0 / 20922789888000.0};

// ---- sRGB (IEC 61966-2-1), D65 ----
constexpr float kSrgbLinearLimit = 0.04045f;     // encoded value where the power curve starts
constexpr float kSrgbEncodeLimit = 0.0031308f;   // linear value where the power curve starts
constexpr float kSrgbOffset = 0.055f;
constexpr float kSrgbScale = 1.055f;
constexpr float kSrgbSlope = 12.92f;             // of the linear segment
constexpr float kSrgbGamma = 2.4f;
constexpr float kSrgbInverseGamma = 0.41666666f;  // 1 / 2.4 as a float
// Linear RGB (0..100) to XYZ, rows X, Y, Z.
constexpr float kXyzFromRgb[3][3] = {
    {0.4124f, 0.3576f, 0.1805f}, {0.2126f, 0.7152f, 0.0722f}, {0.0193f, 0.1192f, 0.9505f}};
// XYZ (0..1) to linear RGB, rows R, G, B.
constexpr float kRgbFromXyz[3][3] = {
    {3.2406f, -1.5372f, -0.4986f}, {-0.9689f, 1.8758f, 0.0415f}, {0.0557f, -0.2040f, 1.0570f}};

// ---- CIE L*a*b* ----
constexpr float kLabEpsilon = 0.008856f;  // (6/29)^3: below it the curve is linear
constexpr float kLabKappa = 7.787f;       // slope of the linear segment
constexpr float kLabCubeRoot = 0.33333334f;  // 1/3 as a float

// ---- luma ----
// Rec. 601 luma weights (red, green, blue) and the PAL U/V scales; the
// filter's and the YUV conversion's.
constexpr float kLumaRed = 0.299f;
constexpr float kLumaGreen = 0.587f;
constexpr float kLumaBlue = 0.114f;
constexpr float kYuvU = 0.565f;
constexpr float kYuvV = 0.713f;
// The value slider's and gamut check's rounded luma weights and
// colour-difference scales.
constexpr float kDiffLumaRed = 0.32f;
constexpr float kDiffLumaGreen = 0.57f;
constexpr float kDiffLumaBlue = 0.11f;
constexpr float kDiffRedScale = 0.63f;
constexpr float kDiffBlueScale = 0.34f;

// ---- NTSC broadcast range ----
// level = kNtscLevelTop - luma / kNtscLumaScale on the 0..100 IRE-like scale
// (140 is black), amp = kNtscChromaScale * chroma amplitude.
constexpr float kNtscLevelTop = 140.0f;
constexpr float kNtscLumaScale = 2.56f;
constexpr float kNtscChromaScale = 0.55f;
// Limits of level - amp (brightest) and level + amp (darkest) per range.
constexpr int32_t kNtscWideBright = 40;     // the (0-100) range
constexpr int32_t kNtscWideDark = 140;
constexpr int32_t kNtscNarrowBright = 50;   // the (10-90) range
constexpr int32_t kNtscNarrowDark = 130;

// ---- hue conventions ----
constexpr float kCieHueOffsetDegrees = 30.0f;  // the CIE ring starts where classic HSV's does
constexpr float kGreyChroma = 0.001f;          // below this saturation a colour is grey and keeps its hue

}  // namespace colour
