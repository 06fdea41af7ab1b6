// Whole panel gestures through the stand-in host: press, drags, release on
// the palette, the swatches and the slider, checked by the colours and
// commands they leave.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "colour/panel_models.h"
#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "support/panel_driver.h"
#include "support/plugin_host.h"

namespace {

using namespace paneltest;

class PanelGestures : public PlainPanelTest {
 protected:
  // Commands other than the A-B gradient reload that follows each A pen and
  // the pen reads of the pictures.
  std::vector<std::string> CommandsWithoutReload() const {
    std::vector<std::string> kept;
    for (const std::string& c : host->CommandTexts()) {
      if (c.rfind("tv_RangeGrab", 0) != 0 && c != "tv_GetAPen" && c != "tv_GetBPen") kept.push_back(c);
    }
    return kept;
  }

  static constexpr float kMouseFactor = 48.0f / 255.0f;
};

TEST_F(PanelGestures, HueRingDragTurnsTheHueByThePointersAngle) {
  struct Case {
    int32_t dx, dy;
    float hue;
    const char* pen;
  };
  const Case cases[] = {
      {76, 0, 1.0f, "tv_SetAPen 255 0 0"},     // right: red, hue 1 rather than 0
      {0, 76, 0.25f, "tv_SetAPen 127 0 255"},  // down
      {-76, 0, 0.5f, "tv_SetAPen 0 255 255"},  // left: cyan
      {0, -76, 0.75f, "tv_SetAPen 127 255 0"},  // up
      {30, 0, 1.0f, "tv_SetAPen 255 0 0"},     // the drag follows the angle anywhere
  };
  OpenWith({0, 255, 0, 255});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
    host->ClearRecords();
    Gesture(*host, OnPalette(0, -76), {{kPaletteCentreX + c.dx, kPaletteCentreY + c.dy}});
    EXPECT_EQ(c.hue, GState.CurrentHsv.c0);
    EXPECT_EQ(c.pen, LastAPen());
    EXPECT_EQ(0, GState.DragTarget);
    EXPECT_EQ(kReleaseHueRing, GState.LastReleaseKind);
  }
  // Each colour goes out as the A pen, then the slider's A-B gradient is reloaded.
  const std::vector<std::string> commands = host->CommandTexts();
  ASSERT_EQ(1u, CommandsStartingWith("tv_SetAPen").size());
  ASSERT_EQ(256u, CommandsStartingWith("tv_RangeGrab").size());
  EXPECT_EQ("tv_RangeGrab 255", commands[1]);

  // The slider lock on the A-B gradient holds no quantity: the ring still turns.
  GState.SliderMode = kSliderGradient;
  GState.LumaLock = 1;
  Gesture(*host, OnPalette(0, -76), {{kPaletteCentreX - 76, kPaletteCentreY}});
  EXPECT_EQ(0.5f, GState.CurrentHsv.c0);
  EXPECT_EQ("tv_SetAPen 0 255 255", LastAPen());
}

TEST_F(PanelGestures, SquareDragsAbsoluteAndFine) {
  OpenWith({255, 0, 0, 255});
  struct Step {
    int32_t dx, dy;
    const char* pen;
  };
  // Absolute: the pointer's place is the saturation and value; beyond the
  // picture's edge they clamp.
  const Step steps[] = {
      {0, 0, "tv_SetAPen 127 63 63"},
      {42, -42, "tv_SetAPen 255 0 0"},
      {44, 44, "tv_SetAPen 0 0 0"},
      {-44, -44, "tv_SetAPen 255 255 255"},
  };
  Pointer p = OnPalette(10, 10);
  Press(*host, p);
  for (const Step& s : steps) {
    p = AtPalette(p, s.dx, s.dy);
    Drag(*host, p);
    EXPECT_EQ(s.pen, LastAPen()) << s.dx << "," << s.dy;
  }
  Release(*host, p);

  // Fine (right button): moves by the travel since the previous event / 90,
  // scaled by the mouse factor, never to the pointer's place.
  GState.CurrentHsv = ColourTriple{1.0f, 0.5f, 0.5f, 255};
  p = OnPalette(0, 0, kRight);
  Press(*host, p);
  p = AtPalette(p, 9, -18);
  Drag(*host, p);
  EXPECT_NEAR(0.5f + 0.1f * kMouseFactor, GState.CurrentHsv.c1, 1e-6f);
  EXPECT_NEAR(0.5f + 0.2f * kMouseFactor, GState.CurrentHsv.c2, 1e-6f);
  p = AtPalette(p, 9, -18);  // no travel, no change
  Drag(*host, p);
  EXPECT_NEAR(0.5f + 0.2f * kMouseFactor, GState.CurrentHsv.c2, 1e-6f);
  Release(*host, p);
}

