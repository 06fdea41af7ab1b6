// Tests of colour/colour_models: known values, clamps, grey hues, pixel
// packing over every channel layout, round trips over the 8-bit cube, the
// gamut check, and the transcendental functions against the C library.
#include <gtest/gtest.h>

#include <cstring>

#include <cmath>
#include <random>
#include <string>

#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "colour/panel_models.h"
#include "colour_test_support.h"
#include "support/sweep.h"

using colourtest::LayoutContext;
using colourtest::MaxChannelError;

namespace {

class ColourModels : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPluginState();
    colourtest::UseDefaultWhite();
  }
  void TearDown() override { ResetPluginState(); }
  PluginContext context = LayoutContext();
};

struct KnownValue {
  const char* name;
  ColourTriple (*convert)(ColourTriple);
  ColourTriple in;
  ColourTriple expected;
  float tolerance;
};

TEST_F(ColourModels, KnownValuesWithDefaultWhite) {
  const ColourTriple red{255, 0, 0, 255};
  const ColourTriple blue{0, 0, 255, 255};
  const ColourTriple white{255, 255, 255, 255};
  const KnownValue cases[] = {
      {"red XYZ", RgbToXyz, red, {41.24f, 21.26f, 1.93f, 255}, 0.005f},
      {"red Lab", PanelRgbToLab, red, {53.21f, 80.08f, 67.20f, 255}, 0.01f},
      {"red CIE HSV", PanelRgbToCieHsv, red, {0.9722f, 1.0453f, 0.5321f, 255}, 0.0001f},
      {"blue Lab", PanelRgbToLab, blue, {32.29f, 79.17f, -107.83f, 255}, 0.01f},
      {"blue CIE HSV", PanelRgbToCieHsv, blue, {0.2325f, 1.3377f, 0.3229f, 255}, 0.0001f},
      {"white Lab", PanelRgbToLab, white, {99.96f, -0.003f, -0.016f, 255}, 0.002f},
      {"white XYZ", RgbToXyz, white, {95.05f, 100.0f, 108.9f, 255}, 0.01f},
      {"red HSV", PanelRgbToHsv, red, {1.0f, 1.0f, 1.0f, 255}, 0.0f},
      {"green HSV", PanelRgbToHsv, {0, 255, 0, 7}, {2.0f / 3.0f, 1.0f, 1.0f, 7}, 1e-7f},
      {"blue HSV", PanelRgbToHsv, blue, {1.0f / 3.0f, 1.0f, 1.0f, 255}, 1e-7f},
      {"HSV hue 0 is red", HsvToRgb, {0.0f, 1.0f, 1.0f, 9}, {255, 0, 0, 9}, 0.0f},
      {"HSV hue 1 is red", HsvToRgb, {1.0f, 1.0f, 1.0f, 9}, {255, 0, 0, 9}, 0.0f},
      {"HSV saturation above 1 is 1", HsvToRgb, {1.0f / 3.0f, 3.0f, 1.0f, 1}, {0, 0, 255, 1}, 0.001f},
      {"HSV value above 1 is limited", HsvToRgb, {0.5f, 0.5f, 4.0f, 1}, {255, 255, 255, 1}, 0.0f},
      {"grey value above 1 is limited", HsvToRgb, {0.5f, 0.0f, 2.0f, 1}, {255, 255, 255, 1}, 0.0f},
      {"luma of white", RgbToYuv, white, {255.0f, 0.0f, 0.0f, 255}, 0.001f},
      {"luma-difference clamps", LumaDiffToRgb, {200.0f, 100.0f, -100.0f, 3}, {255.0f, 207.7193f, 0.0f, 3}, 0.01f},
      {"zero XYZ sum", XyzToYxy, {0, 0, 0, 5}, {0, 0, 0, 5}, 0.0f},
  };
  for (const KnownValue& c : cases) {
    const ColourTriple out = c.convert(c.in);
    EXPECT_LE(MaxChannelError(out, c.expected), c.tolerance)
        << c.name << ": got " << out.c0 << ", " << out.c1 << ", " << out.c2;
    EXPECT_EQ(c.expected.alpha, out.alpha) << c.name;
  }
}

TEST_F(ColourModels, GreysTakeTheRememberedHue) {
  GState.CurrentHsv.c0 = 0.37f;
  const float greys[] = {0.0f, 1.0f, 128.0f, 254.5f, 255.0f};
  for (float v : greys) {
    const ColourTriple grey{v, v, v, 255};
    const ColourTriple hsv = PanelRgbToHsv(grey);
    EXPECT_EQ(0.0f, hsv.c1) << v;
    EXPECT_EQ(0.37f, hsv.c0) << v;
    const ColourTriple cie = PanelRgbToCieHsv(grey);
    EXPECT_LT(cie.c1, 0.001f) << v;
    EXPECT_EQ(0.37f, cie.c0) << v;
    GState.CieHsvMode = 1;
    EXPECT_EQ(0.37f, RgbToPickerHsv(grey).c0) << v;
    GState.CieHsvMode = 0;
    EXPECT_EQ(0.37f, RgbToPickerHsv(grey).c0) << v;
  }
  // White's chroma with the default white is tiny but not zero.
  EXPECT_NEAR(0.00016f, PanelRgbToCieHsv({255, 255, 255, 255}).c1, 0.00001f);
}

