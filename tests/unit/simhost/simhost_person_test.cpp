// The stand-in host with a person at it (what the desktop host builds on):
// the plug-in's pop-up menu and integer question answered as they are
// asked, the user's own commands and undo steps, and the native plug-in
// library loaded as the host loads the DLL.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "support/panel_driver.h"
#include "support/plugin_host.h"

namespace {

using paneltest::kRight;
using paneltest::OnSwatch;

class SimHostPersonTest : public PluginHostTest {
 protected:
  // A right click on the left swatches: the option menu.
  void RightClickMenu() {
    host->SendEvent(GState.PanelRequester, kEventPress, paneltest::EventWords(OnSwatch(40, 30, kRight)));
    host->SendEvent(GState.PanelRequester, kEventRelease, paneltest::EventWords(OnSwatch(40, 30, kRight)));
  }
};

TEST_F(SimHostPersonTest, QuestionsAreAskedOfThePersonFromInsideThePluginsCall) {
  ASSERT_EQ(host->Open(), 1);
  host->ChangeRoom("Room-1");  // a room shows the palette unless told otherwise
  ASSERT_NE(GState.PanelRequester, 0);
  ASSERT_NE(GState.ShowPalette, 0);

  // The menu: the person sees every item while the plug-in waits, and the
  // item chosen is what the plug-in gets.
  std::vector<simhost::PopupMenuRecord> seen;
  bool insideCall = false;
  host->SetPopupMenuHandler([&](const simhost::PopupMenuRecord& menu) {
    seen.push_back(menu);
    insideCall = host->InsidePluginCall();
    return 10;  // "Show/Hide Palette"
  });
  RightClickMenu();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(insideCall);
  bool paletteItem = false;
  for (const auto& item : seen[0].items) paletteItem = paletteItem || (item.id == 10 && !item.text.empty());
  EXPECT_TRUE(paletteItem);
  EXPECT_EQ(GState.ShowPalette, 0) << "the chosen item reached the plug-in";
  ASSERT_EQ(host->PopupMenus().size(), 1u);
  EXPECT_EQ(host->PopupMenus()[0].answer, 10);

  // The integer question (pressure sensitivity, through "Mouse Pressure-Mode",
  // which asks when it turns pen pressure on): prompt, offer and range reach
  // the person; an answer beyond the range is clamped; cancelling keeps the
  // offer.
  struct Case {
    std::optional<int32_t> answer;
    int32_t kept;
  } cases[] = {{200, 200}, {300, 255}, {std::nullopt, 255}};
  host->SetPopupMenuHandler([](const simhost::PopupMenuRecord&) { return 40; });
  for (const Case& c : cases) {
    struct Asked {
      std::string prompt;
      int32_t value, minimum, maximum;
    };
    std::vector<Asked> asked;
    host->SetAskIntegerHandler([&](const std::string& prompt, int32_t value, int32_t minimum, int32_t maximum) {
      asked.push_back(Asked{prompt, value, minimum, maximum});
      return c.answer;
    });
    if (GState.PressureSensitivity >= 1) RightClickMenu();  // pen pressure off first: no question
    ASSERT_TRUE(asked.empty());
    const int32_t offer = std::max(64, GState.PressureSensitivity < 0 ? -GState.PressureSensitivity : 0);
    RightClickMenu();
    ASSERT_EQ(asked.size(), 1u) << "answer " << (c.answer ? *c.answer : -1);
    EXPECT_FALSE(asked[0].prompt.empty());
    EXPECT_EQ(asked[0].value, offer);
    EXPECT_EQ(asked[0].minimum, 64);
    EXPECT_EQ(asked[0].maximum, 255);
    EXPECT_EQ(GState.PressureSensitivity, c.kept) << "answer " << (c.answer ? *c.answer : -1);
  }
  host->Close();
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(SimHostPersonTest, ThePersonsCommandsAndStrokesAreUndoneAsTheHostsOwn) {
  const std::string id = host->RunCommand("tv_LayerCreate \"Ink\"");
  EXPECT_EQ(id, std::to_string(host->currentLayerId));
  ASSERT_EQ(host->layers.size(), 2u);
  ASSERT_FALSE(host->Commands().empty());
  EXPECT_EQ(host->Commands().back().command, "tv_LayerCreate \"Ink\"");

  host->RecordUndoStep();  // a stroke begins
  host->PaintPixel(3, 4, simhost::Rgba{10, 20, 30, 255});
  EXPECT_EQ(host->LayerPixel(*host->CurrentLayer(), 3, 4), (simhost::Rgba{10, 20, 30, 255}));
  host->RunCommand("tv_undo");
  EXPECT_EQ(host->LayerPixel(*host->CurrentLayer(), 3, 4).a, 0) << "the stroke is undone";
  EXPECT_EQ(host->layers.size(), 2u) << "the layer made before it stays";

  host->ClearUndoHistory();
  host->RunCommand("tv_undo");
  EXPECT_EQ(host->layers.size(), 2u) << "nothing left to undo";
}

#if defined(TINTWELL_NATIVE_LIBRARY)
TEST_F(SimHostPersonTest, TheNativeLibraryLoadsAndRunsAsTheDllDoes) {
  simhost::PluginApi api;
  std::string error;
  ASSERT_TRUE(simhost::LoadPluginLibrary(TINTWELL_NATIVE_LIBRARY, &api, &error)) << error;
  EXPECT_NE(api.module, nullptr);
  {
    simhost::SimHost loaded(api, options);
    ASSERT_EQ(loaded.Open(), 1);
    EXPECT_STREQ(loaded.Context()->Name, "Tintwell");
    EXPECT_EQ(loaded.OpenRequesterCount(), 1) << "the panel";
    EXPECT_EQ(GState.PanelRequester, 0) << "the library keeps its own state, apart from the linked-in plug-in";
    loaded.Close();
    EXPECT_EQ(loaded.OpenRequesterCount(), 0);
    EXPECT_TRUE(loaded.Faults().empty());
  }
  simhost::UnloadPluginLibrary(&api);
  EXPECT_EQ(api.Open, nullptr);

  EXPECT_FALSE(simhost::LoadPluginLibrary("/nonexistent/tintwell.so", &api, &error));
  EXPECT_NE(error.find("dlopen"), std::string::npos) << error;
}
#endif

}  // namespace
