// Smart Fill against the stand-in host's canvas: the whole host dialogue and
// its result on the artist's layers, the shape test, and the stops when a
// reply carries no number (nothing of the artist's may change then).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/plugin_state.h"
#include "interact/smart_fill.h"
#include "support/plugin_host.h"

namespace {

using simhost::Layer;
using simhost::Rgba;

class InteractSmartFill : public PluginHostTest {
 protected:
  const Rgba kPaint{200, 40, 10, 255};
  const Rgba kOld{0, 90, 0, 255};

  // The artist's canvas: an older mark, then a closed outline 10..20 x 8..16
  // drawn as the last stroke with the A pen, which is also the fill colour
  // (the host's re-apply paints the line again with the A pen).
  void DrawOutline() {
    host->PaintPixel(40, 30, kOld);
    std::vector<std::pair<int32_t, int32_t>> outline;
    for (int32_t x = 10; x <= 20; ++x) {
      outline.push_back({x, 8});
      outline.push_back({x, 16});
    }
    for (int32_t y = 9; y < 16; ++y) {
      outline.push_back({10, y});
      outline.push_back({20, y});
    }
    host->aPen = kPaint;
    host->DrawStroke(outline, kPaint);
    GState.SmartFillPoint[0] = 15;
    GState.SmartFillPoint[1] = 12;
  }

  static bool Inside(int32_t x, int32_t y) { return x > 10 && x < 20 && y > 8 && y < 16; }
  static bool OnOutline(int32_t x, int32_t y) {
    return x >= 10 && x <= 20 && y >= 8 && y <= 16 && !Inside(x, y);
  }
};

const std::vector<std::string> kFullRun = {
    "tv_getactiveshape",
    "tv_undo",
    "tv_undoopenstack",
    "tv_LayerGetImage",
    "tv_LayerCurrentID",
    "tv_LayerDisplay 1 off",
    "tv_LayerCreate \"deleteme_restroke\"",
    "tv_LayerShift 2 1",
    "tv_LayerImage 1",
    "tv_reapply",
    "tv_pixelmatrix 0 0 0 0 0   0 0 0 0 150   0 0 0 0 255   0 0 0 1 0",
    "tv_layerstencil 2 on",
    "tv_LayerCreate \"deleteme_fillresult\"",
    "tv_LayerShift 3 1",
    "tv_LayerImage 1",
    "tv_fill 15 12",
    "tv_sparecopy",
    "tv_LayerDisplay 1 on",
    "tv_undoclosestack \"Smart Fill\"",
    "tv_undo",
    "tv_sparetofront",
    "tv_setActiveShape freehandline",
};

TEST_F(InteractSmartFill, FillsInsideTheLineAsOneUndoableStep) {
  DrawOutline();
  const std::vector<simhost::UndoStep> before = host->UndoHistory();
  host->activeShape = "rectangle";  // the run leaves the freehand line active
  host->ScriptReply("tv_getactiveshape", "freehandline");
  host->ClearRecords();

  SmartFill(host->Context());

  EXPECT_EQ(kFullRun, host->CommandTexts());
  for (const simhost::DispatchRecord& call : host->Calls()) {
    ASSERT_EQ(2u, call.pack.size());
    EXPECT_NE(0, call.pack[1]) << "every command goes with a reply buffer";
  }
  ASSERT_EQ(1u, host->layers.size()) << "no scratch layer survives";
  const Layer& layer = host->layers[0];
  EXPECT_TRUE(layer.visible);
  EXPECT_EQ(1, host->currentLayerId);
  EXPECT_EQ("freehandline", host->activeShape);
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      Rgba expected{0, 0, 0, 0};
      if (Inside(x, y)) expected = kPaint;  // the line itself is trimmed away
      if (x == 40 && y == 30) expected = kOld;
      ASSERT_EQ(expected, host->LayerPixel(layer, x, y)) << x << "," << y;
    }
  }
  // One undo takes the fill back to the canvas before the line.
  ASSERT_EQ(before.size(), host->UndoHistory().size());
  EXPECT_EQ(before.back().layers, host->UndoHistory().back().layers);
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(InteractSmartFill, RunsOnlyWhenTheWholeShapeReplyIsFreehandLine) {
  const std::pair<const char*, bool> cases[] = {
      {"freehandline", true}, {"FreeHandLine", true},       {"freehandline extra", false},
      {"freehandline ", false}, {"freehandlinefill", false}, {"", false},
      {"rectanglefill", false},
  };
  for (const auto& [reply, runs] : cases) {
    RestartHost();
    DrawOutline();
    host->ScriptReply("tv_getactiveshape", reply);
    host->ClearRecords();
    SmartFill(host->Context());
    const std::vector<std::string> commands = host->CommandTexts();
    if (runs) {
      EXPECT_EQ(kFullRun.size(), commands.size()) << '"' << reply << '"';
    } else {
      EXPECT_EQ(std::vector<std::string>{"tv_getactiveshape"}, commands) << '"' << reply << '"';
    }
  }
}