TEST_F(ColourModels, CieHueJustAboveZeroDegreesWrapsBelowThirteenTwelfths) {
  // A colour with a tiny positive b* and positive a*: angle just above 0.
  const ColourTriple lab{50.0f, 40.0f, 0.01f, 255};
  const float pi = 3.1415927f;
  const ColourTriple rgb = PanelLabToRgb(lab);
  const ColourTriple cie = PanelRgbToCieHsv(rgb);
  const float angle = std::atan2(PanelRgbToLab(rgb).c2, PanelRgbToLab(rgb).c1) / pi * 180.0f;
  ASSERT_GT(angle, 0.0f);
  EXPECT_LT(cie.c0, 13.0f / 12.0f);
  EXPECT_GT(cie.c0, 13.0f / 12.0f - 0.001f);
  // The angle 0 itself maps to 360 degrees, that is hue 1/12.
  const ColourTriple onAxis = PanelRgbToCieHsv(PanelLabToRgb({50.0f, 40.0f, 0.0f, 255}));
  EXPECT_GT(onAxis.c0, 1.0f / 12.0f - 0.001f);
  // PanelCieHsvToRgb reads the same angle back.
  const ColourTriple back = PanelCieHsvToRgb(cie);
  EXPECT_LE(MaxChannelError(back, rgb), 0.1f);
}

TEST_F(ColourModels, PixelPackingOverEveryLayout) {
  for (const auto& layout : colourtest::AllLayouts()) {
    const PluginContext ctx = LayoutContext(layout[0], layout[1], layout[2], layout[3]);
    const std::string name = std::to_string(layout[0]) + std::to_string(layout[1]) + std::to_string(layout[2]) +
                             std::to_string(layout[3]);
    // Opaque: bytes are the channels.
    const Pixel opaque = colourtest::PackBytes(ctx, 200, 100, 7, 255);
    const ColourTriple rgb = PixelToRgb(&ctx, opaque);
    EXPECT_EQ(200.0f, rgb.c0) << name;
    EXPECT_EQ(100.0f, rgb.c1) << name;
    EXPECT_EQ(7.0f, rgb.c2) << name;
    EXPECT_EQ(255, rgb.alpha) << name;
    EXPECT_EQ(opaque, RgbToPixel(&ctx, rgb)) << name;
    // Half transparent: un-premultiplied on the way in, premultiplied out.
    const Pixel half = colourtest::PackBytes(ctx, 64, 32, 0, 128);
    const ColourTriple halfRgb = PixelToRgb(&ctx, half);
    EXPECT_FLOAT_EQ(64.0f * 255.0f / 128.0f, halfRgb.c0) << name;
    EXPECT_EQ(128, halfRgb.alpha) << name;
    EXPECT_EQ(half, RgbToPixel(&ctx, halfRgb)) << name;
    // Transparent: black, and any colour with alpha 0 packs to all zeros.
    const ColourTriple clear = PixelToRgb(&ctx, colourtest::PackBytes(ctx, 9, 9, 9, 0));
    EXPECT_EQ(0.0f, clear.c0 + clear.c1 + clear.c2) << name;
    EXPECT_EQ(0, clear.alpha) << name;
    EXPECT_EQ(0u, RgbToPixel(&ctx, {255, 128, 3, 0})) << name;
    // Inverting flips colour bytes only.
    EXPECT_EQ(colourtest::PackBytes(ctx, 55, 155, 248, 255), InvertPixel(&ctx, opaque)) << name;
  }
}

TEST_F(ColourModels, PremultiplyTruncatesTowardZero) {
  // 100 * 3 / 255 = 1.18 -> 1; 100 * 254.9 / 255 = 99.96 -> 99.
  const Pixel pixel = RgbToPixel(&context, {3.0f, 254.9f, 0.9f, 100});
  EXPECT_EQ(1u, colourtest::ByteAt(pixel, context.RedPosition));
  EXPECT_EQ(99u, colourtest::ByteAt(pixel, context.GreenPosition));
  EXPECT_EQ(0u, colourtest::ByteAt(pixel, context.BluePosition));
  EXPECT_EQ(100u, colourtest::ByteAt(pixel, context.AlphaPosition));
}

