// Random soak of the canvas side together with the panel: the panel's
// gestures and notices interleaved with FX-brush watch moves, brush-mode
// strokes, option changes, tool replies with odd numbers, the scope window,
// overlay requests and Smart Fill runs. Nothing may fault, leak an image or
// a window, leave an undo group open or a scratch layer behind, or send a
// malformed command; closing the plug-in frees every image.
#include "core/plugin_state.h"
#include "soak/canvas_event_kinds.h"
#include "soak/panel_event_kinds.h"
#include "support/plugin_host.h"

namespace {

using CanvasSoak = PluginHostTest;

TEST_F(CanvasSoak, RandomCanvasEventsKeepThePluginSound) {
  ASSERT_EQ(1, host->Open());
  host->ChangeRoom("Room-2");
  host->FillCurrentLayer(simhost::Rgba{40, 90, 160, 255});
  soak::Harness harness(*host, soak::SoakSeed(20240613));
  harness.DriveClock();
  soak::AddPanelEventKinds(harness);
  soak::AddCanvasEventKinds(harness);
  soak::AddPanelInvariants(harness);
  soak::AddCanvasInvariants(harness);
  EXPECT_TRUE(harness.Run(soak::SoakSteps(2000)));

  host->EndCanvasEvents();
  host->Close();
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_EQ(0, host->OpenRequesterCount());
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
  RecordProperty("PeakImages", harness.PeakImages());
  RecordProperty("PeakRequesters", harness.PeakRequesters());
}

}  // namespace