TEST_F(PanelGestures, BarsMoveSaturationAndValueByTravel) {
  struct Case {
    int32_t dx, dy;       // press
    int32_t moveX, moveY;
    float ds, dv;
  };
  const Case cases[] = {
      {-50, 0, 9, 0, 0.1f, 0.0f},    // saturation bar left of the square
      {50, 0, 0, 9, 0.1f, 0.0f},     // right of it; down counts as right
      {0, -50, 0, 9, 0.0f, -0.1f},   // value bar above: down darkens
      {0, 50, -9, 0, 0.0f, 0.1f},    // below: left lightens
      {-88, 0, 18, 0, 0.2f, 0.0f},   // radius 88 still belongs to the bars
  };
  OpenWith({255, 255, 255, 255});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
    GState.CurrentHsv = ColourTriple{1.0f, 0.5f, 0.5f, 255};
    Gesture(*host, OnPalette(c.dx, c.dy), {{kPaletteCentreX + c.dx + c.moveX, kPaletteCentreY + c.dy + c.moveY}});
    EXPECT_NEAR(0.5f + c.ds * kMouseFactor, GState.CurrentHsv.c1, 1e-6f);
    EXPECT_NEAR(0.5f + c.dv * kMouseFactor, GState.CurrentHsv.c2, 1e-6f);
    EXPECT_EQ(kReleasePicker, GState.LastReleaseKind);
  }
}

// The default models: CIE palette, plain ring. Each gesture starts from the
// colour the previous one, whatever it was, has left.
TEST_F(PanelGestures, DifferingModelsKeepTheColourBetweenGestures) {
  GState.CieHsvMode = 1;
  OpenWith({200, 100, 50, 255});
  const auto lightness = [] { return PanelRgbToLab(GState.CurrentRgb).c0; };
  const auto cieHue = [] { return PanelRgbToCieHsv(GState.CurrentRgb).c0; };

  Gesture(*host, OnPalette(0, -76), {{kPaletteCentreX + 60, kPaletteCentreY - 40}});
  const float ringLightness = lightness();
  // The slider darkens to L* 30; a second ring drag keeps that lightness.
  Gesture(*host, OnSwatch(40, 60), {{2 + 177 * 30 / 100, 60}});
  ASSERT_NEAR(30.0f, lightness(), 1.0f);
  ASSERT_GT(std::fabs(ringLightness - 30.0f), 10.0f);
  Gesture(*host, OnPalette(60, -40), {{kPaletteCentreX + 62, kPaletteCentreY - 40}});
  EXPECT_NEAR(30.0f, lightness(), 3.0f);

  // After a square drag the slider moves the lightness and keeps the hue.
  Gesture(*host, OnPalette(0, 0), {{kPaletteCentreX + 20, kPaletteCentreY - 10}});
  const float hue = cieHue();
  Gesture(*host, OnSwatch(40, 60), {{2 + 177 * 45 / 100, 60}});
  EXPECT_NEAR(45.0f, lightness(), 1.0f);
  EXPECT_NEAR(hue, cieHue(), 0.02f);
}

