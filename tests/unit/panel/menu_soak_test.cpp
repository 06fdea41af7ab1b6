// A seeded random soak of the panel's menu, hover help and LAB dialog: menu
// answers of every id (shown, not shown, junk), pointer moves anywhere,
// dialog edits and arrow drags, the panel closed and reopened. After every
// step the options stay in their ranges, the host sees no protocol fault,
// windows and images match what the options ask for, and what closing the
// panel or the dialog stores matches the state.
#include <random>
#include <set>
#include <string>
#include <vector>

#include "panel/help_texts.h"
#include "panel/option_menu.h"
#include "panel_fixture.h"
#include "requesters/lab_dialog.h"
#include "requesters/vectorscope_window.h"
#include "store/builtin_texts.h"
#include "store/settings.h"

namespace {

using PanelSoak = PanelTest;

const int32_t kKnownIds[] = {10, 20, 22, 23, 24, 25, 30, 40, 50, 51, 52, 53, 60, 61, 80, 85, 90, 100, 101, 102};

bool InSet(int32_t value, std::initializer_list<int32_t> allowed) {
  for (int32_t a : allowed) {
    if (value == a) return true;
  }
  return false;
}

size_t ExpectedMenuSize() {
  const bool palette = GState.ShowPalette != 0;
  const bool slider = GState.SliderMode > 0;
  if (palette && slider) return 23;
  if (!palette && !slider) return 16;
  return 18;
}

std::string FormatWhite(float value) {
  char text[kSettingFloatTextSize];
  FormatSettingFloat(value, text, sizeof text);
  return text;
}

TEST_F(PanelSoak, RandomMenusMovesAndDialogEditsKeepEverythingConsistent) {
  for (uint32_t seed : {1u, 7u, 2024u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TearDown();
    SetUp();
    std::mt19937 random(seed);
    auto pick = [&random](int32_t lo, int32_t hi) {
      return std::uniform_int_distribution<int32_t>(lo, hi)(random);
    };
    GState.PressureSensitivity = 255;
    GState.PopHelp = 1;
    GState.ShowPalette = 1;
    GState.ReferenceWhite[0] = 95.147f;
    GState.ReferenceWhite[1] = 100.1f;
    GState.ReferenceWhite[2] = 108.983f;
    GState.CurrentRgb = ColourTriple{200.0f, 120.0f, 40.0f, 255};
    RequesterHandle panel = OpenPanel();
    ASSERT_NE(0, panel);
    host->SetAskIntegerAnswer(std::nullopt);

    for (int step = 0; step < 300; ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      const int32_t action = pick(0, 99);
      if (action < 35) {
        // A menu answer: mostly ids the menu may show, some junk.
        const int32_t id = pick(0, 9) < 8 ? kKnownIds[pick(0, 19)] : pick(-3, 200);
        if (id == kMenuIdMousePressure && pick(0, 1)) {
          host->SetAskIntegerAnswer(pick(0, 400));
        } else {
          host->SetAskIntegerAnswer(std::nullopt);
        }
        const size_t expectedSize = ExpectedMenuSize();
        const PluginState before = GState;
        host->ClearRecords();
        const auto items = Choose(id);
        ASSERT_EQ(expectedSize, items.size());
        bool shown = false;
        for (const auto& item : items) shown = shown || (id != 0 && item.id == id);
        if (!shown) {
          EXPECT_EQ(kFnPopupMenu, host->Calls().back().function);  // nothing follows the menu
          EXPECT_EQ(before.ShowPalette, GState.ShowPalette);
          EXPECT_EQ(before.SliderMode, GState.SliderMode);
          EXPECT_EQ(before.ShowFxBrush, GState.ShowFxBrush);
          EXPECT_EQ(before.LightMode, GState.LightMode);
          EXPECT_EQ(before.GamutMode, GState.GamutMode);
          EXPECT_EQ(before.PaintModeBits, GState.PaintModeBits);
          EXPECT_EQ(before.PressureSensitivity, GState.PressureSensitivity);
          EXPECT_EQ(before.PopHelp, GState.PopHelp);
          EXPECT_EQ(before.VectorscopeMode, GState.VectorscopeMode);
        }
      } else if (action < 75) {
        // A pointer move, mostly over the panel.
        const RequesterHandle from = pick(0, 19) ? panel : panel + 0x10;
        const int32_t x = pick(-5, 190);
        const int32_t y = pick(-5, 300);
        const std::string titleBefore = Title();
        host->ClearRecords();
        ShowHoverHelp(Context(), from, x, y);
        const int32_t height = host->FindRequester(panel)->height;
        HoverHelpEntry entry{};
        if (!GState.PopHelp) {
          EXPECT_TRUE(host->Calls().empty());
        } else if (from != panel || x <= 0 || y <= 0 || x >= kPanelWidth || y >= height) {
          EXPECT_EQ("Tintwellv7.50", Title());
        } else if (FindHoverHelp(x, y, &entry)) {
          EXPECT_EQ(BuiltinText(entry.TitleNumber), Title());
          EXPECT_EQ(BuiltinText(entry.TextNumber), Help(entry.GadgetId));
        } else {
          EXPECT_EQ(titleBefore, Title());
        }
      } else if (action < 93) {
        // The LAB dialog: open, edit, step, now and then reset or close.
        if (!GState.LabDialogRequester) OpenLabDialog(Context());
        const RequesterHandle dialog = GState.LabDialogRequester;
        ASSERT_NE(0, dialog);
        const int32_t component = pick(0, 2);
        const int32_t kind = pick(0, 19);
        if (kind < 9) {
          static const char* const typed[] = {"12.5", "900", "-4", "abc", "", "7e1", "799.99", "1.5.5", "0x20",
                                              "99999999999999999999"};
          host->SetGadgetTextAsUser(dialog, 400 + 2 * component, typed[pick(0, 9)]);
          host->SendEvent(dialog, kEventTextEdited, {400 + 2 * component});
        } else if (kind < 18) {
          host->SendEvent(dialog, kEventArrowStep, {401 + 2 * component, pick(-500, 500), 0, pick(0, 1)});
        } else if (kind < 19) {
          host->SendEvent(dialog, kEventRelease, {410});
        } else {
          const float white[3] = {GState.ReferenceWhite[0], GState.ReferenceWhite[1], GState.ReferenceWhite[2]};
          host->UserClosesRequester(dialog);
          EXPECT_EQ(0, GState.LabDialogRequester);
          EXPECT_EQ(FormatWhite(white[0]), Setting("lab_ref_x"));
          EXPECT_EQ(FormatWhite(white[1]), Setting("lab_ref_y"));
          EXPECT_EQ(FormatWhite(white[2]), Setting("lab_ref_z"));
        }
        for (int i = 0; i < 3; ++i) {
          EXPECT_GE(GState.ReferenceWhite[i], 0.0f);
          EXPECT_LE(GState.ReferenceWhite[i], 800.0f);
          const simhost::Requester* open = host->FindRequester(GState.LabDialogRequester);
          if (open) {
            EXPECT_EQ(FormatWhite(GState.ReferenceWhite[i]), open->gadgets.at(400 + 2 * i).text);
          }
        }
      } else if (action < 97) {
        // The panel's pointer handling opens the scope when it is wanted.
        OpenScopeWindow(Context());
      } else {
        // The user closes the panel, which stores the options, and opens it again.
        host->UserClosesRequester(panel, 1);
        EXPECT_EQ(0, GState.PanelRequester);
        EXPECT_EQ(std::to_string(GState.PressureSensitivity), Setting("mousemode"));
        EXPECT_EQ(std::to_string(GState.PopHelp), Setting("popHelp"));
        EXPECT_EQ(std::to_string(GState.LumaLock), Setting("lumaLock"));
        EXPECT_EQ(std::to_string(GState.LightMode), Setting("lightMode"));
        EXPECT_EQ(std::to_string(GState.GamutMode), Setting("gamut"));
        EXPECT_EQ(std::to_string(GState.XyzMixMode), Setting("scropXYZ"));
        EXPECT_EQ(std::to_string(GState.AggressiveAutosample), Setting("agautosample"));
        EXPECT_EQ(std::to_string(GState.SliderMode), Setting("room-0slider"));
        EXPECT_EQ(std::to_string(GState.ShowPalette), Setting("room-0palette"));
        panel = OpenPanel();
        ASSERT_NE(0, panel);
      }

      // Options within their ranges.
      EXPECT_TRUE(InSet(GState.ShowPalette, {0, 1}) && InSet(GState.ShowFxBrush, {0, 1}) &&
                  InSet(GState.LumaLock, {0, 1}) && InSet(GState.PopHelp, {0, 1}) &&
                  InSet(GState.XyzMixMode, {0, 1}) && InSet(GState.AggressiveAutosample, {0, 1}));
      EXPECT_TRUE(GState.SliderMode >= 0 && GState.SliderMode <= 3);
      EXPECT_TRUE(GState.GamutMode >= 0 && GState.GamutMode <= 2);
      EXPECT_TRUE(GState.LightMode >= 0 && GState.LightMode <= 2);
      EXPECT_TRUE(GState.VectorscopeMode >= 0 && GState.VectorscopeMode <= 2);
      const int32_t p = GState.PressureSensitivity;
      EXPECT_TRUE((p >= 64 && p <= 255) || (p <= -64 && p >= -255)) << p;
      EXPECT_EQ(0, GState.PaintModeBits & ~(kPaintSizeLock | kPaintAutoTrim));
      // Windows as the options ask for them.
      const simhost::Requester* shownPanel = host->FindRequester(panel);
      ASSERT_NE(nullptr, shownPanel);
      EXPECT_EQ(GState.PopHelp != 0, shownPanel->tracking);
      EXPECT_EQ(SectionHeight(), shownPanel->height);
      if (GState.VectorscopeRequester) {
        EXPECT_NE(kScopeOff, GState.VectorscopeMode);
      }
      EXPECT_EQ((GState.PaintModeBits & (kPaintSizeLock | kPaintAutoTrim)) != 0, GState.PickRequester != 0);
      EXPECT_EQ(GState.PickRequester != 0, GState.PickImage != nullptr);
      // At most one live image per gadget: swatch, palette, lamp, the watch.
      EXPECT_LE(host->LiveImageCount(), 4);
      ASSERT_EQ("", FaultText());
    }
    if (GState.LabDialogRequester) host->UserClosesRequester(GState.LabDialogRequester);
    CloseScopeWindow(Context());
  }
}

}  // namespace