// A reply that holds no number stops the run before the number is needed;
// whatever the host did by then is put back.
TEST_F(InteractSmartFill, ReplyWithoutANumberLeavesTheArtistsWorkAsItWas) {
  struct Case {
    const char* command;  // its reply holds no number
    const char* reply;
    std::vector<std::string> commands;
  };
  const std::vector<std::string> start = {"tv_getactiveshape", "tv_undo", "tv_undoopenstack", "tv_LayerGetImage"};
  auto with = [&start](std::vector<std::string> rest) {
    std::vector<std::string> all = start;
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
  };
  const Case cases[] = {
      {"tv_LayerGetImage", "", with({"tv_undoclosestack \"Smart Fill\"", "tv_reapply"})},
      {"tv_LayerCurrentID", "none", with({"tv_LayerCurrentID", "tv_undoclosestack \"Smart Fill\"", "tv_reapply"})},
      {"tv_LayerCreate \"deleteme_restroke\"", "error -4",
       with({"tv_LayerCurrentID", "tv_LayerDisplay 1 off", "tv_LayerCreate \"deleteme_restroke\"",
             "tv_LayerDisplay 1 on", "tv_undoclosestack \"Smart Fill\"", "tv_undo", "tv_reapply"})},
      {"tv_LayerCreate \"deleteme_fillresult\"", " ",
       with({"tv_LayerCurrentID", "tv_LayerDisplay 1 off", "tv_LayerCreate \"deleteme_restroke\"",
             "tv_LayerShift 2 1", "tv_LayerImage 1", "tv_reapply",
             "tv_pixelmatrix 0 0 0 0 0   0 0 0 0 150   0 0 0 0 255   0 0 0 1 0", "tv_layerstencil 2 on",
             "tv_LayerCreate \"deleteme_fillresult\"", "tv_LayerDisplay 1 on", "tv_undoclosestack \"Smart Fill\"",
             "tv_undo", "tv_reapply"})},
  };
  for (const Case& c : cases) {
    RestartHost();
    DrawOutline();
    const std::vector<Layer> layersBefore = host->layers;
    const std::vector<simhost::UndoStep> historyBefore = host->UndoHistory();
    host->ScriptReply(c.command, c.reply);
    host->ClearRecords();

    SmartFill(host->Context());

    EXPECT_EQ(c.commands, host->CommandTexts()) << c.command;
    EXPECT_EQ(layersBefore, host->layers) << c.command << ": layers, pixels and visibility as they were";
    EXPECT_EQ(1, host->currentLayerId) << c.command;
    EXPECT_EQ(0, host->undoStackDepth) << c.command << ": the group is closed";
    ASSERT_EQ(historyBefore.size(), host->UndoHistory().size()) << c.command;
    for (size_t i = 0; i < historyBefore.size(); ++i) {
      EXPECT_EQ(historyBefore[i].layers, host->UndoHistory()[i].layers) << c.command << " step " << i;
    }
    EXPECT_TRUE(host->Faults().empty()) << c.command;
  }
}

}  // namespace
