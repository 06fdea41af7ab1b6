// Seeded soak of the whole plug-in: the panel's gestures, the canvas side's
// strokes and options, and every other way
// the host reaches the plug-in (messages of every kind, command letters, the
// LAB dialog, the scope window closed by the user), careless replies, failing
// requesters, images and settings files, and restarts with random stored
// settings, slot files, localisation texts and channel orders. After every
// event the plug-in's handles and images must be exactly the host's open
// ones; after the last, PI_Close leaves nothing open.
//
// The test command runs a short run; tools/soak.sh EVENTS [SEED] a long one
// under the sanitizers (TINTWELL_SOAK_STEPS, TINTWELL_SOAK_SEED).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "soak/canvas_event_kinds.h"
#include "soak/failure_event_kinds.h"
#include "soak/panel_event_kinds.h"
#include "soak/plugin_event_kinds.h"
#include "support/plugin_holdings.h"
#include "support/plugin_host.h"

namespace {

using PluginSoak = PluginHostTest;

TEST_F(PluginSoak, EveryEntryAndHostFailureKeepsThePluginSound) {
  // Files in memory: careless replies name odd directories.
  options.settingsPath.clear();
  options.configFilesInMemory = true;
  RestartHost();
  ASSERT_EQ(1, host->Open());
  host->ChangeRoom("Room-2");  // a room new to the settings shows every section

  const uint32_t seed = soak::SoakSeed(20240907);
  soak::Harness harness(*host, seed);
  harness.DriveClock();
  soak::AddPanelEventKinds(harness);
  soak::AddPanelInvariants(harness);
  soak::AddCanvasEventKinds(harness);
  soak::AddCanvasInvariants(harness);
  soak::AddPluginEventKinds(harness, *host);
  soak::AddPluginInvariants(harness);
  soak::AddFailureEventKinds(harness, *host);
  soak::AddFailureInvariants(harness);
  const int64_t steps = soak::SoakSteps(1200);
  const ::testing::AssertionResult run = harness.Run(steps);
  const bool sound = run;
  EXPECT_TRUE(run);
  soak::EndFailureEventKinds(*host);
  host->Close();
  // TINTWELL_SOAK_DIALOGUE=N prints the last N host calls of a failed run.
  if (const char* lines = std::getenv("TINTWELL_SOAK_DIALOGUE"); lines && (!sound || !host->Faults().empty())) {
    const std::vector<std::string> dialogue = host->Dialogue();
    const size_t shown = std::min(dialogue.size(), static_cast<size_t>(std::atoi(lines)));
    for (size_t i = dialogue.size() - shown; i < dialogue.size(); ++i) std::printf("%s\n", dialogue[i].c_str());
  }
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
  EXPECT_EQ("", CheckNothingLeftOpen(*host));
  std::printf("[ soak     ] seed %u: %lld events, %lld plug-in entries, %lld host calls, %lld restarts, "
              "peak %d images and %d requesters\n",
              seed, static_cast<long long>(steps), static_cast<long long>(harness.PluginEntries()),
              static_cast<long long>(harness.HostCalls()), static_cast<long long>(soak::PluginRestarts()),
              harness.PeakImages(), harness.PeakRequesters());
  std::printf("[ soak     ] %lld settings-file writes and %lld of the plug-in's allocations refused\n",
              static_cast<long long>(host->FailedConfigWrites()), static_cast<long long>(soak::RefusedAllocations()));
}

}  // namespace
