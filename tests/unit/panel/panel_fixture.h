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

  // Opens the panel for the current sections. Until the panel's own layout
  // makes the swatch and palette gadgets, they are added here and the panel
  // gets the height its sections give, so that help texts have their gadgets
  // and the pointer its place.
  RequesterHandle OpenPanel() {
    EXPECT_EQ(1, host->Parameters(nullptr));
    const simhost::Requester* requester = host->FindRequester(GState.PanelRequester);
    standInLayout = requester && !requester->gadgets.count(kSwatchGadget);
    EnsureSections();
    return GState.PanelRequester;
  }

  // The height the shown sections give the panel.
  static int32_t SectionHeight() {
    int32_t height = kPanelBaseHeight + (GState.SliderMode > 0 ? kSliderSectionHeight : 0);
    if (GState.ShowPalette) height += kPaletteSectionHeight;
    if (GState.ShowFxBrush) height += kFxBrushSectionHeight;
    return height;
  }

  // After a section change: the stand-in for the layout, where it is needed.
  void EnsureSections() {
    const RequesterHandle panel = GState.PanelRequester;
    const simhost::Requester* requester = host->FindRequester(panel);
    if (!requester || !standInLayout) return;
    const int32_t top = kPanelBaseHeight + (GState.SliderMode > 0 ? kSliderSectionHeight : 0);
    if (!requester->gadgets.count(kSwatchGadget)) {
      HostAddGadget(Context(), panel, 1, 2, 182, top - 4, kSwatchGadget, kGadgetImage, nullptr);
    }
    if (GState.ShowPalette && !requester->gadgets.count(kPaletteGadget)) {
      HostAddGadget(Context(), panel, 1, top - 2, 182, 185, kPaletteGadget, kGadgetImage, nullptr);
    }
    host->MoveRequester(panel, requester->x, requester->y, kPanelWidth, SectionHeight());
  }

  bool standInLayout = false;  // the panel's layout did not make its gadgets

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
    EnsureSections();
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
