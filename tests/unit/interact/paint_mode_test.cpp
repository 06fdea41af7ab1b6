// The paint modes through the panel: the corner button in its three
// variants (the host dialogue for a shape and for a tool), the lamp button,
// the paint-source refresh in both forms, and the CIE passes end to end on
// the layer's pixels.
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "colour/current_colour.h"
#include "colour/lighten_darken_filter.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/paint_mode.h"
#include "panel/lamp_picture.h"
#include "support/panel_driver.h"
#include "support/plugin_host.h"

namespace {

using namespace paneltest;

const char kLighten[] = "tv_plugin \"tintwell\" cmd \"l\"";
const char kDarken[] = "tv_plugin \"tintwell\" cmd \"d\"";

class PaintModes : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    std::strcpy(host->Context()->Name, "Tintwell");
    GState.ShowPalette = 1;
    GState.ShowFxBrush = 1;
    ASSERT_EQ(1, host->Parameters(nullptr));
    host->ClearRecords();
  }
  // The dialogue without the pen and gradient traffic of the redraws.
  std::vector<std::string> Dialogue() const {
    std::vector<std::string> kept;
    for (const std::string& c : host->CommandTexts()) {
      if (c.rfind("tv_RangeGrab", 0) != 0 && c.rfind("tv_Get", 0) != 0 && c.rfind("tv_Set", 0) != 0) {
        kept.push_back(c);
      }
    }
    return kept;
  }
  void Corner(int32_t buttons, int32_t qualifier = 0) { Press(*host, OnPalette(70, -70, buttons, qualifier)); }
  void Lamp(int32_t buttons) {
    Pointer p;
    p.gadget = kLamp;
    p.buttons = buttons;
    Release(*host, p);
  }
};

using Commands = std::vector<std::string>;

