// A seeded random soak of the canvas side: pointer messages to the FX-brush
// watch and the brush mode, the panel commands that start and end them,
// option changes, scope clicks and overlay requests, the host ending the
// interaction, Smart Fill runs, random tool and shape replies (garbage
// included). Nothing may fault in the host, leak an image or a window, or
// send a malformed command. TINTWELL_SOAK_STEPS sets a longer run.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "interact/canvas_modes.h"
#include "interact/smart_fill.h"
#include "requesters/vectorscope_window.h"
#include "support/plugin_host.h"

namespace {

class InteractCanvasSoak : public PluginHostTest {
 protected:
  std::mt19937 random{20240613u};

  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(random()) % n; }
  int32_t Between(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(Below(static_cast<uint32_t>(hi - lo + 1))); }

  std::vector<HostWord> RandomEvent() {
    static const int32_t buttons[] = {0, 0, 0, 1, 1, 2, 3, 16, 17};
    std::vector<HostWord> words(10, 0);
    words[0] = buttons[Below(9)];
    words[1] = Between(-20, 90) * 65536 + Between(0, 65535);
    words[2] = Between(-20, 70) * 65536 + Between(0, 65535);
    // Mostly near the brush control (so every ring of it is hit), sometimes far.
    const int32_t reach = Below(8) ? 140 : 2000;
    words[3] = Between(100, 100 + reach) * 65536 + Between(0, 65535);
    words[4] = Between(100, 100 + reach) * 65536 + Between(0, 65535);
    words[5] = Between(0, 300);
    words[7] = Between(0, 2);
    words[9] = -Between(-100, 2000);
    if (Below(50) == 0) {
      for (HostWord& word : words) word = static_cast<int32_t>(random());  // anything at all
    }
    return words;
  }

  void RandomTool() {
    static const char* const tools[] = {"tv_airbrush", "tv_penbrush", "tv_pencil", "tv_specialbrush",
                                        "tv_bucketfill", "", "tv_wetbrush"};
    host->activeTool = tools[Below(7)];
    host->toolSettings.clear();
    static const char* const oddNumbers[] = {"lots", "2147483647", "-5", "1e60", "0.25", ""};
    if (Below(4)) host->toolSettings.push_back({"size", Below(8) ? std::to_string(Between(1, 300)) : oddNumbers[Below(6)]});
    if (Below(4)) host->toolSettings.push_back({"power", Below(8) ? std::to_string(Between(0, 100)) : oddNumbers[Below(6)]});
    if (Below(2)) host->toolSettings.push_back({"opacity", std::to_string(Between(0, 100))});
    if (Below(10) == 0) host->ScriptReply("tv_GetActiveTool force", Below(2) ? "" : "size power");
  }

  // Checks the dialogue so far and forgets it (the records would grow).
  void CheckAndClear(int step) {
    for (const std::string& fault : host->Faults()) ADD_FAILURE() << "step " << step << ": " << fault;
    for (const simhost::CommandRecord& record : host->Commands()) {
      const std::string& command = record.command;
      // Only the recolouring matrix is written with runs of spaces.
      const bool spaced = command.find("  ") != std::string::npos && command.compare(0, 14, "tv_pixelmatrix") != 0;
      const bool wellFormed = command.size() > 3 && command.compare(0, 3, "tv_") == 0 &&
                              command.find('%') == std::string::npos && !spaced;
      if (!wellFormed) ADD_FAILURE() << "step " << step << ": malformed command \"" << command << '"';
    }
    EXPECT_LE(host->LiveImageCount(), 4) << "step " << step;
    EXPECT_LE(host->OpenRequesterCount(), 3) << "step " << step;
    EXPECT_EQ(0, host->undoStackDepth) << "step " << step;
    host->ClearRecords();
  }
};

TEST_F(InteractCanvasSoak, RandomCanvasEventsNeverLeakOrFault) {
  int steps = 3000;
  if (const char* env = std::getenv("TINTWELL_SOAK_STEPS")) steps = std::atoi(env);
  PluginContext* ctx = host->Context();
  host->FillCurrentLayer(simhost::Rgba{40, 90, 160, 255});
  static const char letters[] = "sSSSRRkKTUu";
  static const char* const shapes[] = {"freehandline", "FreeHandLine", "rectanglefill", ""};
  for (int step = 0; step < steps; ++step) {
    const uint32_t action = Below(100);
    if (action < 35) {
      if (GState.PickRequester) host->Message(kMsgPointerMove, GState.PickRequester, RandomEvent());
    } else if (action < 65) {
      if (GState.BrushRequester) host->Message(kMsgPointerMove, GState.BrushRequester, RandomEvent());
    } else if (action < 73) {
      const char command[2] = {letters[Below(sizeof letters - 1)], '\0'};
      host->Parameters(command);
    } else if (action < 78) {
      GState.PaintModeBits = static_cast<int32_t>(Below(0x200)) & (kPaintDirt | kPaintLoad | kPaintRot |
                                                                  kPaintSizeLock | kPaintAutoTrim);
      GState.RingLockBits = static_cast<int32_t>(Below(8));
      GState.AggressiveAutosample = static_cast<int32_t>(Below(2));
      GState.CieHsvMode = static_cast<int32_t>(Below(2));
      UpdateFxBrushWatch(ctx);
    } else if (action < 82) {
      RandomTool();
      host->activeShape = shapes[Below(4)];
    } else if (action < 86) {
      GState.VectorscopeMode = static_cast<int32_t>(Below(3));
      if (GState.VectorscopeMode == kScopeOff) {
        CloseScopeWindow(ctx);
      } else {
        OpenScopeWindow(ctx);
      }
      host->Message(kMsgGadgetPress, GState.VectorscopeRequester, {Below(2) ? kScopeGadget : 7});
    } else if (action < 90) {
      host->Message(kMsgOverlayDraw, 0, {});
    } else if (action < 93) {
      std::vector<HostWord> words = RandomEvent();
      words[2] = static_cast<HostWord>(Between(-2, 2));
      host->Message(kMsgCanvasPointer, 0, words);
    } else if (action < 95) {
      host->EndCanvasEvents();
    } else {
      static const char* const asked[] = {"tv_LayerGetImage", "tv_LayerCurrentID",
                                          "tv_LayerCreate \"deleteme_restroke\"",
                                          "tv_LayerCreate \"deleteme_fillresult\""};
      if (Below(2)) host->ScriptReply(asked[Below(4)], Below(2) ? "" : "no");
      host->DrawStroke({{Between(0, 63), Between(0, 47)}, {Between(0, 63), Between(0, 47)}},
                       simhost::Rgba{9, 9, 9, 255});
      SmartFill(ctx);
    }
    CheckAndClear(step);
    if (HasFailure()) break;
  }
  host->EndCanvasEvents();
  CloseScopeWindow(ctx);
  host->Close();
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_EQ(0, host->OpenRequesterCount());
  EXPECT_TRUE(host->Faults().empty());
}

}  // namespace