TEST_F(PanelGestures, CornersSwitchOptionsAndRadius89IsACorner) {
  struct Case {
    int32_t dx, dy, buttons;
    int32_t PluginState::*field;
    int32_t before, after;
  };
  const Case cases[] = {
      {-62, -63, kRight, &PluginState::RingLockBits, 0, kLockHorizontal},  // r = 88: the bars
      {-63, -63, kRight, &PluginState::RingLockBits, 0, kLockAny},         // r = 89: the A/B corner
      {-63, -63, kRight, &PluginState::RingLockBits, kLockRing, 0},
      {-70, 80, kLeft, &PluginState::FloodBackground, 1, 0},
      {-70, 80, kRight, &PluginState::FloodBackground, 0, 1},
      {-80, 60, kRight, &PluginState::HueRingMode, kRingShowsCurrent, kRingShowsCurrent | kRingCie},
      {-80, 60, kLeft, &PluginState::HueRingMode, kRingShowsCurrent, 0},
      {80, 60, kRight, &PluginState::SampleSourceFlags, 0, kSampleFrozen},
      {80, 60, kLeft, &PluginState::SampleSourceFlags, kSampleFrozen, kSampleFrozen | kSampleSingleLayer},
      {0, 95, kLeft, &PluginState::FloodBackground, 1, 1},  // on an axis: only a redraw
  };
  OpenWith({10, 200, 90, 255});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy) + " buttons " + std::to_string(c.buttons));
    GState.*c.field = c.before;
    const Pointer p = OnPalette(c.dx, c.dy, c.buttons);
    Press(*host, p);
    Release(*host, p);
    EXPECT_EQ(c.after, GState.*c.field);
    EXPECT_EQ(0, GState.DragTarget);
  }

  // The A/B corner swaps the host's pens: both read, B set to the old A,
  // then A to the old B, which becomes the current colour.
  host->aPen = {1, 2, 3, 255};
  host->bPen = {4, 5, 6, 255};
  host->ClearRecords();
  Press(*host, OnPalette(-63, -63));
  std::vector<std::string> pens;
  for (const std::string& c : host->CommandTexts()) {
    if (c.rfind("tv_GetAPen", 0) == 0 || c.rfind("tv_GetBPen", 0) == 0 || c.rfind("tv_Set", 0) == 0) pens.push_back(c);
    if (pens.size() == 4) break;
  }
  EXPECT_EQ((std::vector<std::string>{"tv_GetAPen", "tv_GetBPen", "tv_SetBPen 1 2 3", "tv_SetAPen 4 5 6"}), pens);
  EXPECT_EQ(host->ToPixel({4, 5, 6, 255}), GState.CurrentPixel);

  // The CIE option switches the palette's model and keeps the colour.
  host->ClearRecords();
  const ColourTriple rgb = GState.CurrentRgb;
  const Pointer cie = OnPalette(70, 80);
  Press(*host, cie);
  EXPECT_EQ(1, GState.CieHsvMode);
  EXPECT_NEAR(PanelRgbToCieHsv(rgb).c1, GState.CurrentHsv.c1, 1e-4f);
  EXPECT_NEAR(PanelRgbToCieHsv(rgb).c2, GState.CurrentHsv.c2, 1e-4f);
  EXPECT_EQ(rgb.c0, GState.CurrentRgb.c0);
  EXPECT_EQ(0u, CommandsStartingWith("tv_SetAPen").size());
  // Right click there opens the LAB reference dialog.
  Press(*host, OnPalette(70, 80, kRight));
  EXPECT_NE(0, GState.LabDialogRequester);
}

