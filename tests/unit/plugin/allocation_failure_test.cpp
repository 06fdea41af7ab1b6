// The plug-in's own allocations failing (core/plugin_memory.h): nothing
// escapes into the host, and the panel's palette picture is drawn the plain
// way, pixel for pixel the picture drawn with memory to spare.
#include <vector>

#include "core/plugin_memory.h"
#include "core/plugin_state.h"
#include "support/plugin_holdings.h"
#include "support/plugin_host.h"

namespace {

constexpr int32_t kPaletteGadget = 110;

void* NoMemory(size_t) { return nullptr; }

using AllocationFailure = PluginHostTest;

std::vector<Pixel> PalettePicture(const simhost::SimHost& host) {
  const simhost::Requester* panel = host.FindRequester(GState.PanelRequester);
  if (!panel || !panel->gadgets.count(kPaletteGadget)) return {};
  return panel->gadgets.at(kPaletteGadget).imagePixels;
}

TEST_F(AllocationFailure, WithoutMemoryThePanelIsDrawnTheSameAndNothingReachesTheHost) {
  host->SetUserSetting("Tintwell", "room-0palette", "1");
  ASSERT_EQ(host->Open(), 1);
  // Options that change the kept colours, so each picture needs them anew.
  const char* const changes[] = {"huering 1", "huering 3", "ciehsv 1", "gamut 2", "white"};
  for (const char* change : changes) {
    for (bool starved : {true, false}) {
      const std::string what = std::string(change) + (starved ? ", no memory" : ", memory");
      const std::string option(change);
      if (option == "huering 1") GState.HueRingMode = 1;
      if (option == "huering 3") GState.HueRingMode = 3;
      if (option == "ciehsv 1") GState.CieHsvMode = 1;
      if (option == "gamut 2") GState.GamutMode = 2;
      if (option == "white") GState.ReferenceWhite[0] = 96.5f;
      if (starved) SetPluginAllocator(NoMemory);
      host->Parameters("r");
      SetPluginAllocator(nullptr);
      const std::vector<Pixel> drawn = PalettePicture(*host);
      ASSERT_FALSE(drawn.empty()) << what;
      // The same picture again, with the kept colours built for another state first.
      GState.ReferenceWhite[1] += 1.0f;
      host->Parameters("r");
      GState.ReferenceWhite[1] -= 1.0f;
      host->Parameters("r");
      EXPECT_EQ(drawn, PalettePicture(*host)) << what;
      EXPECT_EQ(CheckPluginHoldings(*host), "") << what;
    }
  }
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
  host->Close();
}

}  // namespace
