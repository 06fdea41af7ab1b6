// Tests of colour/colour_mixing without the host: mixing strengths, the
// weighted picker, and the value slider's coordinate spaces.
#include <gtest/gtest.h>

#include <cmath>

#include "colour/colour_mixing.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "colour/colour_models.h"
#include "colour_test_support.h"

using colourtest::LayoutContext;
using colourtest::MaxChannelError;
using colourtest::PackBytes;

namespace {

class ColourMixing : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPluginState();
    colourtest::UseDefaultWhite();
  }
  void TearDown() override { ResetPluginState(); }

  void SetCurrent(ColourTriple rgb) {
    GState.CurrentRgb = rgb;
    GState.CurrentPixel = RgbToPixel(&context, rgb);
  }

  PluginContext context = LayoutContext();
};

// Moving black toward white shows the strength directly: the new channel is
// 255 * s.
TEST_F(ColourMixing, StrengthFollowsPressureAndSensitivity) {
  struct Case {
    int32_t sensitivity;
    int32_t pressure;
    float strength;
    float tolerance;
    const char* name;
  };
  const Case cases[] = {
      {255, 255, 0.0522f, 0.0001f, "full pressure at full sensitivity"},
      {255, 0, 0.0f, 0.0f, "no pressure"},
      {255, 128, 0.02446f, 0.0001f, "half pressure"},
      {64, 65, 1.0f, 0.0f, "above the sensitivity replaces"},
      {64, 255, 1.0f, 0.0f, "far above the sensitivity replaces"},
      {64, 64, 0.04547f, 0.0001f, "at the sensitivity mixes"},
      {0, 0, 0.0243f, 0.0001f, "mouse mode, no pressure"},
      {-200, 255, 0.0243f, 0.0001f, "mouse mode, full pressure"},
      {255, -5, 0.0f, 0.0f, "negative pressure mixes nothing"},
  };
  for (const Case& c : cases) {
    GState.PressureSensitivity = c.sensitivity;
    SetCurrent({0, 0, 0, 255});
    MixIntoCurrent(PackBytes(context, 255, 255, 255, 255), c.pressure, &context);
    EXPECT_NEAR(c.strength, GState.CurrentRgb.c0 / 255.0f, c.tolerance) << c.name;
    EXPECT_EQ(GState.CurrentRgb.c0, GState.CurrentRgb.c2) << c.name;
  }
}

TEST_F(ColourMixing, OneWhitePickOnBlack) {
  GState.PressureSensitivity = 255;
  SetCurrent({0, 0, 0, 255});
  MixIntoCurrent(PackBytes(context, 255, 255, 255, 255), 255, &context);
  EXPECT_NEAR(13.31f, GState.CurrentRgb.c1, 0.01f);
  EXPECT_EQ(255, GState.CurrentRgb.alpha);
  EXPECT_EQ(PackBytes(context, 13, 13, 13, 255), GState.CurrentPixel);
}

TEST_F(ColourMixing, FullStrengthPickGivesThePickedColour) {
  GState.PressureSensitivity = 64;
  const Pixel picked = PackBytes(context, 240, 17, 99, 255);
  SetCurrent({10, 200, 30, 255});
  MixIntoCurrent(picked, 255, &context);
  EXPECT_EQ(0.0f, MaxChannelError(GState.CurrentRgb, {240, 17, 99, 255}));
  EXPECT_EQ(picked, GState.CurrentPixel);
  // Through XYZ the colour comes back to the precision of the conversions
  // (so a byte may truncate one step lower).
  GState.XyzMixMode = 1;
  SetCurrent({10, 200, 30, 255});
  MixIntoCurrent(picked, 255, &context);
  EXPECT_LE(MaxChannelError(GState.CurrentRgb, {240, 17, 99, 255}), 0.05f);
  EXPECT_EQ(RgbToPixel(&context, GState.CurrentRgb), GState.CurrentPixel);
  // The picked colour's alpha is not mixed in, in either space.
  for (int xyz = 0; xyz < 2; ++xyz) {
    GState.XyzMixMode = xyz;
    SetCurrent({0, 0, 0, 200});
    MixIntoCurrent(PackBytes(context, 50, 50, 50, 50), 255, &context);
    EXPECT_EQ(200, GState.CurrentRgb.alpha) << xyz;
    EXPECT_EQ(200u, colourtest::ByteAt(GState.CurrentPixel, context.AlphaPosition)) << xyz;
  }
}