TEST_F(PanelGestures, ReStrokeOnlyAfterACtrlColourDrag) {
  struct Case {
    const char* name;
    Pointer press;
    bool drag;
    int32_t paintBits;
    bool reStroke;
  };
  const Case cases[] = {
      {"ring with Ctrl", OnPalette(0, -76, kLeft, kCtrl), true, 0, true},
      {"square, qualifier 2", OnPalette(0, 0, kLeft, 2), true, 0, true},
      {"bars with Ctrl", OnPalette(-50, 0, kLeft, kCtrl), true, 0, true},
      {"square without Ctrl", OnPalette(0, 0), true, 0, false},
      {"corner with Ctrl", OnPalette(-70, 80, kLeft, kCtrl), false, 0, false},
      {"ring with Ctrl in lamp mode", OnPalette(0, -76, kLeft, kCtrl), true, kPaintLampOn, false},
  };
  OpenWith({200, 40, 40, 255});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GState.PaintModeBits = c.paintBits;
    host->ClearRecords();
    Pointer p = c.press;
    Press(*host, p);
    if (c.drag) Drag(*host, AtPalette(p, 20, -60));
    Release(*host, AtPalette(p, 20, -60));
    // In lamp mode the release refreshes the paint source instead, which
    // takes its own pass back with one undo.
    const bool lampMode = (c.paintBits & kPaintLampOn) != 0;
    const std::vector<std::string> undo = CommandsStartingWith("tv_undo");
    EXPECT_EQ(c.reStroke || lampMode ? 1u : 0u, undo.size());
    EXPECT_EQ(lampMode ? 1u : 0u, CommandsStartingWith("tv_sparecopy").size());
    EXPECT_EQ(c.reStroke ? 1u : 0u, CommandsStartingWith("tv_reapply").size());
  }

  // With automatic lighten/darken the draw mode is switched first, then the
  // stroke is taken back and applied again.
  GState.PaintModeBits = kPaintCieLighten;
  GState.AutoLightenDarken = 1;
  GState.LightMode = kLightNative;
  GState.StoredValue = 2.0f;
  host->ClearRecords();
  Gesture(*host, OnPalette(0, 0, kLeft, kCtrl), {{kPaletteCentreX + 5, kPaletteCentreY + 5}});
  std::vector<std::string> sent = CommandsWithoutReload();
  ASSERT_EQ(6u, sent.size());
  EXPECT_EQ(0u, sent[0].rfind("tv_SetAPen ", 0)) << sent[0];
  const std::vector<std::string> expected = {"tv_getActiveShape", "tv_GetActiveTool", "airbrush mode darken",
                                             "tv_undo", "tv_reapply"};
  EXPECT_EQ(expected, std::vector<std::string>(sent.begin() + 1, sent.end()));
}