TEST_F(PaintModes, CornerSwitchesEachVariant) {
  struct Case {
    const char* name;
    int32_t lightMode;
    const char* shape;
    const char* hostMode;
    int32_t buttons, qualifier, bitsBefore, autoBefore;
    Commands expected;
    int32_t bitsAfter, autoAfter;
    const char* hostModeAfter;
  };
  const char* shape = "tv_getActiveShape";
  const Case cases[] = {
      {"native, shape, on", kLightNative, "RectangleFill x", "color", kLeft, 0, 0, 0,
       {shape, "tv_getDrawMode", "tv_setdrawmode lighten"}, kPaintCieLighten, 0, "lighten"},
      {"native, tool, host lightens, right: off", kLightNative, "freehandline", "Lighten", kRight, 0, 0, 0,
       {shape, "tv_getDrawMode", "airbrush mode color"}, 0, 0, "color"},
      {"native, Ctrl: automatic on", kLightNative, "flood", "color", kLeft, kCtrl, 0, 0,
       {shape, "tv_getDrawMode", "tv_setdrawmode lighten"}, kPaintCieLighten, 1, "lighten"},
      {"native, Ctrl again: off", kLightNative, "flood", "lighten", kLeft, kCtrl, kPaintCieLighten, 1,
       {shape, "tv_getDrawMode", "tv_setdrawmode color"}, 0, 0, "color"},
      {"native, Ctrl on the lit side, host plain: automatic toggles off", kLightNative, "flood", "color", kLeft, kCtrl,
       kPaintCieLighten, 1, {shape, "tv_getDrawMode", "tv_setdrawmode lighten"}, kPaintCieLighten, 0, "lighten"},
      {"additive, shape, right", kLightAdditive, "flood", "color", kRight, 0, 0, 1,
       {shape, "tv_getDrawMode", "tv_setdrawmode colorize"}, kPaintCieDarken, 0, "colorize"},
      {"additive, tool, host adds: off", kLightAdditive, "line", "add", kLeft, 0, 0, 0,
       {shape, "tv_getDrawMode", "airbrush mode color"}, 0, 0, "color"},
      {"additive, empty reply: on", kLightAdditive, "flood", "", kLeft, kCtrl, 0, 0,
       {shape, "tv_getDrawMode", "tv_setdrawmode add"}, kPaintCieLighten, 1, "add"},
      {"CIE, left: lighten source", kLightCie, "flood", "color", kLeft, 0, 0, 1,
       {shape, kLighten, "tv_sparecopy", "tv_undo", "tv_setdrawmode merge"}, kPaintLampOn | kPaintCieLighten, 0,
       "merge"},
      {"CIE, left again: off", kLightCie, "flood", "merge", kLeft, 0, kPaintLampOn | kPaintCieLighten, 1,
       {shape, "tv_setdrawmode color"}, 0, 1, "color"},
      {"CIE, right on lighten: darken", kLightCie, "flood", "merge", kRight, 0, kPaintLampOn | kPaintCieLighten, 0,
       {shape, kDarken, "tv_sparecopy", "tv_undo", "tv_setdrawmode merge"}, kPaintLampOn | kPaintCieDarken, 0,
       "merge"},
      {"unknown mode", 7, "flood", "color", kLeft, 0, kPaintCieDarken, 1, {shape}, kPaintCieDarken, 0, "color"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GState.LightMode = c.lightMode;
    GState.PaintModeBits = c.bitsBefore;
    GState.AutoLightenDarken = c.autoBefore;
    host->activeShape = c.shape;
    host->drawMode = c.hostMode;
    host->ClearRecords();
    Corner(c.buttons, c.qualifier);
    EXPECT_EQ(c.expected, Dialogue());
    EXPECT_EQ(c.bitsAfter, GState.PaintModeBits);
    EXPECT_EQ(c.autoAfter, GState.AutoLightenDarken);
    EXPECT_EQ(c.hostModeAfter, host->drawMode);
  }
  EXPECT_TRUE(host->Faults().empty());
}

// The CIE corner has our own filter pass make the source: the spare page
// holds the layer lightened (or darkened) toward the current colour exactly
// as the filter computes it, and the layer itself is back as it was.
TEST_F(PaintModes, CieSourceIsTheFilteredLayerOnTheSparePage) {
  std::mt19937 random(7);
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      const uint32_t v = random();
      host->PaintPixel(x, y, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t((v >> 24) % 3 ? 255 : v >> 24)});
    }
  }
  const std::vector<simhost::Rgba> original = host->CurrentLayer()->pixels;
  GState.LightMode = kLightCie;
  for (const int32_t buttons : {kLeft, kRight}) {
    SCOPED_TRACE(buttons);
    std::vector<Pixel> expected(original.size());
    for (size_t i = 0; i < original.size(); ++i) expected[i] = host->ToPixel(original[i]);
    HostImage image{64, 48, {}, expected.data()};
    CieLightenDarkenFilter(host->Context(), &image, &image, buttons == kLeft ? 1 : 0, CurrentColour());

    Corner(buttons);
    ASSERT_EQ(original.size(), host->sparePage.size());
    for (size_t i = 0; i < original.size(); ++i) {
      ASSERT_EQ(host->FromPixel(expected[i]), host->sparePage[i]) << "pixel " << i;
    }
    EXPECT_TRUE(host->CurrentLayer()->pixels == original);
    EXPECT_EQ("merge", host->drawMode);
  }
  EXPECT_TRUE(host->Faults().empty());
}

