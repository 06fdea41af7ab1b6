// A seeded random soak of the panel's menu, hover help and LAB dialog: menu
// answers of every id (shown, not shown, junk), pointer moves anywhere,
// dialog edits and arrow drags, the panel closed and reopened. After every
// step the options stay in their ranges, the host sees no protocol fault,
// windows and images match what the options ask for, and what closing the
// panel or the dialog stores matches the state.
#include <string>
#include <utility>
#include <vector>

#include "panel/help_texts.h"
#include "panel/option_menu.h"
#include "panel_fixture.h"
#include "requesters/lab_dialog.h"
#include "requesters/vectorscope_window.h"
#include "soak/soak_harness.h"
#include "store/builtin_texts.h"
#include "store/settings.h"

namespace {

using PanelSoak = PanelTest;

const int32_t kKnownIds[] = {10, 20, 22, 23, 24, 25, 30, 40, 50, 51, 52, 53, 60, 61, 80, 85, 90, 100, 101, 102};

size_t ExpectedMenuSize() {
  const bool palette = GState.ShowPalette != 0;
  const bool slider = GState.SliderMode > 0;
  if (palette && slider) return 23;
  if (!palette && !slider) return 16;
  return 18;
}

// What a menu choice may change.
std::vector<int32_t> MenuOptions() {
  return {GState.ShowPalette,   GState.SliderMode,          GState.ShowFxBrush, GState.LightMode,      GState.GamutMode,
          GState.PaintModeBits, GState.PressureSensitivity, GState.PopHelp,     GState.VectorscopeMode};
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
    soak::Harness harness(*host, soak::SoakSeed(seed));
    harness.DriveClock();

    harness.Add("menu answer", 35, [&](soak::Step& s) {
      // Mostly ids the menu may show, some junk.
      const int32_t id = s.Int(0, 9) < 8 ? kKnownIds[s.Int(0, 19)] : s.Int(-3, 200);
      s.Note(std::to_string(id));
      if (id == kMenuIdMousePressure && s.Int(0, 1)) {
        host->SetAskIntegerAnswer(s.Int(0, 400));
      } else {
        host->SetAskIntegerAnswer(std::nullopt);
      }
      const size_t expectedSize = ExpectedMenuSize();
      const std::vector<int32_t> before = MenuOptions();
      host->ClearRecords();
      const auto items = Choose(id);
      ASSERT_EQ(expectedSize, items.size());
      bool shown = false;
      for (const auto& item : items) shown = shown || (id != 0 && item.id == id);
      if (!shown) {
        EXPECT_EQ(kFnPopupMenu,
                  host->Calls().back().function);  // nothing follows the menu
        EXPECT_EQ(before, MenuOptions());
      }
    });
    harness.Add("pointer move", 40, [&](soak::Step& s) {
      // Mostly over the panel.
      const RequesterHandle from = s.Int(0, 19) ? panel : panel + 0x10;
      const int32_t x = s.Int(-5, 190);
      const int32_t y = s.Int(-5, 300);
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
    });
    harness.Add("LAB dialog", 18, [&](soak::Step& s) {
      // Open, edit, step, now and then reset or close.
      if (!GState.LabDialogRequester) OpenLabDialog(Context());
      const RequesterHandle dialog = GState.LabDialogRequester;
      ASSERT_NE(0, dialog);
      const int32_t component = s.Int(0, 2);
      const int32_t kind = s.Int(0, 19);
      if (kind < 9) {
        static const char* const typed[] = {"12.5", "900",    "-4",    "abc",  "",
                                            "7e1",  "799.99", "1.5.5", "0x20", "99999999999999999999"};
        host->SetGadgetTextAsUser(dialog, 400 + 2 * component, typed[s.Int(0, 9)]);
        host->SendEvent(dialog, kEventTextEdited, {400 + 2 * component});
      } else if (kind < 18) {
        host->SendEvent(dialog, kEventArrowStep, {401 + 2 * component, s.Int(-500, 500), 0, s.Int(0, 1)});
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
    });
    // The panel's pointer handling opens the scope when it is wanted.
    harness.Add("scope wanted", 4, [&](soak::Step&) { OpenScopeWindow(Context()); });
    harness.Add("panel closed and reopened", 3, [&](soak::Step&) {
      // Closing stores the options.
      host->UserClosesRequester(panel, 1);
      EXPECT_EQ(0, GState.PanelRequester);
      const std::pair<int32_t, const char*> stored[] = {{GState.PressureSensitivity, "mousemode"},
                                                        {GState.PopHelp, "popHelp"},
                                                        {GState.LumaLock, "lumaLock"},
                                                        {GState.LightMode, "lightMode"},
                                                        {GState.GamutMode, "gamut"},
                                                        {GState.XyzMixMode, "scropXYZ"},
                                                        {GState.AggressiveAutosample, "agautosample"},
                                                        {GState.SliderMode, "room-0slider"},
                                                        {GState.ShowPalette, "room-0palette"}};
      for (const auto& [value, key] : stored) EXPECT_EQ(std::to_string(value), Setting(key)) << key;
      panel = OpenPanel();
      ASSERT_NE(0, panel);
    });
    harness.AddInvariant("options in range, windows as asked", [&](simhost::SimHost& h) -> std::string {
      const int32_t p = GState.PressureSensitivity;
      const simhost::Requester* shown = h.FindRequester(panel);
      const int32_t watched = GState.PaintModeBits & (kPaintSizeLock | kPaintAutoTrim);
      const std::pair<bool, const char*> checks[] = {
          {((GState.ShowPalette | GState.ShowFxBrush | GState.LumaLock | GState.PopHelp | GState.XyzMixMode |
             GState.AggressiveAutosample) &
            ~1) == 0,
           "a toggle outside 0..1"},
          {GState.SliderMode >= 0 && GState.SliderMode <= 3, "slider mode"},
          {GState.GamutMode >= 0 && GState.GamutMode <= 2, "gamut mode"},
          {GState.LightMode >= 0 && GState.LightMode <= 2, "light mode"},
          {GState.VectorscopeMode >= 0 && GState.VectorscopeMode <= 2, "scope mode"},
          {(p >= 64 && p <= 255) || (p <= -64 && p >= -255), "pressure sensitivity"},
          {GState.PaintModeBits == watched, "paint bits other than the size lock and Smart Fill"},
          {shown && (GState.PopHelp != 0) == shown->tracking, "pointer tracking other than quick help"},
          {shown && SectionHeight() == shown->height, "panel height other than its sections'"},
          {!GState.VectorscopeRequester || GState.VectorscopeMode != kScopeOff, "scope window with the scope off"},
          {(watched != 0) == (GState.PickRequester != 0), "watch window other than the options ask"},
          {(GState.PickRequester != 0) == (GState.PickImage != nullptr), "watch window without its image"},
          // At most one live image per gadget: swatch, palette, lamp, the watch.
          {h.LiveImageCount() <= 4, "more than one image a gadget"}};
      for (const auto& [ok, what] : checks) {
        if (!ok) return what;
      }
      return std::string();
    });
    EXPECT_TRUE(harness.Run(soak::SoakSteps(300)));
    if (GState.LabDialogRequester) host->UserClosesRequester(GState.LabDialogRequester);
    CloseScopeWindow(Context());
  }
}

}  // namespace