TEST_F(PanelGestures, SliderModesLockAndDrags) {
  OpenWith({0, 128, 0, 255});
  const Pointer ctrlRight = OnSwatch(90, 60, kRight, kCtrl);
  // Ctrl + right click cycles 1 -> 2 -> 3 -> 1, reloading the A-B gradient
  // only on arrival at 3.
  const int32_t modes[] = {kSliderPalette, kSliderGradient, kSliderLabValue};
  const size_t reloads[] = {0, 256, 0};
  for (int i = 0; i < 3; ++i) {
    host->ClearRecords();
    Press(*host, ctrlRight);
    Release(*host, ctrlRight);
    EXPECT_EQ(modes[i], GState.SliderMode);
    EXPECT_EQ(reloads[i], CommandsStartingWith("tv_RangeGrab").size());
  }
  Press(*host, OnSwatch(90, 60, kLeft, kCtrl));
  EXPECT_EQ(1, GState.LumaLock);
  Press(*host, OnSwatch(90, 60, kLeft, kCtrl));
  EXPECT_EQ(0, GState.LumaLock);

  // Absolute (left): half way along is L* 50; one A pen per step and no
  // gradient reload while the slider is dragged.
  host->ClearRecords();
  Pointer p = OnSwatch(40, 60);
  Press(*host, p);
  p = At(p, 2 + 177 / 2, 60);
  Drag(*host, p);
  EXPECT_NEAR(100.0f * 88.0f / 177.0f, GState.SliderCoords.c0, 1e-4f);
  EXPECT_NEAR(GState.SliderCoords.c0, PanelRgbToLab(GState.CurrentRgb).c0, 0.5f);
  EXPECT_EQ(0u, CommandsStartingWith("tv_RangeGrab").size());
  Release(*host, p);
  EXPECT_EQ(1u, CommandsStartingWith("tv_SetAPen").size());
  // The slider shows lightness: the range is read when it shows the gradient.
  EXPECT_EQ(0u, CommandsStartingWith("tv_RangeGrab").size());
  EXPECT_EQ(1, GState.GradientStale);

  // Fine (right): half the travel along x + y, times the mouse factor,
  // clamped to 0..100 in the LAB mode and 0..255 otherwise.
  struct Fine {
    int32_t mode;
    float start;
    int32_t travelX;
    float expected;
  };
  const Fine fines[] = {
      {kSliderLabValue, 40.0f, 10, 40.0f + 5 * kMouseFactor},
      {kSliderLabValue, 40.0f, 11, 40.0f + 5 * kMouseFactor},  // the halving truncates
      {kSliderLabValue, 1.0f, -100, 0.0f},
      {kSliderLabValue, 99.0f, 100, 100.0f},
      {kSliderGradient, 250.0f, 100, 255.0f},
  };
  for (const Fine& f : fines) {
    SCOPED_TRACE("mode " + std::to_string(f.mode) + " travel " + std::to_string(f.travelX));
    GState.SliderMode = f.mode;
    p = OnSwatch(80, 60, kRight);
    Press(*host, p);
    GState.SliderCoords.c0 = f.start;
    Drag(*host, At(p, 80 + f.travelX, 60));
    EXPECT_NEAR(f.expected, GState.SliderCoords.c0, 1e-4f);
    Release(*host, p);
  }
}

TEST_F(PanelGestures, SwatchMixFollowsPressureAndThinsFullPressureDrags) {
  OpenWith({0, 0, 0, 255});
  GState.PressureSensitivity = 255;
  GState.BasePixel = host->ToPixel({255, 255, 255, 255});
  Pointer p = OnSwatch(10, 30);  // the base swatch
  Press(*host, p);
  // Full pressure with pen pressure on: every second drag event is handled.
  Drag(*host, p);
  EXPECT_TRUE(CommandsStartingWith("tv_SetAPen").empty());
  Drag(*host, p);
  EXPECT_EQ("tv_SetAPen 13 13 13", LastAPen());  // one pick moves about 5.2 %
  Drag(*host, p);
  EXPECT_EQ(1u, CommandsStartingWith("tv_SetAPen").size());
  p.pressure = 254;
  Drag(*host, p);
  Drag(*host, p);
  EXPECT_EQ(3u, CommandsStartingWith("tv_SetAPen").size());
  Release(*host, p);

  // The upper half mixes from the host's B pen.
  host->bPen = {0, 0, 255, 255};
  GState.PressureSensitivity = 64;  // above the sensitivity the pick replaces the colour
  p = OnSwatch(10, 10);
  p.pressure = 100;
  Gesture(*host, p, {{12, 12}});
  EXPECT_EQ("tv_SetAPen 0 0 255", LastAPen());
  EXPECT_EQ(host->ToPixel({0, 0, 255, 255}), GState.CurrentPixel);
}

