// Tintwell core: locale-free, bounded reading and writing of numbers in text.
#include "core/text_numbers.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "core/tw_assert.h"

namespace {

// Leading white space and an optional sign; true for "-".
bool SkipSpaceAndSign(TextCursor& cursor) {
  cursor.SkipSpace();
  const char sign = cursor.Peek();
  if (sign != '+' && sign != '-') return false;
  ++cursor.pos;
  return sign == '-';
}

// Where a decimal number lies in the text, as the grammar above reads it.
struct DecimalExtent {
  size_t begin;          // first digit or "." (after the sign)
  size_t end;            // one past the last byte of the number
  bool negative;
  bool zero;             // every digit is 0
  int32_t leadExponent;  // the value lies in [10^(leadExponent-1), 10^leadExponent) unless zero
};

// Finds the number at the cursor and moves the cursor past it; false (cursor
// unmoved) when no digit comes. Exponent digits are counted only up to a
// bound far beyond any double, so the sums stay in range whatever the text.
bool FindDecimal(TextCursor& start, DecimalExtent* number) {
  TextCursor cursor = start;
  number->negative = SkipSpaceAndSign(cursor);
  number->begin = cursor.pos;
  number->zero = true;
  constexpr int32_t kPlaceLimit = 1 << 20;  // digits counted for the exponent estimate
  int32_t integerDigits = 0;                // significant digits before the point
  int32_t leadingFractionZeros = 0;         // zeros after the point before the first non-zero digit
  bool sawDigit = false;
  while (IsDigit(cursor.Peek())) {
    sawDigit = true;
    if (cursor.Peek() != '0') number->zero = false;
    if (!number->zero && integerDigits < kPlaceLimit) ++integerDigits;
    ++cursor.pos;
  }
  if (cursor.Peek() == '.') {
    ++cursor.pos;
    while (IsDigit(cursor.Peek())) {
      sawDigit = true;
      if (number->zero && cursor.Peek() == '0' && leadingFractionZeros < kPlaceLimit) ++leadingFractionZeros;
      if (cursor.Peek() != '0') number->zero = false;
      ++cursor.pos;
    }
  }
  if (!sawDigit) return false;
  int32_t written = 0;
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
      while (IsDigit(cursor.Peek())) {
        if (written < kPlaceLimit) written = written * 10 + (cursor.Peek() - '0');
        ++cursor.pos;
      }
      if (exponentNegative) written = -written;
    }
  }
  number->end = cursor.pos;
  number->leadExponent = (integerDigits > 0 ? integerDigits : -leadingFractionZeros) + written;
  start = cursor;
  return true;
}

// The C++ library's from_chars reads decimal text correctly rounded and
// without looking at the locale; the grammar and the saturation are ours.
template <typename Real>
bool ScanReal(TextCursor& cursor, Real* result) {
  DecimalExtent number;
  if (!FindDecimal(cursor, &number)) return false;
  Real value = 0;
  if (!number.zero) {
    const char* first = cursor.text + number.begin;
    const char* last = cursor.text + number.end;
    const std::from_chars_result read = std::from_chars(first, last, value, std::chars_format::general);
    if (read.ec == std::errc::result_out_of_range) {
      value = number.leadExponent > 0 ? std::numeric_limits<Real>::max() : Real(0);
    } else if (read.ec != std::errc()) {
      value = 0;  // not reached: the extent holds a number from_chars reads
    }
  }
  *result = number.negative ? -value : value;
  if (*result == 0) *result = 0;  // never a negative zero
  return true;
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

bool ScanDecimal(TextCursor& cursor, double* value) { return ScanReal(cursor, value); }

bool ScanFloat(TextCursor& cursor, float* value) { return ScanReal(cursor, value); }

void FormatFixed(double value, int decimals, char* buffer, size_t bufferSize) {
  if (!buffer || bufferSize == 0) return;
  if (std::isnan(value)) value = 0.0;
  if (std::isinf(value)) value = value > 0 ? DBL_MAX : -DBL_MAX;
  constexpr int kMaxDecimals = 20;
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  // DBL_MAX has 309 integer digits: room for it, a sign, "." and the decimals.
  char text[DBL_MAX_10_EXP + kMaxDecimals + 8];
  const std::to_chars_result written =
      std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, decimals);
  TW_ASSERT(written.ec == std::errc() && "room for every finite double in fixed form");
  *written.ptr = '\0';
  const size_t length = static_cast<size_t>(written.ptr - text);
  const size_t kept = length < bufferSize - 1 ? length : bufferSize - 1;
  std::memcpy(buffer, text, kept);
  buffer[kept] = '\0';
}

void FormatShortestFloat(float value, char (&buffer)[kShortestFloatTextSize]) {
  if (std::isnan(value)) value = 0.0f;
  if (std::isinf(value)) value = value > 0 ? FLT_MAX : -FLT_MAX;
  if (value == 0.0f) value = 0.0f;  // no "-0"
  // Scientific form always carries just the shortest digits (plain to_chars
  // may prefer a longer fixed form, e.g. all the digits of a large whole
  // number). The longest, "-1.17549435e-38", is 15 bytes.
  const std::to_chars_result written =
      std::to_chars(buffer, buffer + kShortestFloatTextSize - 1, value, std::chars_format::scientific);
  TW_ASSERT(written.ec == std::errc() && "room for the shortest digits of every finite float");
  *written.ptr = '\0';
}

int ScanIntegers(const char* text, size_t size, int32_t* values, int count) {
  TW_ASSERT((values || count <= 0) && "somewhere to put the values asked for");
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
