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
#include <vector>

#include "store/settings.h"
#include "support/comma_locale.h"

namespace {

TEST(StoreSettingsParse, IntegersReadLikeAtoiAndSaturate) {
  const std::pair<std::string, int32_t> cases[] = {
      {"", 0},          {"abc", 0},          {"12abc", 12},         {"-5", -5},       {"+9", 9},
      {"1e3", 1},       {" \t\n42", 42},     {"- 5", 0},            {"0x1F", 0},      {"007", 7},
      {"2147483647", INT32_MAX},             {"2147483648", INT32_MAX},               {"-2147483648", INT32_MIN},
      {std::string(300, '9'), INT32_MAX},    {"-" + std::string(300, '9'), INT32_MIN},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ParseSettingInt(text.c_str(), text.size() + 1), expected) << "text \"" << text << "\"";
  }
  // Nothing past the size given is looked at, terminated or not.
  const char digits[6] = {'1', '2', '3', '4', '5', '6'};
  EXPECT_EQ(ParseSettingInt(digits, 3), 123);
  EXPECT_EQ(ParseSettingInt(nullptr, 10), 0);
  const char decimal[5] = {'2', '.', '5', 'e', '3'};
  EXPECT_EQ(ParseSettingFloat(decimal, 4), 2.5f);
  EXPECT_EQ(ParseSettingFloat(decimal, 5), 2500.0f);
}

TEST(StoreSettingsParse, FloatsReadAsDecimalText) {
  const std::pair<std::string, float> cases[] = {
      {"95.147", 95.147f},  {"95.147003", 95.147f}, {"", 0.0f},       {"abc", 0.0f},     {"12abc", 12.0f},
      {"-5", -5.0f},        {"1e3", 1000.0f},       {"2.5E-1", 0.25f}, {"1e", 1.0f},     {".5", 0.5f},
      {"-.5", -0.5f},       {".", 0.0f},            {"95,147", 95.0f}, {"inf", 0.0f},    {"nan", 0.0f},
      {"0x10", 0.0f},       {"1e39", FLT_MAX},      {"-1e400", -FLT_MAX}, {"1e-60", 0.0f},
      {"1e99999999999", FLT_MAX},                   {std::string(300, '1'), FLT_MAX},
      {"0." + std::string(300, '0') + "1", 0.0f},   {"0.1" + std::string(300, '0'), 0.1f},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ParseSettingFloat(text.c_str(), text.size() + 1), expected) << "text \"" << text << "\"";
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
    // Any finite positive float, subnormals included, in nine digits.
    const uint32_t pattern = bits(random);
    float any;
    std::memcpy(&any, &pattern, sizeof any);
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(any));
    ASSERT_EQ(ParseSettingFloat(text, sizeof text), any) << text;
  }
}

// Texts with more digits than a double holds exactly must still round once,
// straight to the nearest float (strtof in the "C" locale does).
TEST(StoreSettingsParse, LongDecimalTextsRoundOnceToTheNearestFloat) {
  std::vector<std::string> texts = {"9399999999.999999", "1.00000005960464477550", "16777217.0000000000000001",
                                    "0.000000000000000000000000000000000000011754942807573642917"};
  std::mt19937 random(4242);
  std::uniform_int_distribution<int> digit(0, 9), length(16, 40), exponent(-50, 40);
  for (int i = 0; i < 20000; ++i) {
    std::string text = std::to_string(1 + digit(random) % 9);
    const int digits = length(random);
    for (int k = 1; k < digits; ++k) text += static_cast<char>('0' + digit(random));
    text.insert(1 + static_cast<size_t>(digit(random)), ".");
    text += "e" + std::to_string(exponent(random));
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    const float reference = std::strtof(text.c_str(), nullptr);
    ASSERT_EQ(ParseSettingFloat(text.c_str(), text.size() + 1), std::isinf(reference) ? FLT_MAX : reference)
        << text;
  }
}

TEST(StoreSettingsParse, FloatsAreWrittenWithSixDecimalsAndReadBack) {
  const std::pair<std::string, float> cases[] = {
      {"95.147000", 95.147f}, {"100.100000", 100.1f}, {"108.983000", 108.983f}, {"0.000000", 0.0f},
      {"-2.500000", -2.5f},   {"0.100000", 0.1f},     {"0.000000", NAN},
  };
  char text[kSettingFloatTextSize];
  for (const auto& [expected, value] : cases) {
    FormatSettingFloat(value, text, sizeof text);
    EXPECT_EQ(std::string(text), expected) << "value " << value;
  }
  FormatSettingFloat(-INFINITY, text, sizeof text);
  EXPECT_EQ(ParseSettingFloat(text, sizeof text), -FLT_MAX) << text;
  char small[5] = "xxxx";
  FormatSettingFloat(95.147f, small, 4);  // cut, never overrun
  EXPECT_STREQ(small, "95.");
  // From 16 upward the float spacing is wider than a millionth, so six
  // decimals bring every value back exactly; below, within that and half
  // the spacing.
  std::mt19937 random(777);
  std::uniform_real_distribution<float> range(0.0f, 800.0f);
  for (int i = 0; i < 20000; ++i) {
    const float value = range(random);
    FormatSettingFloat(value, text, sizeof text);
    const float back = ParseSettingFloat(text, sizeof text);
    ASSERT_LE(std::fabs(back - value), value >= 16.0f ? 0.0f : 1e-6f) << text;
  }
}

// A host process may run in a locale whose decimal point is ",".
TEST(StoreSettingsParse, FloatsIgnoreTheProcessLocale) {
  char text[kSettingFloatTextSize];
  float back = 0.0f;
  const char* chosen = nullptr;
  {
    ScopedCommaLocale comma;
    chosen = comma.name();
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma installed";
    FormatSettingFloat(95.147f, text, sizeof text);
    back = ParseSettingFloat("108.983", 8);
  }
  EXPECT_STREQ(text, "95.147000") << chosen;
  EXPECT_EQ(back, 108.983f) << chosen;
}

TEST(StoreSettingsParse, RoomKeysAreNeverCut) {
  char key[kRoomSettingKeySize];
  RoomKey(INT32_MIN, kRoomWinVisibleSuffix, key, sizeof key);
  EXPECT_STREQ(key, "room--2147483648winvisible");
}

}  // namespace
