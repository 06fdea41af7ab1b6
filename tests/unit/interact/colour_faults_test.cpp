// Where the panel's colour, its pictures and the host's pens must agree:
// the canvas-mode frame of the swatch picture, the ring colour kept across
// a click between two square drags, full-strength picks that replace the
// colour byte for byte, the A-B gradient following the pens, and the FX-brush
// watch re-sending the panel's colour as the swatch shows it.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "colour/colour_mixing.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "colour/colour_models.h"
#include "colour/panel_models.h"
#include "core/pixel_bytes.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/canvas_modes.h"
#include "panel/option_menu.h"
#include "panel/panel_images.h"
#include "support/panel_driver.h"
#include "support/plugin_host.h"

namespace {

using namespace paneltest;

class ColourAgreement : public PlainPanelTest {
 protected:
  Pixel Opaque(int32_t r, int32_t g, int32_t b) const {
    return MakePixel(host->Context(), static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 255);
  }

  const simhost::Gadget& Swatch() const { return host->FindRequester(GState.PanelRequester)->gadgets.at(kSwatch); }
};

TEST_F(ColourAgreement, CanvasModeFrameIsThreePixelsLeftAndTopTwoRightAndBottom) {
  host->bPen = {250, 240, 5, 255};
  OpenWith({10, 200, 30, 255});
  GState.BasePixel = Opaque(90, 0, 90);
  GState.ModeFlags |= kModePick;
  BuildSwatchImage(host->Context());
  const simhost::Gadget& swatch = Swatch();
  ASSERT_EQ(180, swatch.imageWidth);
  const Pixel white = Opaque(255, 255, 255);
  const Pixel black = Opaque(0, 0, 0);
  struct Case {
    int32_t x, y;
    Pixel expected;
  };
  const Case cases[] = {
      {2, 10, white},   {3, 10, Opaque(250, 240, 5)},   // left edge: columns 0..2
      {50, 2, white},   {50, 3, Opaque(250, 240, 5)},   // top edge: rows 0..2
      {177, 3, GState.CurrentPixel}, {178, 4, white}, {179, 4, black},  // right edge: 178, 179
      {50, 39, GState.BasePixel}, {50, 40, white},  {51, 41, white}, {51, 40, black},  // bottom: 40, 41
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, swatch.imagePixels[static_cast<size_t>(c.y * 180 + c.x)]) << "pixel " << c.x << "," << c.y;
  }
}

// CIE palette, plain ring: a click on an option box between two square
// drags keeps the ring colour the first drag started from, so the hue holds
// through the fully saturated corner; a slider drag in between still makes
// the next square drag start from the colour it left.
TEST_F(ColourAgreement, OptionClickBetweenSquareDragsKeepsTheRingColour) {
  GState.CieHsvMode = 1;
  const float white[3] = {95.147f, 100.1f, 108.983f};  // the stored reference white's default
  std::copy(white, white + 3, GState.ReferenceWhite);
  OpenWith({30, 60, 250, 255});
  const float hue = PanelRgbToCieHsv(GState.CurrentRgb).c0;
  Gesture(*host, OnPalette(0, 0), {{kPaletteCentreX + 42, kPaletteCentreY - 42}});  // saturation 1, value 1
  Gesture(*host, OnPalette(-70, 80), {});                                           // background option box
  EXPECT_EQ(1, GState.FloodBackground);
  Gesture(*host, OnPalette(10, 10), {{kPaletteCentreX, kPaletteCentreY}});          // 0.5, 0.5
  EXPECT_EQ("tv_SetAPen 123 106 191", LastAPen());
  EXPECT_NEAR(hue, PanelRgbToCieHsv(GState.CurrentRgb).c0, 0.01f);

  // The slider darkens the colour: the next square press starts from it.
  Gesture(*host, OnSwatch(40, 60), {{2 + 177 * 20 / 100, 60}});
  const ColourTriple darkened = PanelRgbToHsv(GState.CurrentRgb);
  Press(*host, OnPalette(0, 0));
  EXPECT_EQ(darkened.c2, GState.HueRingHsv.c2);
  Release(*host, OnPalette(0, 0));
}

// With a sensitivity below the pressure the pick replaces the colour: every
// byte arrives exactly, in RGB and in XYZ mixing, from any starting colour.
TEST_F(ColourAgreement, FullStrengthPickReplacesTheColourByteForByte) {
  PluginContext* context = host->Context();
  GState.PressureSensitivity = 64;
  for (int32_t xyz = 0; xyz <= 1; ++xyz) {
    GState.XyzMixMode = xyz;
    for (int32_t v = 0; v <= 255; ++v) {
      GState.CurrentRgb = ColourTriple{static_cast<float>(255 - v) + 0.37f, 12.5f, 200.9f, 255};
      const Pixel pick = Opaque(v, (v * 7) % 256, 255 - v);
      MixIntoCurrent(pick, 255, context);
      ASSERT_EQ(pick, GState.CurrentPixel) << (xyz ? "XYZ" : "RGB") << " pick of " << v;
      ASSERT_EQ(static_cast<float>(v), GState.CurrentRgb.c0) << (xyz ? "XYZ" : "RGB") << " pick of " << v;
    }
  }
}

