// Random-gesture soak of the panel: the plug-in opens in the stand-in host
// and takes a long seeded stream of random presses, drags, releases and
// moves over every gadget and outside them, with random buttons, qualifiers,
// pressures and host replies. Nothing may crash or trip the sanitizers, the
// host objects stay bounded, every colour stays in range and every command
// is well formed; closing the plug-in frees every image it holds.
#include <cstring>

#include "core/plugin_state.h"
#include "soak/panel_event_kinds.h"
#include "support/plugin_host.h"

namespace {

using GestureSoak = PluginHostTest;

TEST_F(GestureSoak, RandomGesturesKeepThePluginSound) {
  ASSERT_EQ(1, host->Open());
  host->ChangeRoom("Room-2");  // a room new to the settings shows every section
  ASSERT_NE(0, GState.ShowPalette);
  soak::Harness harness(*host, soak::SoakSeed(20240611));
  harness.DriveClock();
  soak::AddPanelEventKinds(harness);
  soak::AddPanelInvariants(harness);
  EXPECT_TRUE(harness.Run(soak::SoakSteps(3000)));

  host->Close();
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
  RecordProperty("PeakImages", harness.PeakImages());
  RecordProperty("PeakRequesters", harness.PeakRequesters());
}

}  // namespace