// The lamp button's states and the lamp pictures shown for them, in order,
// told apart by the colour of their glass: D dark, G green, R red, L lime,
// O orange.
TEST_F(PaintModes, LampSwitchesTheSourceAndShowsEachState) {
  std::string shown;
  host->ObserveCalls([&shown](const simhost::DispatchRecord& call) {
    if (call.function != kFnRequesterOp || call.subOperation != kReqSetGadgetImage || call.pack[2] != kLamp) return;
    const HostImage* image = reinterpret_cast<const HostImage*>(call.pack[3]);
    const int32_t centre = 10 * kLampIconSide + 10;
    const Pixel p = image->Pixels[centre];
    for (const auto& [type, letter] : {std::pair<int32_t, char>{kLampTypeOff, 'D'}, {kLampTypeGreen, 'G'},
                                       {kLampTypeRed, 'R'}, {kLampTypeLime, 'L'}, {kLampTypeOrange, 'O'}}) {
      const LampIcon& icon = LampIconForType(type);
      const uint8_t* rgb = icon.Palette + 3 * icon.Index[centre];
      bool same = true;
      for (int c = 0; c < 3; ++c) same = same && uint8_t(p >> (8 * image->ChannelPositions[c])) == rgb[c];
      if (same) {
        shown += letter;
        return;
      }
    }
    shown += '?';
  });
  // Each step: the lamp pictures shown, the commands sent, the bits after.
  const Commands source{"tv_stackapply", "tv_sparecopy", "tv_undo", "tv_setdrawmode merge"};
  const Commands refresh{"tv_stackapply", "tv_sparecopy", "tv_undo"};
  struct Step {
    const char* name;
    std::function<void()> act;
    const char* lamps;
    Commands commands;
    int32_t bits;
  };
  GState.LightMode = kLightCie;
  GState.PaintModeBits = kPaintCieLighten;  // the lamp's own source is the FX stack
  const Step steps[] = {
      {"right on the dark lamp", [this] { Lamp(kRight); }, "D", {}, kPaintCieLighten},
      {"lamp on", [this] { Lamp(kLeft); }, "RG", source, kPaintLampOn},
      {"refresh state on", [this] { Lamp(kRight); }, "OL", source, kPaintLampOn | kPaintLampAlt},
      {"refresh notice", [this] { host->SendEvent(GState.PanelRequester, kEventRefresh, {}); }, "OL", refresh,
       kPaintLampOn | kPaintLampAlt},
      {"refresh state off", [this] { Lamp(kRight); }, "RG", source, kPaintLampOn},
      {"stroke ends", [this] { Release(*host, OnSwatch(20, 10)); }, "RG", refresh, kPaintLampOn},
      {"refresh state on again", [this] { Lamp(kRight); }, "OL", source, kPaintLampOn | kPaintLampAlt},
      {"lamp off, the refresh choice stays", [this] { Lamp(kLeft); }, "D", {"tv_setdrawmode color"}, kPaintLampAlt},
      {"CIE corner on", [this] { Corner(kLeft); }, "OL",
       {"tv_getActiveShape", kLighten, "tv_sparecopy", "tv_undo", "tv_setdrawmode merge"},
       kPaintLampOn | kPaintLampAlt | kPaintCieLighten},
      {"CIE corner off", [this] { Corner(kLeft); }, "D", {"tv_getActiveShape", "tv_setdrawmode color"}, kPaintLampAlt},
      {"native corner", [this] { GState.LightMode = kLightNative; Corner(kRight); }, "D",
       {"tv_getActiveShape", "tv_getDrawMode", "airbrush mode darken"}, kPaintLampAlt | kPaintCieDarken},
      {"FX-brush row hidden", [this] { GState.ShowFxBrush = 0; Lamp(kLeft); }, "", source,
       kPaintLampOn | kPaintLampAlt},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    shown.clear();
    host->ClearRecords();
    s.act();
    EXPECT_EQ(s.lamps, shown);
    EXPECT_EQ(s.commands, Dialogue());
    EXPECT_EQ(s.bits, GState.PaintModeBits);
  }
  host->ObserveCalls(nullptr);
  EXPECT_TRUE(host->Faults().empty());
}

// The release form takes the CIE side only in the CIE variant; the refresh
// form goes by the side bits whatever the variant.
TEST_F(PaintModes, SourceRefreshFollowsStrokesAndRefreshNotices) {
  struct Case {
    bool onRefresh;
    int32_t bits, lightMode;
    const char* source;
  };
  const Case cases[] = {
      {false, kPaintLampOn | kPaintCieDarken, kLightCie, kDarken},
      {false, kPaintLampOn | kPaintCieLighten, kLightCie, kLighten},
      {false, kPaintLampOn | kPaintCieDarken, kLightNative, "tv_stackapply"},
      {false, kPaintLampOn, kLightCie, "tv_stackapply"},
      {true, kPaintLampOn | kPaintLampAlt | kPaintCieLighten, kLightNative, kLighten},
      {true, kPaintLampOn | kPaintLampAlt | kPaintCieDarken, kLightAdditive, kDarken},
      {true, kPaintLampOn | kPaintLampAlt, kLightCie, "tv_stackapply"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source) + (c.onRefresh ? " on refresh" : " on release"));
    GState.PaintModeBits = c.bits;
    GState.LightMode = c.lightMode;
    host->ClearRecords();
    if (c.onRefresh) {
      host->SendEvent(GState.PanelRequester, kEventRefresh, {});
    } else {
      Release(*host, OnSwatch(20, 10));
    }
    EXPECT_EQ((Commands{c.source, "tv_sparecopy", "tv_undo"}), Dialogue());
    EXPECT_EQ(c.bits, GState.PaintModeBits);
  }
  // While something samples the canvas, refresh notices reload it instead.
  GState.RingLockBits = kLockRing;
  host->ClearRecords();
  host->SendEvent(GState.PanelRequester, kEventRefresh, {});
  EXPECT_EQ(Commands{}, Dialogue());
  EXPECT_EQ(1u, CountCalls(kFnReadProjectImage));
  EXPECT_TRUE(host->Faults().empty());
}

}  // namespace
