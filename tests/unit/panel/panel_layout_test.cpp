// The main panel's gadgets and refreshes: every combination of sections, the
// lamp pictures, the pens exchanged with the host, and one live image per
// gadget however long a drag goes on.
#include <string>
#include <tuple>
#include <vector>

#include "core/artwork.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "panel/lamp_picture.h"
#include "interact/pen_actions.h"
#include "panel/panel_layout.h"
#include "panel/panel_images.h"
#include "support/plugin_host.h"
#include "support/sweep.h"

namespace {

class PanelLayout : public PluginHostTest {
 protected:
  void OpenPanel() {
    ASSERT_EQ(1, host->Parameters(nullptr));
    ASSERT_NE(0, GState.PanelRequester);
  }
  const simhost::Requester& Panel() const { return *host->FindRequester(GState.PanelRequester); }
  PluginContext* Context() { return host->Context(); }
};

struct ExpectedGadget {
  int32_t id, x, y, width, height, flags;
  std::string text;
};

TEST_F(PanelLayout, EverySectionCombinationGivesItsGadgetsHeightAndOrder) {
  OpenPanel();
  host->MoveRequester(GState.PanelRequester, 300, 200, 185, 48);
  for (int32_t palette = 0; palette < 2; ++palette) {
    for (int32_t slider = 0; slider < 2; ++slider) {
      for (int32_t fx = 0; fx < 2; ++fx) {
        const std::string which = "palette " + std::to_string(palette) + " slider " + std::to_string(slider) +
                                  " fx " + std::to_string(fx);
        GState.ShowPalette = palette;
        GState.SliderMode = slider ? kSliderLabValue : kSliderHidden;
        GState.ShowFxBrush = fx;
        GState.PaintModeBits = kPaintDirt | kPaintRot;
        host->ClearRecords();
        LayoutPanel(Context());

        std::vector<int32_t> removed;
        for (const auto* call : FindCalls(kFnRequesterOp, kReqRemoveGadget)) {
          removed.push_back(static_cast<int32_t>(call->pack[2]));
        }
        EXPECT_EQ((std::vector<int32_t>{100, 110, 150, 151, 152, 153}), removed) << which;

        int32_t h = slider ? 80 : 48;
        std::vector<ExpectedGadget> expected = {{100, 1, 2, 182, h - 4, 0x222, ""}};
        if (palette) {
          expected.push_back({110, 1, h - 2, 182, 185, 0x222, ""});
          h += 185;
        }
        if (fx) {
          expected.push_back({150, 2, h - 2, 21, 21, 0x222, ""});
          expected.push_back({151, 52, h + 2, 20, 17, 0x40080, "Dirt"});
          expected.push_back({152, 107, h + 2, 20, 17, 0x40000, "Load"});
          expected.push_back({153, 162, h + 2, 20, 17, 0x40080, "Rot"});
          h += 24;
        }
        const auto adds = FindCalls(kFnRequesterOp, kReqAddGadget);
        ASSERT_EQ(expected.size(), adds.size()) << which;
        for (size_t i = 0; i < expected.size(); ++i) {
          const ExpectedGadget& e = expected[i];
          const std::vector<HostWord> words(adds[i]->pack.begin() + 2, adds[i]->pack.begin() + 8);
          EXPECT_EQ((std::vector<HostWord>{e.x, e.y, e.width, e.height, e.id, e.flags}), words) << which << " #" << i;
          EXPECT_EQ(e.text, adds[i]->texts.back()) << which << " #" << i;
        }
        const auto places = FindCalls(kFnRequesterOp, kReqSetPlace);
        ASSERT_EQ(1u, places.size()) << which;
        EXPECT_EQ((std::vector<HostWord>{300, 200, 185, h}),
                  std::vector<HostWord>(places[0]->pack.begin() + 2, places[0]->pack.begin() + 6))
            << which;

        const simhost::Requester& shown = Panel();
        EXPECT_EQ(expected.size(), shown.gadgets.size()) << which;
        EXPECT_EQ("Right Click left side for menu", shown.gadgets.at(100).help) << which;
        EXPECT_EQ(180, shown.gadgets.at(100).imageWidth) << which;
        EXPECT_EQ(slider ? 74 : 42, shown.gadgets.at(100).imageHeight) << which;
        if (palette) {
          EXPECT_EQ(180, shown.gadgets.at(110).imageHeight) << which;
        }
        EXPECT_EQ(1 + palette + fx, host->LiveImageCount()) << which << ": one live image per picture gadget";
      }
    }
  }
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
}

// The icon's palette colours land at the image's channel positions, its
// alpha plane unchanged.
void ExpectLamp(const simhost::Gadget& gadget, const LampIcon& icon, const uint8_t positions[4],
                const std::string& which) {
  ASSERT_EQ(20, gadget.imageWidth) << which;
  ASSERT_EQ(400u, gadget.imagePixels.size()) << which;
  for (int32_t k = 0; k < 400; ++k) {
    const uint8_t* rgb = icon.Palette + 3 * icon.Index[k];
    const Pixel p = gadget.imagePixels[k];
    const uint8_t got[4] = {static_cast<uint8_t>(p >> 8 * positions[0]), static_cast<uint8_t>(p >> 8 * positions[1]),
                            static_cast<uint8_t>(p >> 8 * positions[2]), static_cast<uint8_t>(p >> 8 * positions[3])};
    ASSERT_EQ(std::make_tuple(rgb[0], rgb[1], rgb[2], icon.Alpha[k]), std::make_tuple(got[0], got[1], got[2], got[3]))
        << which << " pixel " << k;
  }
}

TEST_F(PanelLayout, LampPicturesFollowTheTypeAndReplaceEachOther) {
  // A host whose pixels keep red in byte 0, so channel placement matters.
  options.channelPositions[0] = 0;
  options.channelPositions[1] = 1;
  options.channelPositions[2] = 2;
  options.channelPositions[3] = 3;
  RestartHost();
  GState.ShowFxBrush = 1;
  GState.PaintModeBits = kPaintLampOn | kPaintLampAlt;  // on with the second state: lime
  OpenPanel();
  ExpectLamp(Panel().gadgets.at(150), kLampIcons[kLampIconLime], options.channelPositions, "layout with bits 0x3");

  // A re-layout shows the lamp as the painter left it: the second-state bit
  // alone is kept for the next switch-on and leaves the lamp dark.
  for (const auto& [bits, icon] : std::vector<std::pair<int32_t, int32_t>>{
           {kPaintLampAlt, kLampIconDark}, {kPaintLampOn, kLampIconGreen}, {0, kLampIconDark}}) {
    GState.PaintModeBits = bits;
    LayoutPanel(Context());
    ExpectLamp(Panel().gadgets.at(150), kLampIcons[icon], options.channelPositions,
               "layout with bits " + std::to_string(bits));
  }

  const std::vector<std::pair<int32_t, int32_t>> types = {
      {kLampTypeGreen, kLampIconGreen}, {kLampTypeRed, kLampIconRed}, {kLampTypeLime, kLampIconLime},
      {kLampTypeOrange, kLampIconOrange}, {kLampTypeOff, kLampIconDark}, {7, kLampIconDark}, {-3, kLampIconDark}};
  const int32_t live = host->LiveImageCount();
  for (const auto& [type, icon] : types) {
    ShowLamp(Context(), type);
    ExpectLamp(Panel().gadgets.at(150), kLampIcons[icon], options.channelPositions, "type " + std::to_string(type));
    EXPECT_EQ(live, host->LiveImageCount()) << "type " << type << ": the previous lamp picture is freed";
  }

  // Without the FX-brush row nothing is built or shown.
  GState.ShowFxBrush = 0;
  host->ClearRecords();
  ShowLamp(Context(), kLampTypeGreen);
  EXPECT_TRUE(host->Calls().empty());
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
}

TEST_F(PanelLayout, RefreshAndSwapTalkToTheHostInOrder) {
  GState.ShowPalette = 1;
  OpenPanel();
  host->aPen = simhost::Rgba{200, 100, 0, 255};
  host->bPen = simhost::Rgba{10, 20, 30, 255};
  host->ClearRecords();
  RefreshPanel(Context());
  const Pixel a = host->ToPixel(host->aPen);
  EXPECT_EQ(a, GState.BasePixel);
  EXPECT_EQ(a, GState.CurrentPixel);
  EXPECT_EQ(2, GState.LastReleaseKind);
  EXPECT_EQ((std::vector<std::string>{"tv_GetAPen", "tv_GetBPen", "tv_GetAPen"}), CommandsStartingWith("tv_Get"))
      << "A pen, then B for the swatches and A for the markers";

  host->ClearRecords();
  SwapPens(Context());
  const std::vector<std::string> commands = host->CommandTexts();
  ASSERT_GE(commands.size(), 4u);
  EXPECT_EQ((std::vector<std::string>{"tv_GetAPen", "tv_GetBPen", "tv_SetBPen 200 100 0", "tv_SetAPen 10 20 30"}),
            std::vector<std::string>(commands.begin(), commands.begin() + 4));
  const Pixel b = host->ToPixel(simhost::Rgba{10, 20, 30, 255});
  EXPECT_EQ(b, GState.CurrentPixel);
  EXPECT_EQ(b, GState.LastAPen);
  EXPECT_EQ(a, GState.LastBPen);
  EXPECT_EQ(a, GState.BasePixel) << "the base colour stays";
  EXPECT_EQ(10, host->aPen.r);
  EXPECT_EQ(200, host->bPen.r);
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
}

// A long drag redraws both pictures on every event; the host's live images
// stay what they were after the first event, and closing frees them all.
// 10,000 events natively; a tenth under the sanitizers and wine.
TEST_F(PanelLayout, SweepLongDragKeepsOneLiveImagePerGadget) {
  GState.ShowPalette = 1;
  GState.ShowFxBrush = 1;
  GState.HueRingMode = kRingShowsCurrent;  // plain HSV and no slider keep the 10,000 redraws quick
  OpenPanel();
  GState.DragTarget = kDragSquare;
  GState.CurrentRgb = {200.0f, 80.0f, 40.0f, 255};
  int32_t afterFirst = -1;
  const int kEvents = 10000 / static_cast<int>(SweepStride(10));
  for (int event = 0; event < kEvents; ++event) {
    GState.CurrentHsv.c1 = static_cast<float>(event % 97) / 96.0f;
    GState.CurrentHsv.c2 = static_cast<float>(event % 89) / 88.0f;
    BuildSwatchImage(Context());
    BuildPaletteImage(Context());
    if (event == 0) afterFirst = host->LiveImageCount();
    if (event % 500 == 0) host->ClearRecords();  // keep the record small
  }
  EXPECT_EQ(3, afterFirst);
  EXPECT_EQ(afterFirst, host->LiveImageCount());
  host->UserClosesRequester(GState.PanelRequester);
  EXPECT_EQ(0, host->LiveImageCount()) << "the panel's pictures go with it";
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
}

}  // namespace