TEST_F(ColourMixing, WeightedPickOfBlackChangesNothing) {
  GState.PressureSensitivity = 64;
  SetCurrent({0, 0, 0, 255});
  WeightedPick(PackBytes(context, 0, 0, 0, 255), 255, &context);
  WeightedPick(PackBytes(context, 0, 0, 0, 0), 255, &context);
  EXPECT_EQ(0.0f, GState.CurrentRgb.c0 + GState.CurrentRgb.c1 + GState.CurrentRgb.c2);
  EXPECT_FALSE(std::isnan(GState.CurrentRgb.c0));
  EXPECT_EQ(PackBytes(context, 0, 0, 0, 255), GState.CurrentPixel);
}

TEST_F(ColourMixing, WeightedPickOfTheSameColourBrightensAndKeepsChromaticity) {
  GState.PressureSensitivity = 64;  // pressure 255 replaces: the target itself
  const ColourTriple start{60, 30, 20, 255};
  SetCurrent(start);
  WeightedPick(RgbToPixel(&context, start), 255, &context);
  const ColourTriple before = XyzToYxy(RgbToXyz(start));
  const ColourTriple after = XyzToYxy(RgbToXyz(GState.CurrentRgb));
  EXPECT_NEAR(2.0f * before.c0, after.c0, 0.3f);  // luminance doubled (within byte truncation)
  EXPECT_NEAR(before.c1, after.c1, 0.003f);
  EXPECT_NEAR(before.c2, after.c2, 0.003f);
  // Repeated picks keep brightening until clipped at white's luminance.
  for (int i = 0; i < 10; ++i) WeightedPick(RgbToPixel(&context, GState.CurrentRgb), 255, &context);
  for (float c : {GState.CurrentRgb.c0, GState.CurrentRgb.c1, GState.CurrentRgb.c2}) EXPECT_LE(c, 255.0f);
  EXPECT_EQ(255.0f, std::max({GState.CurrentRgb.c0, GState.CurrentRgb.c1, GState.CurrentRgb.c2}));
}

TEST_F(ColourMixing, GradientSliderPositionIsClampedToTheTable) {
  GState.SliderMode = 3;
  for (int k = 0; k < 256; ++k) GState.GradientTable[static_cast<size_t>(k)] = PackBytes(context, k, 255 - k, 0, 255);
  struct Case {
    float position;
    int entry;
  };
  const Case cases[] = {{300.0f, 255}, {-5.0f, 0}, {NAN, 0}, {17.9f, 17}, {255.0f, 255}, {0.5f, 0}};
  for (const Case& c : cases) {
    const ColourTriple rgb = SliderToRgb(&context, {c.position, 0.3f, 0.4f, 1});
    EXPECT_EQ(static_cast<float>(c.entry), rgb.c0) << c.position;
    EXPECT_EQ(255, rgb.alpha) << c.position;  // the entry's alpha
  }
  GState.GradientTable[3] = PackBytes(context, 50, 50, 50, 100);
  EXPECT_EQ(PackBytes(context, 50, 50, 50, 100), SliderToPixel(&context, {3.0f, 0, 0, 255}));
}

// Colours of the cube to slider coordinates and back, in each mode (the
// whole cube where the conversions are cheap, every third level otherwise).
TEST_F(ColourMixing, SliderRoundTripsOverTheCube) {
  struct Mode {
    int32_t slider;
    int32_t cie;
    int step;
    float tolerance;
  };
  const Mode modes[] = {{1, 0, 3, 0.1f}, {2, 0, 1, 0.001f}, {0, 0, 1, 0.001f}, {0, 1, 3, 0.1f}};
  for (const Mode& mode : modes) {
    GState.SliderMode = mode.slider;
    GState.CieHsvMode = mode.cie;
    float worst = 0.0f;
    for (int r = 0; r < 256; r += mode.step) {
      for (int g = 0; g < 256; g += mode.step) {
        for (int b = 0; b < 256; b += mode.step) {
          const ColourTriple rgb{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255};
          worst = std::max(worst, MaxChannelError(SliderToRgb(&context, RgbToSlider(rgb)), rgb));
        }
      }
    }
    EXPECT_LE(worst, mode.tolerance) << "slider mode " << mode.slider << " cie " << mode.cie;
  }
}

}  // namespace
