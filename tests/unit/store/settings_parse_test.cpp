// Tests of the settings value parsers and formatters (store layer): what a
// stored text reads as, whatever the user or an older version left there.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "store/settings.h"

namespace {

struct IntCase {
  std::string text;
  int32_t expected;
};

TEST(StoreSettingsParse, IntegersReadLikeAtoiAndSaturate) {
  const IntCase cases[] = {
      {"", 0},
      {"abc", 0},
      {"12abc", 12},
      {"-5", -5},
      {"+9", 9},
      {"1e3", 1},
      {"  \t42", 42},
      {"\n-7x", -7},
      {"- 5", 0},
      {"--5", 0},
      {"0x1F", 0},
      {"007", 7},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"99999999999999999999999999", INT32_MAX},
      {std::string(300, '9'), INT32_MAX},
      {"-" + std::string(300, '9'), INT32_MIN},
  };
  for (const IntCase& c : cases) {
    EXPECT_EQ(ParseSettingInt(c.text.c_str(), c.text.size() + 1), c.expected) << "text \"" << c.text << "\"";
  }
}

TEST(StoreSettingsParse, ParsersStopAtTheirSize) {
  // Not NUL-terminated within the size given: nothing past it is looked at.
  const char digits[6] = {'1', '2', '3', '4', '5', '6'};
  EXPECT_EQ(ParseSettingInt(digits, 3), 123);
  EXPECT_EQ(ParseSettingInt(digits, 0), 0);
  EXPECT_EQ(ParseSettingInt(nullptr, 10), 0);
  const char decimal[5] = {'2', '.', '5', 'e', '3'};
  EXPECT_EQ(ParseSettingFloat(decimal, 3), 2.5f);
  EXPECT_EQ(ParseSettingFloat(decimal, 4), 2.5f);  // "e" without digits is not an exponent
  EXPECT_EQ(ParseSettingFloat(decimal, 5), 2500.0f);
  uint8_t rgb[3] = {9, 9, 9};
  EXPECT_FALSE(ParseStoredPen("1 2 3", 3, rgb));  // only "1 2" is inside
  EXPECT_EQ(rgb[0], 9);
}

struct FloatCase {
  std::string text;
  float expected;
};

TEST(StoreSettingsParse, FloatsReadAsDecimalText) {
  const FloatCase cases[] = {
      {"95.147", 95.147f},
      {"100.1", 100.1f},
      {"108.983", 108.983f},
      {"95.147003", 95.147f},
      {"", 0.0f},
      {"abc", 0.0f},
      {"12abc", 12.0f},
      {"-5", -5.0f},
      {"1e3", 1000.0f},
      {"2.5E-1", 0.25f},
      {"1e", 1.0f},
      {"1e+", 1.0f},
      {".5", 0.5f},
      {"5.", 5.0f},
      {"-.5", -0.5f},
      {".", 0.0f},
      {"-", 0.0f},
      {"  +3.25", 3.25f},
      {"95,147", 95.0f},  // "," is never a decimal point in a stored value
      {"inf", 0.0f},
      {"nan", 0.0f},
      {"0x10", 0.0f},
      {"0.000000", 0.0f},
      {"1e39", FLT_MAX},
      {"-1e400", -FLT_MAX},
      {"1e-60", 0.0f},
      {"1e99999999999", FLT_MAX},
      {"1e-99999999999", 0.0f},
      {std::string(300, '1'), FLT_MAX},
      {"0." + std::string(300, '0') + "1", 0.0f},
      {"0.1" + std::string(300, '0'), 0.1f},
      {"12345678901234567890123", 1.2345679e22f},
  };
  for (const FloatCase& c : cases) {
    EXPECT_EQ(ParseSettingFloat(c.text.c_str(), c.text.size() + 1), c.expected) << "text \"" << c.text << "\"";
  }
}

// The C library's strtof, in the "C" locale the test runs in, is the
// reference for plain decimal texts.
TEST(StoreSettingsParse, FloatsMatchTheCLibraryOnManyValues) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> wide(-1000.0f, 1000.0f);
  std::uniform_int_distribution<uint32_t> bits(0, 0x7f7fffffu);
  char text[64];
  for (int i = 0; i < 20000; ++i) {
    const float value = wide(random);
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    ASSERT_EQ(ParseSettingFloat(text, sizeof text), std::strtof(text, nullptr)) << text;
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    ASSERT_EQ(ParseSettingFloat(text, sizeof text), value) << text;
    // Any finite positive float, subnormals included.
    uint32_t pattern = bits(random);
    float any;
    std::memcpy(&any, &pattern, sizeof any);
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(any));
    ASSERT_EQ(ParseSettingFloat(text, sizeof text), any) << text;
  }
}

