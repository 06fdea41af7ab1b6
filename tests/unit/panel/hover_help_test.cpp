// The hover help: which panel area a pointer position names, at the edges of
// every area, and what the host's title bar and gadget help show as the
// pointer moves, with built-in and localised texts.
#include <string>
#include <vector>

#include "panel/help_texts.h"
#include "panel_fixture.h"
#include "store/builtin_texts.h"

namespace {

using PanelHover = PanelTest;

// Panel position of the palette picture's centre for the hover help.
constexpr int32_t kCentreX = 91;
constexpr int32_t kCentreY = 140;  // 172 with the slider

TEST_F(PanelHover, AreasAtTheirEdges) {
  struct Case {
    int32_t slider;  // SliderMode
    int32_t palette;
    int32_t light;   // LightMode
    int32_t x, y;
    int32_t title;   // 0: no help here
  };
  const int32_t cx = kCentreX;
  const int32_t cy = kCentreY;
  const int32_t sy = kCentreY + 32;  // centre with the slider shown
  const Case cases[] = {
      // Swatch band.
      {0, 1, 0, 1, 1, 50002},
      {0, 1, 0, 91, 23, 50002},
      {0, 1, 0, 91, 24, 50000},
      {0, 1, 0, 91, 47, 50000},
      {0, 1, 0, 92, 1, 50004},
      {0, 1, 0, 184, 47, 50004},
      {0, 1, 0, 10, 48, 0},  // the row between band and palette
      // Value slider, titled by its mode.
      {3, 1, 0, 10, 48, 50006},
      {2, 1, 0, 10, 79, 50007},
      {1, 1, 0, 10, 60, 50008},
      {1, 1, 0, 10, 80, 0},
      {1, 0, 0, 10, 81, 0},  // palette hidden
      // Hue ring: 64 <= r <= 87.
      {0, 1, 0, cx + 64, cy, 50010},
      {0, 1, 0, cx + 63, cy, 50026},
      {0, 1, 0, cx, cy - 87, 50010},
      {0, 1, 0, cx - 87, cy, 50010},
      {2, 1, 0, cx + 64, sy, 50010},
      // r = 88 is the gap, taken like the inner zones.
      {0, 1, 0, cx + 88, cy, 50026},
      {0, 1, 0, cx, cy + 88, 50028},
      {0, 1, 0, cx - 62, cy - 63, 50026},  // r 88.4
      // Corners from r = 89, never on a centre line.
      {0, 1, 0, cx + 89, cy, 0},
      {0, 1, 0, cx, cy - 89, 0},
      {0, 1, 0, cx, cy + 90, 0},
      {0, 1, 0, cx - 63, cy - 63, 50012},  // r 89.1
      {0, 1, 0, cx + 70, cy - 70, 50032},
      {0, 1, 1, cx + 70, cy - 70, 50018},
      {0, 1, 2, cx + 70, cy - 70, 50030},
      {0, 1, 0, cx - 70, cy + 76, 50020},
      {0, 1, 0, cx - 70, cy + 77, 50022},
      {0, 1, 0, cx + 70, cy + 76, 50016},
      {0, 1, 0, cx + 70, cy + 77, 50014},
      {3, 1, 0, cx + 70, sy + 77, 50014},
      // Inner zones: the square reaches 41 from the centre.
      {0, 1, 0, cx, cy, 50024},
      {0, 1, 0, cx + 41, cy + 41, 50024},
      {0, 1, 0, cx - 41, cy - 41, 50024},
      {0, 1, 0, cx + 42, cy, 50026},
      {0, 1, 0, cx - 42, cy + 42, 50026},
      {0, 1, 0, cx + 41, cy - 42, 50028},
      {0, 1, 0, cx, cy + 42, 50028},
      {1, 1, 0, cx, sy - 42, 50028},
      {1, 1, 0, cx, sy, 50024},
      // The palette area names nothing while the palette is hidden, and the
      // FX-brush row below it is not part of it.
      {0, 0, 0, cx, cy, 0},
      {0, 1, 0, cx + 40, 48 + 184, 50014},
      {0, 1, 0, cx + 40, 48 + 185, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("slider " + std::to_string(c.slider) + " palette " + std::to_string(c.palette) + " at (" +
                 std::to_string(c.x) + ", " + std::to_string(c.y) + ")");
    GState.SliderMode = c.slider;
    GState.ShowPalette = c.palette;
    GState.LightMode = c.light;
    GState.ShowFxBrush = 1;
    HoverHelpEntry entry{};
    const bool found = FindHoverHelp(c.x, c.y, &entry);
    EXPECT_EQ(c.title != 0, found);
    if (!found) continue;
    EXPECT_EQ(c.title, entry.TitleNumber);
    // Texts follow their titles, except that the three slider titles share one.
    const int32_t text = c.title >= 50006 && c.title <= 50008 ? 50009 : c.title + 1;
    EXPECT_EQ(text, entry.TextNumber);
    EXPECT_EQ(c.y < 80 && c.title < 50010 ? 100 : 110, entry.GadgetId);
  }
}

TEST_F(PanelHover, TitleAndHelpFollowThePointerAndReturnOutside) {
  GState.ShowPalette = 1;
  GState.PopHelp = 1;
  const RequesterHandle panel = OpenPanel();
  const std::string panelWord = std::to_string(panel);
  host->ClearRecords();

  ShowHoverHelp(Context(), panel, 10, 10);
  // The place first, then the title, then the help of the gadget.
  const auto& calls = host->Calls();
  ASSERT_EQ(3u, calls.size());
  EXPECT_EQ("HostGetRequesterPlace(" + panelWord + ", 0, 0, 0, 0) -> 1 \"128 128 185 233\"",
            simhost::DescribeCall(calls[0]));
  EXPECT_EQ("HostSetRequesterTitle(" + panelWord + ", \"B\\xc9\\xab\\xd1\\xf9\", 0, 0, 0) -> 1",
            simhost::DescribeCall(calls[1]));
  EXPECT_EQ(kReqSetGadgetHelp, calls[2].subOperation);
  EXPECT_EQ(kSwatchGadget, calls[2].pack[2]);
  EXPECT_EQ(BuiltinText(texts::kHelpBSwatch), Help(kSwatchGadget));

  ShowHoverHelp(Context(), panel, kCentreX, kCentreY);
  EXPECT_EQ(BuiltinText(texts::kHelpSatValTitle), Title());
  EXPECT_EQ(BuiltinText(texts::kHelpSatVal), Help(kPaletteGadget));
  EXPECT_EQ(BuiltinText(texts::kHelpBSwatch), Help(kSwatchGadget));  // left as it was

  // Every way out of the panel gives the plug-in's title back.
  struct Out {
    RequesterHandle requester;
    int32_t x, y;
  };
  const Out outs[] = {{panel, 0, 10},   {panel, 10, 0},  {panel, -5, 10},  {panel, 185, 10},
                      {panel, 10, 233}, {panel + 1, 10, 10}};
  for (const Out& out : outs) {
    SCOPED_TRACE(std::to_string(out.x) + ", " + std::to_string(out.y));
    ShowHoverHelp(Context(), panel, 10, 10);
    ShowHoverHelp(Context(), out.requester, out.x, out.y);
    EXPECT_EQ("Tintwellv7.50", Title());
    EXPECT_EQ(BuiltinText(texts::kHelpBSwatch), Help(kSwatchGadget));
  }
  // The last inside place still counts.
  ShowHoverHelp(Context(), panel, 184, 232);
  EXPECT_EQ(BuiltinText(texts::kHelpCiePaletteTitle), Title());

  EXPECT_EQ("", FaultText());
}

TEST_F(PanelHover, LocalisedTextsReplaceBuiltInOnesNumberByNumber) {
  std::string longHelp = "Hue ring: ";  // GBK pairs past 256 bytes: reach the host whole
  for (int i = 0; i < 150; ++i) longHelp += "\xC9\xAB";
  std::string longTitle = "x";
  for (int i = 0; i < 150; ++i) longTitle += "\xC9\xAB";
  Localise({{10000, "Palette panel"},
            {50024, "SatVal square"},
            {50025, ""},
            {50010, longTitle},
            {50011, longHelp},
            {50008, "LAB slider"}});
  GState.ShowPalette = 1;
  GState.SliderMode = kSliderLabValue;
  GState.PopHelp = 1;
  const RequesterHandle panel = OpenPanel();

  ShowHoverHelp(Context(), panel, kCentreX, kCentreY + 32);
  EXPECT_EQ("SatVal square", Title());
  EXPECT_EQ(BuiltinText(texts::kHelpSatVal), Help(kPaletteGadget));  // empty counts as missing

  ShowHoverHelp(Context(), panel, kCentreX + 70, kCentreY + 32);
  EXPECT_EQ(longTitle, Title());  // whole: the host takes what it is given at once
  EXPECT_EQ(longHelp, Help(kPaletteGadget));

  ShowHoverHelp(Context(), panel, 20, 50);
  EXPECT_EQ("LAB slider", Title());
  EXPECT_EQ(BuiltinText(texts::kHelpSlider), Help(kSwatchGadget));

  ShowHoverHelp(Context(), panel, 20, 400);
  EXPECT_EQ("Palette panel", Title());
  EXPECT_EQ("", FaultText());
}

}  // namespace