TEST_F(ColourModels, OutOfRangeChannelsSaturateInsteadOfWrapping) {
  const Pixel pixel = RgbToPixel(&context, {300.0f, -20.0f, NAN, 255});
  EXPECT_EQ(255u, colourtest::ByteAt(pixel, context.RedPosition));
  EXPECT_EQ(0u, colourtest::ByteAt(pixel, context.GreenPosition));
  EXPECT_EQ(0u, colourtest::ByteAt(pixel, context.BluePosition));
  // Premultiplied bytes above alpha un-premultiply above 255, as stored.
  EXPECT_FLOAT_EQ(510.0f, PixelToRgb(&context, colourtest::PackBytes(context, 200, 0, 0, 100)).c0);
}

// The clamping conversions never leave 0..255, whatever they are given.
TEST_F(ColourModels, ClampingConversionsStayInsideTheCube) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> wide(-500.0f, 500.0f);
  for (auto convert : {XyzToRgb, LumaDiffToRgb}) {
    for (int i = 0; i < 20000; ++i) {
      const ColourTriple in = i == 0 ? ColourTriple{NAN, INFINITY, -INFINITY, 0}
                                     : ColourTriple{wide(rng), wide(rng), wide(rng), 0};
      const ColourTriple rgb = convert(in);
      for (float c : {rgb.c0, rgb.c1, rgb.c2}) ASSERT_TRUE(c >= 0.0f && c <= 255.0f) << i << ": " << c;
    }
  }
}

// Every colour of the 8-bit cube: HSV and back within float precision,
// CIE HSV and back within one step. (The single-precision formulas do not
// return every colour bit for bit: yellow's hue 1/6 comes back 3e-5 short.)
TEST_F(ColourModels, SweepRoundTripsOverTheWholeCube) {
  float hsvWorst = 0.0f;
  float cieWorst = 0.0f;
  const int stride = static_cast<int>(SweepStride(17));
  for (int r = 0; r < 256; r += stride) {
    for (int g = 0; g < 256; ++g) {
      for (int b = 0; b < 256; ++b) {
        const ColourTriple rgb{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255};
        hsvWorst = std::max(hsvWorst, MaxChannelError(HsvToRgb(PanelRgbToHsv(rgb)), rgb));
        cieWorst = std::max(cieWorst, MaxChannelError(PanelCieHsvToRgb(PanelRgbToCieHsv(rgb)), rgb));
      }
    }
  }
  EXPECT_LE(hsvWorst, 0.001f);
  EXPECT_LE(cieWorst, 1.0f);
  // Red, the colour at both ends of the hue scale, comes back exactly.
  for (float value : {255.0f, 128.0f, 1.0f}) {
    const ColourTriple red{value, 0, 0, 255};
    EXPECT_EQ(0.0f, MaxChannelError(HsvToRgb(PanelRgbToHsv(red)), red)) << value;
  }
}

// The LAB dialog lets a white component go to 0 and the settings may hold
// anything: colours must stay finite (and the 8-bit conversions in range)
// whatever the white, and a white in the usual range is used as it is.
TEST_F(ColourModels, AnyReferenceWhiteKeepsColoursFinite) {
  const ColourTriple colours[] = {{0, 0, 0, 255}, {255, 255, 255, 255}, {200, 40, 90, 255}, {3, 250, 7, 255}};
  const float whites[][3] = {{0, 0, 0}, {-5, 100, 0}, {3.4e38f, 1e-30f, NAN}, {95.147f, 100.1f, 108.983f}};
  for (const auto& white : whites) {
    std::memcpy(GState.ReferenceWhite, white, sizeof white);
    for (const ColourTriple& rgb : colours) {
      for (const ColourTriple& c : {PanelRgbToLab(rgb), PanelLabToRgb(PanelRgbToLab(rgb)), PanelRgbToCieHsv(rgb), PanelCieHsvToRgb(PanelRgbToCieHsv(rgb))}) {
        EXPECT_TRUE(std::isfinite(c.c0) && std::isfinite(c.c1) && std::isfinite(c.c2))
            << "white " << white[0] << " " << white[1] << " " << white[2] << ", colour " << rgb.c0 << " " << rgb.c1;
      }
    }
  }
  // The usual white passes unchanged.
  const ColourTriple lab = PanelRgbToLab({255, 255, 255, 255});
  EXPECT_NEAR(lab.c0, 100.0f, 0.1f);
}

