// Tintwell core: locale-free, bounded reading and writing of numbers in text.
#include "core/text_numbers.h"

#include "core/tw_assert.h"

namespace {

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;

// Scales by 10^exponent; exact powers first, so values with few digits and
// small exponents (everything a setting holds) take one correctly rounded
// step.
double ScaleByPowerOfTen(double value, int exponent) {
  while (exponent > kMaxExactPower) {
    value *= kExactPowersOfTen[kMaxExactPower];
    exponent -= kMaxExactPower;
  }
  while (exponent < -kMaxExactPower) {
    value /= kExactPowersOfTen[kMaxExactPower];
    exponent += kMaxExactPower;
  }
  return exponent >= 0 ? value * kExactPowersOfTen[exponent] : value / kExactPowersOfTen[-exponent];
}

// Leading white space and an optional sign; true for "-".
bool SkipSpaceAndSign(TextCursor& cursor) {
  cursor.SkipSpace();
  const char sign = cursor.Peek();
  if (sign != '+' && sign != '-') return false;
  ++cursor.pos;
  return sign == '-';
}

}  // namespace

bool ScanInt(TextCursor& cursor, int32_t* value) {
  TextCursor scan = cursor;
  const bool negative = SkipSpaceAndSign(scan);
  if (!IsDigit(scan.Peek())) return false;
  // Accumulate the magnitude in 64 bits and stop growing it once it is past
  // the int32 range: the digits still have to be consumed.
  constexpr int64_t kLimit = static_cast<int64_t>(INT32_MAX) + 1;
  int64_t magnitude = 0;
  while (IsDigit(scan.Peek())) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (scan.Peek() - '0');
    ++scan.pos;
  }
  if (negative) {
    *value = magnitude >= kLimit ? INT32_MIN : static_cast<int32_t>(-magnitude);
  } else {
    *value = magnitude >= kLimit ? INT32_MAX : static_cast<int32_t>(magnitude);
  }
  cursor = scan;
  return true;
}

// Keeps 19 significant digits (the rest can only move the last bit of a float
// in rare halfway cases) and bounds the exponent, so any length of input is
// safe.
bool ScanDecimal(TextCursor& start, double* result) {
  TextCursor cursor = start;
  const bool negative = SkipSpaceAndSign(cursor);
  constexpr int kKeptDigits = 19;
  uint64_t mantissa = 0;
  int kept = 0;
  int exponent = 0;  // decimal exponent of the mantissa's last digit
  bool sawDigit = false;
  while (IsDigit(cursor.Peek())) {
    sawDigit = true;
    const int digit = cursor.Peek() - '0';
    if (kept < kKeptDigits) {
      if (mantissa != 0 || digit != 0) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(digit);
        ++kept;
      }
    } else {
      ++exponent;  // a dropped integer digit still scales the value
    }
    ++cursor.pos;
  }
  if (cursor.Peek() == '.') {
    ++cursor.pos;
    while (IsDigit(cursor.Peek())) {
      sawDigit = true;
      const int digit = cursor.Peek() - '0';
      if (kept < kKeptDigits) {
        if (mantissa != 0 || digit != 0) {
          mantissa = mantissa * 10 + static_cast<uint64_t>(digit);
          ++kept;
        }
        --exponent;
      }
      ++cursor.pos;
    }
  }
  if (!sawDigit) return false;
  // The exponent part counts only when a digit follows "e", "e+" or "e-".
  if (cursor.Peek() == 'e' || cursor.Peek() == 'E') {
    size_t ahead = 1;
    bool exponentNegative = false;
    if (cursor.Peek(ahead) == '+' || cursor.Peek(ahead) == '-') {
      exponentNegative = cursor.Peek(ahead) == '-';
      ++ahead;
    }
    if (IsDigit(cursor.Peek(ahead))) {
      cursor.pos += ahead;
      constexpr int kExponentLimit = 100000;  // far beyond any float; keeps the sum in range
      int written = 0;
      while (IsDigit(cursor.Peek())) {
        if (written < kExponentLimit) written = written * 10 + (cursor.Peek() - '0');
        ++cursor.pos;
      }
      exponent += exponentNegative ? -written : written;
    }
  }
  start = cursor;
  // Beyond these bounds the float result is 0 or saturated whatever the
  // digits, so the scaling loop stays short.
  const int magnitude = exponent + kept;  // value lies in [10^(magnitude-1), 10^magnitude)
  if (mantissa == 0 || magnitude < -60) {
    *result = 0.0;  // never a negative zero
    return true;
  }
  const double value = magnitude > 60 ? 1e60 : ScaleByPowerOfTen(static_cast<double>(mantissa), exponent);
  *result = negative ? -value : value;
  return true;
}

int ScanIntegers(const char* text, size_t size, int32_t* values, int count) {
  TW_ASSERT(values || count <= 0);
  for (int i = 0; i < count; ++i) values[i] = 0;
  TextCursor cursor{text, size, 0};
  int read = 0;
  while (read < count && ScanInt(cursor, &values[read])) ++read;
  return read;
}

void NormaliseDecimalPoint(char* text) {
  char* out = text;
  bool inPoint = false;
  for (const char* in = text; *in; ++in) {
    const char c = *in;
    if (IsDigit(c) || c == '-' || c == '+' || c == 'e' || c == 'E') {
      *out++ = c;
      inPoint = false;
    } else if (!inPoint) {
      *out++ = '.';
      inPoint = true;
    }
  }
  *out = '\0';
}
