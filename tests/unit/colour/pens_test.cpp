// Tests of colour/pens, the pens sent through the current colour's owner and the gradient table, talking to the stand-in host:
// replies read into pens, commands sent, and when the A-B range is reloaded.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "colour/colour_mixing.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "colour/pens.h"
#include "core/plugin_state.h"
#include "core/text_numbers.h"
#include "host/host_commands.h"
#include "host/host_calls.h"
#include "support/plugin_host.h"

namespace {

class ColourPens : public PluginHostTest {
 protected:
  std::vector<std::string> RangeCommands() const {
    std::vector<std::string> out;
    for (const std::string& c : host->CommandTexts()) {
      if (c.rfind("tv_RangeGrab", 0) == 0) out.push_back(c);
    }
    return out;
  }
};

TEST_F(ColourPens, ReadingPensFromReplies) {
  PluginContext* ctx = host->Context();
  struct Case {
    const char* reply;
    uint8_t r, g, b;
  };
  const Case cases[] = {
      {"12 34 56 78", 12, 34, 56}, {"12 34", 12, 34, 0}, {"", 0, 0, 0},
      {"garbage", 0, 0, 0},        {"300 -4 7 1", 255, 0, 7},
  };
  for (const Case& c : cases) {
    host->ScriptReply("tv_GetAPen", c.reply);
    host->ScriptReply("tv_GetBPen", c.reply);
    const Pixel expected = MakePixel(ctx, c.r, c.g, c.b, 255);
    EXPECT_EQ(expected, GetAPen(ctx)) << c.reply;
    EXPECT_EQ(expected, GetBPen(ctx)) << c.reply;
  }
  host->aPen = simhost::Rgba{1, 2, 3, 255};
  EXPECT_EQ(MakePixel(ctx, 1, 2, 3, 255), GetAPen(ctx));
}

TEST_F(ColourPens, SendAPenSendsTheColourThenReloadsTheRange) {
  PluginContext* ctx = host->Context();
  host->bPen = simhost::Rgba{0, 0, 255, 255};
  SendAPen(ctx, MakePixel(ctx, 200, 100, 0, 255));
  const std::vector<std::string> commands = host->CommandTexts();
  ASSERT_EQ(257u, commands.size());
  EXPECT_EQ("tv_SetAPen 200 100 0", commands[0]);
  for (int n = 0; n < 256; ++n) {
    EXPECT_EQ("tv_RangeGrab " + std::to_string(255 - n), commands[static_cast<size_t>(n) + 1]);
  }
  // Entry k holds range position 255 - k: entry 0 is the B end, 255 the A end.
  EXPECT_EQ(MakePixel(ctx, 0, 0, 255, 255), GState.GradientTable[0]);
  EXPECT_EQ(MakePixel(ctx, 200, 100, 0, 255), GState.GradientTable[255]);
  const simhost::Rgba middle = host->RangeColour(128);
  EXPECT_EQ(MakePixel(ctx, middle.r, middle.g, middle.b, middle.a), GState.GradientTable[127]);
}

TEST_F(ColourPens, DraggingTheSliderSendsOnlyThePen) {
  PluginContext* ctx = host->Context();
  GState.GradientTable.fill(0x12345678u);
  GState.DragTarget = kDragSlider;
  SendAPen(ctx, MakePixel(ctx, 1, 2, 3, 255));
  SendAPen(ctx, MakePixel(ctx, 4, 5, 6, 255));
  EXPECT_EQ((std::vector<std::string>{"tv_SetAPen 1 2 3", "tv_SetAPen 4 5 6"}), host->CommandTexts());
  EXPECT_EQ(0x12345678u, GState.GradientTable[9]);
  // Other drags still reload.
  host->ClearRecords();
  GState.DragTarget = 0x10;
  SendAPen(ctx, MakePixel(ctx, 1, 2, 3, 255));
  EXPECT_EQ(256u, RangeCommands().size());
}

TEST_F(ColourPens, SetBPenSendsTheStoredBytesOnly) {
  PluginContext* ctx = host->Context();
  // A half-transparent pixel: its stored bytes go out, alpha does not.
  SetBPen(ctx, MakePixel(ctx, 9, 8, 7, 128));
  EXPECT_EQ((std::vector<std::string>{"tv_SetBPen 9 8 7"}), host->CommandTexts());
  EXPECT_EQ((simhost::Rgba{9, 8, 7, 255}), host->bPen);
}

TEST_F(ColourPens, ShortRangeRepliesGiveZeros) {
  PluginContext* ctx = host->Context();
  GState.GradientTable.fill(0xffffffffu);
  host->ScriptReply("tv_RangeGrab 255", "");
  host->ScriptReply("tv_RangeGrab 254", "7 8");
  host->ScriptReply("tv_RangeGrab 0", "1 2 3 4 5 6");
  LoadGradientTable(ctx);
  EXPECT_EQ(0u, GState.GradientTable[0]);
  EXPECT_EQ(MakePixel(ctx, 7, 8, 0, 0), GState.GradientTable[1]);
  EXPECT_EQ(MakePixel(ctx, 1, 2, 3, 4), GState.GradientTable[255]);
}

// Replies near the usual "r g b a" shape read as the general scanner reads
// them (the usual shape itself takes a shorter way).
TEST_F(ColourPens, RangeRepliesOfUnusualShapeReadAsScanned) {
  PluginContext* ctx = host->Context();
  const char* replies[] = {"1000 2 3 4", " 7 8 9 10", "7  8 9 10", "-5 8 9 10", "7 8 9 10 11", "7 8 9 10x",
                           "007 8 9 255", "7 8 9", "12 34 56 78"};
  for (size_t k = 0; k < std::size(replies); ++k) {
    host->ScriptReply("tv_RangeGrab " + std::to_string(255 - k), replies[k]);
  }
  LoadGradientTable(ctx);
  for (size_t k = 0; k < std::size(replies); ++k) {
    int32_t v[4];
    ScanReplyIntegers(replies[k], v, 4);
    EXPECT_EQ(MakePixel(ctx, ClampToByte(v[0]), ClampToByte(v[1]), ClampToByte(v[2]), ClampToByte(v[3])),
              GState.GradientTable[k])
        << "reply \"" << replies[k] << "\"";
  }
}

// The fixed blue-green-red-alpha word of the host's usual layout is what
// the table holds there.
TEST_F(ColourPens, TableWordsOnTheUsualLayout) {
  PluginContext* ctx = host->Context();
  ASSERT_EQ(2, ctx->RedPosition);
  ASSERT_EQ(0, ctx->BluePosition);
  host->ScriptReply("tv_RangeGrab 255", "16 32 48 255");
  LoadGradientTable(ctx);
  EXPECT_EQ(0xff102030u, GState.GradientTable[0]);
}

}  // namespace
