// Shared set-up for the option menu, hover help and LAB dialog tests: the
// stand-in host with the panel open and its sections as a test sets them.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/panel_menu.h"
#include "panel/panel_layout.h"
#include "store/localisation.h"
#include "support/plugin_host.h"

class PanelTest : public PluginHostTest {
 protected:
  static constexpr const char* kSection = "Tintwell";

  void SetUp() override {
    PluginHostTest::SetUp();
    std::strcpy(host->Context()->Name, kSection);
  }

  void TearDown() override {
    CloseLocalisation(Context());
    PluginHostTest::TearDown();
  }

  PluginContext* Context() { return host->Context(); }

  // Opens the panel, laid out for the current sections.
  RequesterHandle OpenPanel() {
    EXPECT_EQ(1, host->Parameters(nullptr));
    return GState.PanelRequester;
  }

  // The height the shown sections give the panel.
  static int32_t SectionHeight() {
    int32_t height = kPanelBaseHeight + (GState.SliderMode > 0 ? kSliderSectionHeight : 0);
    if (GState.ShowPalette) height += kPaletteSectionHeight;
    if (GState.ShowFxBrush) height += kFxBrushSectionHeight;
    return height;
  }

  // The panel's height as the host has it, or -1 while it is closed.
  int32_t PanelHeight() const {
    const simhost::Requester* panel = host->FindRequester(GState.PanelRequester);
    return panel ? panel->height : -1;
  }

  // Opens the localisation file with these texts, as PI_Open would.
  void Localise(const std::map<int32_t, std::string>& texts) {
    UseLocalisation(texts);
    std::strcpy(host->Context()->Name, kSection);
    OpenLocalisation(Context());
    ASSERT_NE(0, GState.LocalisationHandle);
  }

  // Shows the menu with the host answering `id`; returns the items shown.
  std::vector<simhost::MenuItemRecord> Choose(int32_t id) {
    host->SetPopupMenuAnswer(id);
    const size_t before = host->PopupMenus().size();
    RunOptionMenu(Context());
    EXPECT_EQ(before + 1, host->PopupMenus().size());
    if (host->PopupMenus().size() == before) return {};
    return host->PopupMenus().back().items;
  }

  std::string Setting(const std::string& key) const { return host->UserSetting(kSection, key).value_or("<none>"); }

  std::string Title() const {
    const simhost::Requester* panel = host->FindRequester(GState.PanelRequester);
    return panel ? panel->title : "<closed>";
  }
  std::string Help(int32_t gadget) const {
    const simhost::Requester* panel = host->FindRequester(GState.PanelRequester);
    if (!panel || !panel->gadgets.count(gadget)) return "<none>";
    return panel->gadgets.at(gadget).help;
  }

  std::string FaultText() const { return host->Faults().empty() ? "" : host->Faults().front(); }
};