TEST_F(ColourModels, NtscGamutLevels) {
  const Pixel white = colourtest::PackBytes(context, 255, 255, 255, 255);
  const Pixel black = colourtest::PackBytes(context, 0, 0, 0, 255);
  const Pixel red = colourtest::PackBytes(context, 255, 0, 0, 255);
  const Pixel grey = colourtest::PackBytes(context, 128, 128, 128, 255);
  struct Case {
    Pixel pixel;
    int32_t mode;
    int32_t expected;
    const char* name;
  };
  const Case cases[] = {
      {white, 0, 0, "white off"}, {white, 1, 0, "white 0-100"}, {white, 2, -1, "white 10-90"},
      {black, 0, 0, "black off"}, {black, 1, 0, "black 0-100"}, {black, 2, 1, "black 10-90"},
      {red, 0, 0, "red off"},     {red, 1, 1, "red 0-100"},    {grey, 2, 0, "grey 10-90"},
  };
  for (const Case& c : cases) {
    GState.GamutMode = c.mode;
    EXPECT_EQ(c.expected, PanelGamutCheck(&context, c.pixel)) << c.name;
  }
}

// Our transcendental functions must be the correctly rounded float of the
// exact value (checked against the double-precision C library) everywhere
// the conversions use them.
TEST(ColourMaths, AgreesWithTheCLibraryToTheLastBit) {
  std::mt19937 rng(3);
  const float exponents[] = {2.4f, 0.41666666f, 0.33333334f, 1.1f};
  int mismatches = 0;
  std::uniform_real_distribution<float> base(0.0005f, 300.0f);
  for (int i = 0; i < 100000; ++i) {
    const float x = base(rng);
    for (float y : exponents) {
      if (ColourPow(x, y) != static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y))))
        ++mismatches;
    }
  }
  std::uniform_real_distribution<float> angle(-7.0f, 7.0f);
  std::uniform_real_distribution<float> lab(-150.0f, 150.0f);
  for (int i = 0; i < 100000; ++i) {
    const float r = angle(rng);
    if (ColourSin(r) != static_cast<float>(std::sin(static_cast<double>(r)))) ++mismatches;
    if (ColourCos(r) != static_cast<float>(std::cos(static_cast<double>(r)))) ++mismatches;
    const float a = lab(rng);
    const float b = lab(rng);
    if (ColourAtan2(b, a) != static_cast<float>(std::atan2(static_cast<double>(b), static_cast<double>(a))))
      ++mismatches;
  }
  // Correct rounding can differ from the library only when the exact value
  // sits within ~1e-14 of a rounding boundary; none of these do.
  EXPECT_EQ(0, mismatches);
}

// The table paths of the two hot powers against ColourPow for every float
// their tables cover (and a little beyond, where they hand over).
TEST(ColourMaths, SweepTablePowersGiveColourPowsBitsForEveryFloat) {
  struct Range {
    const char* name;
    float (*fast)(float);
    float exponent;
    float from, to;
  };
  const Range ranges[] = {{"sRGB encoding", SrgbEncodePower, 0.41666666f, 0.0009765625f, 1.0625f},
                          {"cube root", LabCubeRoot, 0.33333334f, 0.00390625f, 2.125f}};
  for (const Range& range : ranges) {
    int64_t mismatches = 0;
    uint32_t bits;
    std::memcpy(&bits, &range.from, sizeof bits);
    const uint32_t stride = SweepStride(101);
    for (float x = range.from; x < range.to; std::memcpy(&x, &(bits += stride), sizeof x)) {
      if (range.fast(x) != ColourPow(x, range.exponent)) ++mismatches;
    }
    EXPECT_EQ(0, mismatches) << range.name;
  }
}

TEST(ColourMaths, SpecialArguments) {
  EXPECT_EQ(0.0f, ColourPow(0.0f, 1.1f));
  EXPECT_EQ(1.0f, ColourPow(0.0f, 0.0f));
  EXPECT_EQ(1.0f, ColourPow(1.0f, 2.4f));
  EXPECT_TRUE(std::isnan(ColourPow(-1.0f, 1.1f)));
  EXPECT_TRUE(std::isinf(ColourPow(INFINITY, 0.33333334f)));
  EXPECT_EQ(0.0f, ColourAtan2(0.0f, 1.0f));
  EXPECT_FLOAT_EQ(3.1415927f, ColourAtan2(0.0f, -1.0f));
  EXPECT_FLOAT_EQ(-3.1415927f, ColourAtan2(-0.0f, -1.0f));
  EXPECT_FLOAT_EQ(1.5707964f, ColourAtan2(2.0f, 0.0f));
  EXPECT_FLOAT_EQ(-1.5707964f, ColourAtan2(-2.0f, 0.0f));
  EXPECT_EQ(0.0f, ColourSin(0.0f));
  EXPECT_EQ(1.0f, ColourCos(0.0f));
  EXPECT_NEAR(std::sin(3.0e6), ColourSin(3.0e6f), 1e-6);
  EXPECT_NEAR(std::cos(-3.0e6), ColourCos(-3.0e6f), 1e-6);
  EXPECT_TRUE(std::isnan(ColourSin(INFINITY)));
  EXPECT_TRUE(std::isnan(ColourCos(NAN)));
}

}  // namespace