TEST(StoreSettingsParse, FloatsAreWrittenWithSixDecimals) {
  const FloatCase cases[] = {
      {"95.147000", 95.147f}, {"100.100000", 100.1f}, {"108.983000", 108.983f}, {"0.000000", 0.0f},
      {"-2.500000", -2.5f},   {"800.000000", 800.0f}, {"0.100000", 0.1f},      {"1000.000000", 1000.0f},
  };
  char text[kSettingFloatTextSize];
  for (const FloatCase& c : cases) {
    FormatSettingFloat(c.expected, text, sizeof text);
    EXPECT_EQ(std::string(text), c.text) << "value " << c.expected;
  }
  FormatSettingFloat(NAN, text, sizeof text);
  EXPECT_STREQ(text, "0.000000");
  FormatSettingFloat(INFINITY, text, sizeof text);
  EXPECT_EQ(ParseSettingFloat(text, sizeof text), FLT_MAX) << text;
  FormatSettingFloat(-FLT_MAX, text, sizeof text);
  EXPECT_EQ(ParseSettingFloat(text, sizeof text), -FLT_MAX) << text;
  // A short buffer is cut, never overrun.
  char small[5] = {'x', 'x', 'x', 'x', 'x'};
  FormatSettingFloat(95.147f, small, 4);
  EXPECT_STREQ(small, "95.");
  EXPECT_EQ(small[4], 'x');
}

// Six decimals keep every float from 16 upward exactly (its spacing there is
// wider than a millionth), which covers the reference white's 0..800 range
// in practice; below that, it comes back within half a millionth plus half
// the float spacing.
TEST(StoreSettingsParse, WrittenFloatsReadBack) {
  std::mt19937 random(777);
  std::uniform_real_distribution<float> range(0.0f, 800.0f);
  char text[kSettingFloatTextSize];
  for (int i = 0; i < 20000; ++i) {
    const float value = range(random);
    FormatSettingFloat(value, text, sizeof text);
    const float back = ParseSettingFloat(text, sizeof text);
    if (value >= 16.0f) {
      ASSERT_EQ(back, value) << text;
    } else {
      ASSERT_LE(std::fabs(back - value), 1e-6f) << text;
    }
  }
}

// A host process may run in a locale whose decimal point is ",".
TEST(StoreSettingsParse, FloatsIgnoreTheProcessLocale) {
  const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German", "French"};
  const char* chosen = nullptr;
  for (const char* name : names) {
    if (std::setlocale(LC_NUMERIC, name)) {
      chosen = name;
      break;
    }
  }
  if (!chosen) GTEST_SKIP() << "no locale with a decimal comma installed";
  char text[kSettingFloatTextSize];
  FormatSettingFloat(95.147f, text, sizeof text);
  const float back = ParseSettingFloat("108.983", 8);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_STREQ(text, "95.147000") << chosen;
  EXPECT_EQ(back, 108.983f) << chosen;
}

struct PenCase {
  std::string text;
  bool valid;
  uint8_t r, g, b;
};

TEST(StoreSettingsParse, StoredPensNeedThreeBytes) {
  const PenCase cases[] = {
      {"", false, 0, 0, 0},
      {"1 2", false, 0, 0, 0},
      {"1 2 3", true, 1, 2, 3},
      {"300 0 0", false, 0, 0, 0},
      {"-1 0 0", false, 0, 0, 0},
      {"a b c", false, 0, 0, 0},
      {"0 0 256", false, 0, 0, 0},
      {"99999999999 0 0", false, 0, 0, 0},
      {"1,2,3", false, 0, 0, 0},
      {"0 0 0", true, 0, 0, 0},
      {"255 255 255", true, 255, 255, 255},
      {"  10\t20\n30", true, 10, 20, 30},
      {"+7 8 9", true, 7, 8, 9},
      {"1 2 3 4", true, 1, 2, 3},  // as "%d %d %d" reads it: the rest is not looked at
  };
  for (const PenCase& c : cases) {
    uint8_t rgb[3] = {42, 42, 42};
    EXPECT_EQ(ParseStoredPen(c.text.c_str(), c.text.size() + 1, rgb), c.valid) << "text \"" << c.text << "\"";
    if (c.valid) {
      EXPECT_EQ(rgb[0], c.r) << c.text;
      EXPECT_EQ(rgb[1], c.g) << c.text;
      EXPECT_EQ(rgb[2], c.b) << c.text;
    } else {
      EXPECT_TRUE(rgb[0] == 42 && rgb[1] == 42 && rgb[2] == 42) << "malformed \"" << c.text << "\" changed the pen";
    }
  }
}

TEST(StoreSettingsParse, RoomKeysFitTheirBuffers) {
  char key[kRoomSettingKeySize];
  RoomKey(0, kRoomPaletteSuffix, key, sizeof key);
  EXPECT_STREQ(key, "room-0palette");
  RoomKey(3, kRoomFxBrushSuffix, key, sizeof key);
  EXPECT_STREQ(key, "room-3fxbrush");
  RoomKey(INT32_MIN, kRoomWinVisibleSuffix, key, sizeof key);
  EXPECT_STREQ(key, "room--2147483648winvisible");
  char prefix[kRoomSettingPrefixSize];
  RoomPrefix(INT32_MIN, prefix, sizeof prefix);
  EXPECT_STREQ(prefix, "room--2147483648");
}

}  // namespace
