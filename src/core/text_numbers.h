// Tintwell core: locale-free, bounded reading and writing of numbers in text.
//
// Settings values, host replies and the colour-scheme file all carry numbers
// as text. The C library's readers are either unbounded (atoi overflows on a
// long digit run) or follow the host process's locale (strtod, "%f" expect a
// comma in some), so every layer reads and writes numbers through these.
#pragma once

#include <cstddef>
#include <cstdint>

// White space as C's isspace sees it in the "C" locale.
inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A bounded cursor over text that may or may not be NUL-terminated: it never
// looks at text[size] or beyond, and reads a NUL as the end.
struct TextCursor {
  const char* text;
  size_t size;
  size_t pos;
  char Peek(size_t ahead = 0) const {
    if (!text || pos + ahead >= size) return '\0';
    return text[pos + ahead];
  }
  void SkipSpace() {
    while (IsSpace(Peek())) ++pos;
  }
};

// One integer as "%d" scans it: white space, an optional sign, at least one
// digit. Saturates at the int32 limits. False (cursor unmoved) when no digit
// follows.
bool ScanInt(TextCursor& cursor, int32_t* value);

// One decimal number: white space, an optional sign, digits with an optional
// "." and fraction, an optional exponent ("1e3"; "1e" reads as 1). False
// (cursor unmoved) without a digit; "inf", "nan" and hexadecimal are not
// numbers ("0x10" reads its leading "0"). Any length of input is safe. The
// value is the text's correctly rounded nearest, never a negative zero;
// beyond the type's range it saturates to the largest finite value, below
// it the rounding gives 0.
bool ScanDecimal(TextCursor& cursor, double* value);
bool ScanFloat(TextCursor& cursor, float* value);

// Writes value with exactly `decimals` digits after "." (printf's "%.*f",
// whatever the C locale). NaN is written as 0 and infinities as the largest
// finite value. Always NUL-terminated; cut to bufferSize.
void FormatFixed(double value, int decimals, char* buffer, size_t bufferSize);

// The fewest significant digits that read back (ScanFloat) as exactly
// value, in scientific form: "9.5147e+01" for 95.147f, "1e-07". NaN gives
// "0e+00", infinities +-FLT_MAX. At most kShortestFloatTextSize bytes with
// the NUL.
constexpr size_t kShortestFloatTextSize = 24;
void FormatShortestFloat(float value, char (&buffer)[kShortestFloatTextSize]);

// Up to count leading integers the way "%d %d ..." scans them; missing or
// unreadable numbers give 0. Returns how many were read.
int ScanIntegers(const char* text, size_t size, int32_t* values, int count);

// An integer limited to a byte.
inline uint8_t ClampToByte(int32_t value) {
  if (value < 0) return 0;
  if (value > 255) return 255;
  return static_cast<uint8_t>(value);
}

// printf writes the locale's decimal point; stored numbers always use ".".
// Any run of bytes that is not a digit, sign or exponent letter is taken for
// the decimal point (possibly several bytes long) and becomes one ".". For a
// text that holds exactly one number. (FormatFixed writes "." to begin with.)
void NormaliseDecimalPoint(char* text);