// Repeated RGB picks at less than full strength arrive at the picked bytes
// from below as from above, instead of stopping a float step short of them.
TEST_F(ColourAgreement, RepeatedPicksArriveAtThePickedColour) {
  PluginContext* context = host->Context();
  GState.XyzMixMode = 0;
  for (int32_t sensitivity : {0, 255}) {
    GState.PressureSensitivity = sensitivity;
    for (int32_t v = 1; v <= 254; ++v) {
      const Pixel pick = Opaque(v, 255 - v, v);
      GState.CurrentRgb = ColourTriple{0.0f, 255.0f, 0.0f, 255};
      for (int32_t n = 0; n < 3000 && GState.CurrentPixel != pick; ++n) MixIntoCurrent(pick, 255, context);
      ASSERT_EQ(pick, GState.CurrentPixel) << "sensitivity " << sensitivity << ", pick of " << v;
    }
  }
}

// The slider's A-B gradient is the host's range between the pens: it follows
// a slider drag once released, a colour notice and a B pen set from the
// panel, as soon as the slider shows it (the option menu turning it on too),
// and the slider picture is drawn from the range read afresh.
TEST_F(ColourAgreement, GradientFollowsThePensAfterEveryChange) {
  OpenWith({124, 0, 255, 255});
  LoadGradientTable(host->Context());
  const auto positionZero = [&] { return GState.GradientTable[255]; };  // range position 0: the A pen
  ASSERT_EQ(Opaque(124, 0, 255), positionZero());

  // Slider mode 1 drags the lightness to 0; the host changes its A pen and
  // tells the panel; then the menu turns the gradient on.
  Gesture(*host, OnSwatch(40, 60), {{0, 60}});
  ASSERT_EQ("tv_SetAPen 0 0 142", LastAPen());  // L* 0 with the hue's a*, b* kept
  host->aPen = {0, 200, 40, 255};
  host->SendEvent(GState.PanelRequester, kEventColourNotice, {});
  host->SetPopupMenuAnswer(kMenuIdSliderGradient);
  Gesture(*host, OnSwatch(20, 10, kRight), {});
  ASSERT_EQ(kSliderGradient, GState.SliderMode);
  EXPECT_EQ(Opaque(0, 200, 40), positionZero()) << "after the menu turned the gradient on";

  // A slider drag in gradient mode: the range follows once the gesture ends.
  Gesture(*host, OnSwatch(40, 60), {{170, 60}});
  EXPECT_EQ(GState.CurrentPixel, positionZero()) << "after the slider drag";

  // Ctrl-left on the B swatch takes the A pen into B: the range is flat.
  Gesture(*host, OnSwatch(20, 10, kLeft, kCtrl), {});
  EXPECT_EQ(positionZero(), GState.GradientTable[0]) << "after the B pen was set";
  const simhost::Gadget& swatch = Swatch();
  EXPECT_EQ(positionZero(), swatch.imagePixels[static_cast<size_t>(60 * 180 + 10)]) << "slider picture";
}

// The stored pens go out as the plug-in opens, the B pen after the range was
// first read: the slider's range is read again, between the two.
TEST_F(ColourAgreement, StoredPensAtOpenReachTheGradient) {
  host->aPen = {1, 2, 3, 255};
  host->bPen = {255, 255, 255, 255};
  host->SetUserSetting("Main", "apen", "5 6 7");
  host->SetUserSetting("Main", "bpen", "200 10 90");
  host->SetUserSetting("Tintwell", "room-0slider", "3");  // the slider shows the gradient
  ASSERT_EQ(1, host->Open());
  EXPECT_EQ(Opaque(5, 6, 7), GState.GradientTable[255]);   // range position 0: the A pen
  EXPECT_EQ(Opaque(200, 10, 90), GState.GradientTable[0]);  // position 255: the B pen
}

// With Load on and no ring lock, a hover over the canvas re-sends the
// panel's colour: it arrives as the swatch shows it in either picker model,
// also where the colour's HSV round trip lands a byte beside it.
TEST_F(ColourAgreement, WatchHoverWithoutLocksSendsTheSwatchColour) {
  host->FillCurrentLayer(simhost::Rgba{40, 90, 160, 255});
  OpenWith({25, 16, 0, 255});
  GState.PaintModeBits |= kPaintLoad;
  GState.RingLockBits = 0;
  UpdateFxBrushWatch(host->Context());
  ASSERT_NE(0, GState.PickRequester);
  std::vector<HostWord> hover(10, 0);  // no button, no pressure, over canvas pixel (5, 5)
  hover[1] = hover[2] = 5 * 65536;
  for (int32_t cie = 0; cie <= 1; ++cie) {
    GState.CieHsvMode = cie;
    for (int32_t v = 0; v < 256; v += 3) {
      host->aPen = {static_cast<uint8_t>(v), static_cast<uint8_t>((v * 5 + 16) % 256), static_cast<uint8_t>(v / 9), 255};
      host->SendEvent(GState.PanelRequester, kEventColourNotice, {});
      host->ClearRecords();
      host->Message(kMsgPointerMove, GState.PickRequester, hover);
      const Pixel shown = GState.CurrentPixel;
      const std::string swatch = "tv_SetAPen " + std::to_string(PixelRed(host->Context(), shown)) + " " +
                                 std::to_string(PixelGreen(host->Context(), shown)) + " " +
                                 std::to_string(PixelBlue(host->Context(), shown));
      ASSERT_EQ(swatch, LastAPen()) << (cie ? "CIE" : "plain") << " picker, pen " << v;
      ASSERT_EQ(Opaque(host->aPen.r, host->aPen.g, host->aPen.b), shown);
    }
  }
}

}  // namespace
