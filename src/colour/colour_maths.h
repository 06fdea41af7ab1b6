// Tintwell colour: deterministic transcendental functions.
#pragma once

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
// ColourSin and ColourCos of one angle with one argument reduction.
void ColourSinCos(float radians, float* sine, float* cosine);

// ColourPow(x, 0.41666666) and ColourPow(x, 0.33333334), the sRGB encoding
// and L*a*b* powers, by a faster table path that gives the same bits.
float SrgbEncodePower(float x);
float LabCubeRoot(float x);