TEST_F(PanelGestures, SwatchPressesAndTheCurrentSwatch) {
  OpenWith({30, 60, 90, 255});
  host->aPen = {1, 2, 3, 255};
  Press(*host, OnSwatch(10, 10, kLeft, kCtrl));  // B swatch takes the A pen
  EXPECT_EQ(std::vector<std::string>{"tv_SetBPen 1 2 3"}, CommandsStartingWith("tv_SetBPen"));
  Press(*host, OnSwatch(10, 30, kLeft, kCtrl));  // the base swatch too
  EXPECT_EQ(host->ToPixel({1, 2, 3, 255}), GState.BasePixel);

  // The current swatch: the press arms the weighted pick, a Ctrl release
  // sends the colour command and keeps it armed, a plain release starts it.
  const Pointer current = OnSwatch(120, 20);
  Press(*host, current);
  EXPECT_EQ(kModeWeightedArmed, GState.ModeFlags);
  Release(*host, OnSwatch(120, 20, kLeft, kCtrl));
  EXPECT_EQ(std::vector<std::string>{"tv_setColor 99999"}, CommandsStartingWith("tv_setColor"));
  EXPECT_EQ(kModeWeightedArmed, GState.ModeFlags);
  Release(*host, At(current, 182, 20));  // past the swatch: nothing starts
  EXPECT_EQ(kModeWeightedArmed, GState.ModeFlags);
  Release(*host, current);
  EXPECT_EQ(kModeWeightedArmed | kModePick, GState.ModeFlags);
  Press(*host, current);  // any press on the band ends the pick mode
  EXPECT_EQ(0, GState.ModeFlags & kModePick);

  // Right release: the pick keeps the base colour.
  GState.ModeFlags = 0;
  Press(*host, current);
  Release(*host, OnSwatch(120, 20, kRight));
  EXPECT_EQ(kModeKeepBase | kModePick, GState.ModeFlags);
}

TEST_F(PanelGestures, NoticesAndToggles) {
  OpenWith({40, 50, 60, 255});
  const Pixel base = GState.BasePixel;
  EXPECT_EQ(host->ToPixel({40, 50, 60, 255}), GState.CurrentPixel);
  EXPECT_EQ(base, GState.CurrentPixel);
  host->aPen = {70, 80, 90, 255};
  host->ClearRecords();
  host->SendEvent(GState.PanelRequester, kEventColourNotice, {});
  EXPECT_EQ(host->ToPixel({70, 80, 90, 255}), GState.CurrentPixel);
  EXPECT_EQ(2u, CountCalls(kFnRequesterOp, kReqSetGadgetImage)) << "the swatches and the palette show the colour";
  EXPECT_EQ(base, GState.BasePixel);

  GState.AutoTrimPending = 1;  // without Auto Trim the pending fill is dropped
  host->SendEvent(GState.PanelRequester, kEventRefresh, {});
  EXPECT_EQ(0, GState.AutoTrimPending);

  struct Toggle {
    int32_t gadget;
    int32_t bit;
  };
  for (const Toggle t : {Toggle{kDirt, kPaintDirt}, Toggle{kLoad, kPaintLoad}, Toggle{kRot, kPaintRot}}) {
    SCOPED_TRACE(t.gadget);
    host->ClearRecords();
    GState.LoadLevel = 20.0f;
    const Pointer button{t.gadget, 5, 5, kLeft, 255, 0};
    Release(*host, button);
    EXPECT_EQ(t.bit, GState.PaintModeBits & t.bit);
    Release(*host, button);
    EXPECT_EQ(0, GState.PaintModeBits & t.bit);
    const auto states = FindCalls(kFnRequesterOp, kReqSetGadgetState);
    ASSERT_EQ(2u, states.size());
    EXPECT_EQ(kGadgetToggleOn, states[0]->pack[3]);
    EXPECT_EQ(kGadgetToggleOff, states[1]->pack[3]);
    // Dirt off sends the clean colour again (before the watch, closing,
    // sends the current one); Load off fills the load up.
    EXPECT_EQ(t.gadget == kDirt ? 2u : 1u, CommandsStartingWith("tv_SetAPen").size());
    EXPECT_EQ(t.gadget == kLoad ? 100.0f : 20.0f, GState.LoadLevel);
  }
}

}  // namespace
