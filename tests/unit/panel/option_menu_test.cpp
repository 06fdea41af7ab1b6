// The option menu: the entries each panel state shows, their texts and check
// marks as the host receives them, and what each chosen entry changes.
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "panel/option_menu.h"
#include "panel_fixture.h"
#include "requesters/vectorscope_window.h"
#include "store/builtin_texts.h"

namespace {

using PanelMenu = PanelTest;

using IdFlags = std::vector<std::pair<int32_t, int32_t>>;

IdFlags IdsAndFlags(const std::vector<simhost::MenuItemRecord>& items) {
  IdFlags out;
  for (const auto& item : items) out.emplace_back(item.id, item.flags);
  return out;
}

// Every option at its "on" value, slider in the colour-scheme mode.
void SetEverythingOn() {
  GState.ShowPalette = 1;
  GState.SliderMode = kSliderPalette;
  GState.ShowFxBrush = 1;
  GState.LumaLock = 1;
  GState.LightMode = kLightCie;
  GState.GamutMode = kGamutNarrow;
  GState.XyzMixMode = 1;
  GState.AggressiveAutosample = 1;
  GState.PaintModeBits = kPaintSizeLock | kPaintAutoTrim;
  GState.PressureSensitivity = -200;
  GState.VectorscopeMode = kScopeWaveform;
  GState.PopHelp = 1;
}

// Every option off, every section hidden.
void SetEverythingOff() {
  GState.ShowPalette = 0;
  GState.SliderMode = kSliderHidden;
  GState.ShowFxBrush = 0;
  GState.LumaLock = 0;
  GState.LightMode = kLightNative;
  GState.GamutMode = kGamutOff;
  GState.XyzMixMode = 0;
  GState.AggressiveAutosample = 0;
  GState.PaintModeBits = 0;
  GState.PressureSensitivity = 255;
  GState.VectorscopeMode = kScopeOff;
  GState.PopHelp = 0;
}

TEST_F(PanelMenu, EntriesFollowSectionsAndOptions) {
  struct Case {
    const char* name;
    void (*setUp)();
    IdFlags expected;
  };
  const Case cases[] = {
      {"everything shown and on", [] { SetEverythingOn(); },
       {{10, 0x08}, {22, 0x08}, {90, 0x08}, {0, 0x01}, {30, 0x08}, {0, 0x01}, {20, 0x20}, {25, 0x28},
        {24, 0x20}, {100, 0x20}, {101, 0x28}, {102, 0x20}, {60, 0x20}, {61, 0x28}, {50, 0x28}, {51, 0x28},
        {53, 0x08}, {40, 0x28}, {23, 0x28}, {52, 0x08}, {0, 0x01}, {80, 0x08}, {85, 0}}},
      {"everything hidden and off", [] { SetEverythingOff(); },
       {{10, 0}, {22, 0}, {90, 0}, {0, 0x01}, {100, 0x28}, {101, 0x20}, {102, 0x20}, {50, 0x20}, {51, 0x20},
        {53, 0}, {40, 0x20}, {23, 0x20}, {52, 0}, {0, 0x01}, {80, 0}, {85, 0}}},
      {"slider only, A-B gradient", [] { SetEverythingOff(); GState.SliderMode = kSliderGradient; GState.LightMode = kLightAdditive; },
       {{10, 0}, {22, 0x08}, {90, 0}, {0, 0x01}, {30, 0}, {0, 0x01}, {20, 0x20}, {25, 0x20}, {24, 0x28},
        {50, 0x20}, {51, 0x20}, {53, 0}, {40, 0x20}, {23, 0x20}, {52, 0}, {0, 0x01}, {80, 0}, {85, 0}}},
      {"palette only, mouse mode at 0", [] { SetEverythingOff(); GState.ShowPalette = 1; GState.GamutMode = kGamutWide; GState.PressureSensitivity = 0; },
       {{10, 0x08}, {22, 0}, {90, 0}, {0, 0x01}, {100, 0x28}, {101, 0x20}, {102, 0x20}, {60, 0x28}, {61, 0x20},
        {50, 0x20}, {51, 0x20}, {53, 0}, {40, 0x28}, {23, 0x20}, {52, 0}, {0, 0x01}, {80, 0}, {85, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.setUp();
    const auto items = Choose(0);
    EXPECT_EQ(c.expected, IdsAndFlags(items));
    for (const auto& item : items) {
      if (item.id == 0) {
        EXPECT_EQ("", item.text);
      }
    }
  }
  // Item words 3..12 and the terminator are checked by the host.
  EXPECT_EQ("", FaultText());
}

TEST_F(PanelMenu, TextsAreBuiltInOrLocalisedAndWhole) {
  SetEverythingOn();
  std::vector<std::string> expected = {"Show/Hide Palette",
                                       "Show/Hide Value-Slider",
                                       "Show/Hide FXBrush Section",
                                       "",
                                       "Slider Lock",
                                       "",
                                       "Options/Slider/LAB Value",
                                       "Options/Slider/Palette",
                                       "Options/Slider/A-B Gradient",
                                       "Options/Lightbulb Button/Native Lighten-Darken",
                                       "Options/Lightbulb Button/CIE Lighten-Darken",
                                       "Options/Lightbulb Button/Additive-Colorize",
                                       "Options/NTSC Gamut warning/(0-100)",
                                       "Options/NTSC Gamut warning/(10-90)",
                                       "Options/XYZ Weighted Colour picker",
                                       "Options/Aggressive Autosample",
                                       "Options/Auto Trim",
                                       "Options/Mouse Pressure-Mode",
                                       "Options/Vectorscope",
                                       BuiltinText(texts::kMenuBrushSizeLock),
                                       "",
                                       "Quick Help",
                                       "About Tintwell..."};
  std::vector<std::string> texts;
  for (const auto& item : Choose(0)) texts.push_back(item.text);
  EXPECT_EQ(expected, texts);

  // Two ASCII bytes, then two-byte GBK characters, far longer than any
  // built-in entry: the menu keeps it whole until it closes.
  std::string longText = "ab";
  for (int i = 0; i < 200; ++i) longText += "\xB2\xCE";
  Localise({{10020, "Palette ein/aus"}, {10070, ""}, {20025, longText}, {10060, "Optionen/Vektorskop"}});
  SetEverythingOn();
  expected[0] = "Palette ein/aus";
  expected[18] = "Optionen/Vektorskop";
  expected[22] = longText;
  texts.clear();
  for (const auto& item : Choose(0)) texts.push_back(item.text);
  EXPECT_EQ(expected, texts);  // the empty 10070 falls back to the built-in text
  EXPECT_EQ("", FaultText());
}

TEST_F(PanelMenu, EachEntrySwitchesItsOption) {
  struct Case {
    int32_t id;
    int32_t* field;
    int32_t before;
    int32_t after;
  };
  const Case cases[] = {
      {10, &GState.ShowPalette, 1, 0},          {10, &GState.ShowPalette, 0, 1},
      {90, &GState.ShowFxBrush, 0, 1},          {90, &GState.ShowFxBrush, 1, 0},
      {30, &GState.LumaLock, 0, 1},             {30, &GState.LumaLock, 1, 0},
      {50, &GState.XyzMixMode, 1, 0},           {51, &GState.AggressiveAutosample, 0, 1},
      {60, &GState.GamutMode, 0, 1},            {60, &GState.GamutMode, 1, 0},
      {60, &GState.GamutMode, 2, 1},            {61, &GState.GamutMode, 1, 2},
      {61, &GState.GamutMode, 2, 0},            {100, &GState.LightMode, 2, 0},
      {101, &GState.LightMode, 0, 1},           {102, &GState.LightMode, 1, 2},
      {20, &GState.SliderMode, 1, 0},           {20, &GState.SliderMode, 2, 1},
      {20, &GState.SliderMode, 3, 1},           {22, &GState.SliderMode, 0, 1},
      {22, &GState.SliderMode, 2, 0},           {24, &GState.SliderMode, 3, 0},
      {24, &GState.SliderMode, 1, 3},           {25, &GState.SliderMode, 2, 0},
      {25, &GState.SliderMode, 3, 2},           {23, &GState.VectorscopeMode, 0, 1},
      {23, &GState.VectorscopeMode, 2, 0},      {80, &GState.PopHelp, 0, 1},
      {80, &GState.PopHelp, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("id " + std::to_string(c.id) + " from " + std::to_string(c.before));
    TearDown();
    SetUp();
    GState.ShowPalette = 1;
    GState.SliderMode = kSliderLabValue;
    *c.field = c.before;
    OpenPanel();
    Choose(c.id);
    EXPECT_EQ(c.after, *c.field);
    EXPECT_EQ(SectionHeight(), PanelHeight());  // sections laid out anew
    EXPECT_EQ("", FaultText());
  }
}

TEST_F(PanelMenu, SliderEntriesSetTheCoordinatesOnlyWhenTheyShowTheLabSlider) {
  const ColourTriple red = {255.0f, 0.0f, 0.0f, 255};
  const ColourTriple stale = {-7.0f, -8.0f, -9.0f, 1};
  struct Case {
    int32_t id;
    int32_t before;
    float c0;  // expected SliderCoords.c0; stale.c0 for "unchanged"
  };
  const Case cases[] = {
      {22, kSliderHidden, 53.2f},      // shown in LAB mode: L of red
      {20, kSliderGradient, 53.2f},
      {20, kSliderLabValue, 255.0f},   // hidden: the HSV value space, value 1
      {24, kSliderLabValue, -7.0f},
      {25, kSliderGradient, -7.0f},
      {22, kSliderPalette, -7.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("id " + std::to_string(c.id) + " from mode " + std::to_string(c.before));
    GState.SliderMode = c.before;
    GState.CurrentRgb = red;
    GState.SliderCoords = stale;
    Choose(c.id);
    EXPECT_NEAR(c.c0, GState.SliderCoords.c0, 0.05f);
  }
}

TEST_F(PanelMenu, MousePressureModeKeepsTheSensitivityAndAsksOnTheWayBack) {
  struct Case {
    int32_t before;
    bool answered;
    int32_t answer;
    const char* asked;  // the ask's record, "" when nothing is asked
    int32_t after;
  };
  const Case cases[] = {
      {200, false, 0, "", -200},
      {-200, false, 0, "200 -> cancelled", 200},
      {0, false, 0, "64 -> cancelled", 64},
      {-10, true, 128, "64 -> 128", 128},
      {-100, true, 300, "100 -> 255", 255},
      // A stored value beyond the range comes back within it.
      {-1000, false, 0, "1000 -> cancelled", 255},
      {INT_MIN, false, 0, "2147483647 -> cancelled", 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    host->ClearRecords();
    GState.PressureSensitivity = c.before;
    host->SetAskIntegerAnswer(c.answered ? std::optional<int32_t>(c.answer) : std::nullopt);
    Choose(kMenuIdMousePressure);
    EXPECT_EQ(c.after, GState.PressureSensitivity);
    const auto asks = FindCalls(kFnAskInteger);
    if (!*c.asked) {
      EXPECT_TRUE(asks.empty());
      continue;
    }
    ASSERT_EQ(1u, asks.size());
    EXPECT_EQ(c.asked, asks[0]->output);
    EXPECT_EQ("Set pressure sensitivity (default = 255)", asks[0]->texts[0]);
    EXPECT_EQ(64, asks[0]->pack[2]);
    EXPECT_EQ(255, asks[0]->pack[3]);
  }
}

TEST_F(PanelMenu, QuickHelpOffClearsTitleAndHelpsAndStopsTracking) {
  GState.ShowPalette = 1;
  GState.PopHelp = 1;
  const RequesterHandle panel = OpenPanel();
  HostSetRequesterTitle(Context(), panel, "somewhere");
  HostSetGadgetHelp(Context(), panel, kSwatchGadget, "swatch help");
  HostSetGadgetHelp(Context(), panel, kPaletteGadget, "palette help");
  host->ClearRecords();

  Choose(kMenuIdQuickHelp);

  EXPECT_EQ(0, GState.PopHelp);
  EXPECT_EQ("Tintwellv7.50", Title());
  EXPECT_EQ("", Help(kSwatchGadget));
  EXPECT_EQ("", Help(kPaletteGadget));
  EXPECT_FALSE(host->FindRequester(panel)->tracking);
  const std::vector<std::string> expected = {
      "HostPopupMenu(ptr, 18, 0) -> 80 \"80\"",
      "HostSetRequesterTitle(" + std::to_string(panel) + ", \"Tintwellv7.50\", 0, 0, 0) -> 1",
      "HostSetGadgetHelp(" + std::to_string(panel) + ", 100, \"\") -> 1",
      "HostSetGadgetHelp(" + std::to_string(panel) + ", 110, \"\") -> 1",
      "HostSetPointerTracking(" + std::to_string(panel) + ", 0, 0, 0) -> 1",
  };
  EXPECT_EQ(expected, host->Dialogue());

  host->ClearRecords();
  Choose(kMenuIdQuickHelp);
  EXPECT_EQ(1, GState.PopHelp);
  EXPECT_TRUE(host->FindRequester(panel)->tracking);
  EXPECT_EQ(2u, host->Calls().size());  // the menu and the tracking
  EXPECT_EQ("", FaultText());
}

TEST_F(PanelMenu, ChoicesAboveThePanelAreRunByTheCaller) {
  // Vectorscope off closes its window and keeps its place.
  GState.VectorscopeMode = kScopeWaveform;
  OpenPanel();
  OpenScopeWindow(Context());
  const RequesterHandle scope = GState.VectorscopeRequester;
  ASSERT_NE(0, scope);
  host->MoveRequester(scope, 70, 80, 185, 185);
  Choose(kMenuIdVectorscope);
  EXPECT_EQ(0, GState.VectorscopeRequester);
  EXPECT_EQ(nullptr, host->FindRequester(scope));
  EXPECT_EQ(70, GState.VectorscopeX);
  EXPECT_EQ(80, GState.VectorscopeY);
  // On again opens nothing yet.
  Choose(kMenuIdVectorscope);
  EXPECT_EQ(kScopeWaveform, GState.VectorscopeMode);
  EXPECT_EQ(0, GState.VectorscopeRequester);

  // Size lock and auto trim are watched on the canvas by the pick window.
  GState.BrushSizeLock = 250;
  GState.BrushSizeLockSize = 12.0f;
  Choose(kMenuIdBrushSizeLock);
  EXPECT_EQ(kPaintSizeLock, GState.PaintModeBits);
  EXPECT_EQ(-1, GState.BrushSizeLock);
  EXPECT_EQ(-1.0f, GState.BrushSizeLockSize);
  EXPECT_NE(0, GState.PickRequester);
  GState.AutoTrimPending = 1;
  Choose(kMenuIdAutoTrim);
  EXPECT_EQ(kPaintSizeLock | kPaintAutoTrim, GState.PaintModeBits);
  EXPECT_EQ(0, GState.AutoTrimPending);
  Choose(kMenuIdBrushSizeLock);
  EXPECT_NE(0, GState.PickRequester);  // auto trim alone keeps the watch
  Choose(kMenuIdAutoTrim);
  EXPECT_EQ(0, GState.PaintModeBits);
  EXPECT_EQ(0, GState.PickRequester);
  EXPECT_EQ(nullptr, GState.PickImage);

  Choose(kMenuIdAbout);
  ASSERT_EQ(1u, host->Messages().size());
  EXPECT_NE(std::string::npos, host->Messages()[0].find("Thank you for painting with Tintwell!"));
  EXPECT_EQ("", FaultText());
}

}  // namespace
