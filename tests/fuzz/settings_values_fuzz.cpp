// Fuzz target: the values of the user settings (integers, floats, stored
// pens) and the LAB dialog's typed numbers, read from any bytes, and floats
// written and read back.
//
// Properties: every reading equals the C library's reading of the same text
// in the "C" locale (the process runs in a comma-decimal locale); nothing is
// read past the bytes given; a float written with six decimals has that
// shape, reads back within half a millionth, exactly from 16 upward, and
// equals what printf makes of the shortest text that reads back as the float.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "store/settings.h"

namespace {

std::string Describe(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      shown += escaped;
    }
  }
  return "\"" + shown + "\"";
}

bool SameFloat(float a, float b) { return a == b && std::signbit(a) == std::signbit(b); }

// "-?[0-9]+\.[0-9]{6}"
bool HasSixDecimals(const std::string& text) {
  size_t i = text[0] == '-' ? 1 : 0;
  const size_t digits = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == digits || i >= text.size() || text[i] != '.') return false;
  const size_t point = i++;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i == text.size() && i - point - 1 == 6;
}

// The writings the C library allows: among the fewest significant digits p
// that read back as the float (the p-digit decimals next to the float are
// the nearest one and its two neighbours), those closest to the float, each
// written with "%f".
std::vector<std::string> ReferenceWritings(float value) {
  if (std::isnan(value)) value = 0.0f;
  if (std::isinf(value)) value = value > 0 ? FLT_MAX : -FLT_MAX;
  if (value == 0.0f) return {"0.000000"};
  for (int p = 1; p <= 9; ++p) {
    const std::string nearest = ReferenceFormat("%.*e", p - 1, static_cast<double>(value));
    std::string digits;
    size_t i = nearest[0] == '-' ? 1 : 0;
    for (; nearest[i] != 'e'; ++i) {
      if (nearest[i] != '.') digits += nearest[i];
    }
    const long long mantissa = std::atoll(digits.c_str());
    const long long exponent = std::atoll(nearest.c_str() + i + 1) - (p - 1);
    std::vector<std::string> best;
    long double bestDistance = 0;
    for (long long m = mantissa - 1; m <= mantissa + 1; ++m) {
      if (m <= 0) continue;
      const std::string candidate = (value < 0 ? "-" : "") + std::to_string(m) + "e" + std::to_string(exponent);
      if (strtof_l(candidate.c_str(), nullptr, CLocale()) != value) continue;
      const long double distance =
          std::fabs(strtold_l(candidate.c_str(), nullptr, CLocale()) - static_cast<long double>(value));
      const std::string written = ReferenceFormat("%f", strtod_l(candidate.c_str(), nullptr, CLocale()));
      if (best.empty() || distance < bestDistance) {
        best = {written};
        bestDistance = distance;
      } else if (distance == bestDistance) {
        best.push_back(written);
      }
    }
    if (!best.empty()) return best;
  }
  return {};
}

void CheckReadings(const std::string& bytes) {
  ExactBytes exact(bytes);
  const std::string text = BoundedText(exact.data(), exact.size());

  const int32_t integer = ParseSettingInt(exact.data(), exact.size());
  FUZZ_CHECK(integer == ReferenceInt(text), "integer " + Describe(text));

  const float decimal = ParseSettingFloat(exact.data(), exact.size());
  const float reference = ReferenceFloat(text);
  FUZZ_CHECK(SameFloat(decimal, reference), "float " + Describe(text) + ": " + std::to_string(decimal) + " vs " +
                                                std::to_string(reference));

  uint8_t rgb[3] = {1, 2, 3};
  const bool pen = ParseStoredPen(exact.data(), exact.size(), rgb);
  int32_t values[3];
  const bool referencePen = ReferenceInts(text, values, 3) == 3 && values[0] >= 0 && values[0] <= 255 &&
                            values[1] >= 0 && values[1] <= 255 && values[2] >= 0 && values[2] <= 255;
  FUZZ_CHECK(pen == referencePen, "pen " + Describe(text));
  if (pen) {
    FUZZ_CHECK(rgb[0] == values[0] && rgb[1] == values[1] && rgb[2] == values[2], "pen bytes " + Describe(text));
  } else {
    FUZZ_CHECK(rgb[0] == 1 && rgb[1] == 2 && rgb[2] == 3, "a rejected pen changed its bytes " + Describe(text));
  }
}

void CheckWriting(float value) {
  char text[kSettingFloatTextSize];
  FormatSettingFloat(value, text, sizeof text);
  const std::string written = BoundedText(text, sizeof text);
  FUZZ_CHECK(written.size() < sizeof text, "no terminator");
  FUZZ_CHECK(HasSixDecimals(written), "shape " + written);
  const std::vector<std::string> allowed = ReferenceWritings(value);
  FUZZ_CHECK(std::find(allowed.begin(), allowed.end(), written) != allowed.end(),
             "writing " + written + " vs " + (allowed.empty() ? std::string("none") : allowed[0]));
  if (std::isnan(value)) return;
  const float expected = std::isinf(value) ? std::copysign(FLT_MAX, value) : value;
  const float back = ParseSettingFloat(text, sizeof text);
  const double error = std::fabs(static_cast<double>(back) - static_cast<double>(expected));
  const double tolerance =
      std::fabs(expected) >= 16.0f ? 0.0 : 5e-7 + std::fabs(std::nextafter(expected, 1e30f) - expected);
  FUZZ_CHECK(error <= tolerance, "read back " + written + " from " + ReferenceFormat("%.9g", static_cast<double>(value)));

  // Cut to a short buffer: never past it, always terminated.
  for (size_t size : {size_t{1}, size_t{4}, size_t{9}}) {
    char small[16];
    std::memset(small, 'x', sizeof small);
    FormatSettingFloat(value, small, size);
    FUZZ_CHECK(small[size] == 'x' && std::strlen(small) < size, "cut writing overran");
    FUZZ_CHECK(written.compare(0, size - 1, small) == 0, "cut writing is not a prefix");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckReadings(bytes);
  // Every four bytes are also a float to write.
  for (size_t i = 0; i + 4 <= size && i < 16; i += 4) {
    uint32_t bits;
    std::memcpy(&bits, data + i, sizeof bits);
    CheckWriting(FloatFromBits(bits));
  }
  return 0;
}
