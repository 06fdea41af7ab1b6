// The scope window's picture: marker positions and colours in both displays
// over the graticule, the click that switches the display, clipping at the
// picture's edges, and one live picture however many updates come.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/artwork.h"
#include "core/packed_image.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "requesters/vectorscope_window.h"
#include "support/plugin_host.h"

namespace {

using Marks = std::map<std::pair<int32_t, int32_t>, Pixel>;

class ColourVectorscope : public PluginHostTest {
 protected:
  PluginContext* Ctx() { return host->Context(); }
  Pixel White() { return MakePixel(Ctx(), 255, 255, 255, 255); }
  Pixel Green() { return MakePixel(Ctx(), 0, 255, 0, 255); }

  void OpenScope(int32_t mode) {
    GState.VectorscopeMode = mode;
    OpenScopeWindow(Ctx());
    ASSERT_NE(0, GState.VectorscopeRequester);
  }

  // The graticule alone.
  std::vector<Pixel> Background(int32_t mode) {
    const PackedImage& packed = mode == kScopeVector ? kVectorscopeGraticule : kWaveformGraticule;
    std::vector<Pixel> pixels(180 * 180);
    UnpackImage(packed.Data, static_cast<size_t>(packed.Size), pixels.data(), 180 * 180);
    return pixels;
  }

  const simhost::Gadget& ScopeGadget() {
    return host->FindRequester(GState.VectorscopeRequester)->gadgets.at(kScopeGadget);
  }

  // The shown picture is the background with exactly these marks.
  void ExpectPicture(int32_t mode, const Marks& marks, const std::string& label) {
    const simhost::Gadget& gadget = ScopeGadget();
    ASSERT_EQ(180, gadget.imageWidth) << label;
    ASSERT_EQ(180, gadget.imageHeight) << label;
    const std::vector<Pixel> background = Background(mode);
    int32_t wrong = 0;
    for (int32_t y = 0; y < 180; ++y) {
      for (int32_t x = 0; x < 180; ++x) {
        const auto mark = marks.find({x, y});
        const Pixel expected = mark != marks.end() ? mark->second : background[x + 180 * y];
        if (gadget.imagePixels[x + 180 * y] != expected && ++wrong <= 5) {
          ADD_FAILURE() << label << ": pixel (" << x << ", " << y << ")";
        }
      }
    }
    EXPECT_EQ(0, wrong) << label;
  }

  Marks VectorMarks(int32_t cx, int32_t cy) {
    Marks marks;
    auto put = [&marks](int32_t x, int32_t y, Pixel colour) {
      if (x >= 0 && y >= 0 && x < 180 && y < 180) marks[{x, y}] = colour;
    };
    for (int32_t k = 1; k <= 4; ++k) {
      for (int32_t sx : {-1, 1}) {
        for (int32_t sy : {-1, 1}) put(cx + sx * k, cy + sy * k, White());
      }
    }
    put(cx, cy - 2, Green());
    put(cx, cy + 2, Green());
    put(cx - 2, cy, Green());
    put(cx + 2, cy, Green());
    put(cx, cy, White());
    return marks;
  }

  Marks WaveMarks(int32_t level, int32_t amp) {
    Marks marks;
    for (int32_t x = 0; x < 180; x += 2) {
      for (int32_t y : {level, level + amp, level - amp}) {
        if (y >= 0 && y < 180) marks[{x, y}] = y == level && amp != 0 ? Green() : White();
      }
    }
    return marks;
  }
};

TEST_F(ColourVectorscope, MarkersInBothDisplays) {
  struct Case {
    const char* name;
    uint8_t r, g, b, a;
    int32_t cx, cy;      // vectorscope point
    int32_t level, amp;  // waveform rows
  };
  // Luma Y = 0.32 R + 0.57 G + 0.11 B, dr = (R - Y) 0.63, db = (B - Y) 0.34.
  const Case cases[] = {
      {"grey", 100, 100, 100, 255, 90, 90, 100, 0},
      {"blue", 0, 0, 255, 255, 144, 102, 129, 43},  // Y 28.05, db 77.16, dr -17.67
      {"red", 255, 0, 0, 255, 71, 13, 108, 61},     // Y 81.6, db -27.74, dr 109.24
      {"yellow", 255, 255, 0, 255, 36, 78, 51, 43},  // truncated toward zero,
      // Premultiplied bytes above alpha give blue 420.75: the point sits at
      // the right edge, half of it outside.
      {"over-bright blue", 0, 0, 165, 100, 179, 110, 121, 71},
  };
  OpenScope(kScopeVector);
  for (const Case& c : cases) {
    const Pixel pixel = MakePixel(Ctx(), c.r, c.g, c.b, c.a);
    GState.VectorscopeMode = kScopeVector;
    VectorscopeUpdate(Ctx(), pixel);
    ExpectPicture(kScopeVector, VectorMarks(c.cx, c.cy), std::string(c.name) + " vectorscope");
    GState.VectorscopeMode = kScopeWaveform;
    VectorscopeUpdate(Ctx(), pixel);
    ExpectPicture(kScopeWaveform, WaveMarks(c.level, c.amp), std::string(c.name) + " waveform");
  }
  EXPECT_EQ(1, host->LiveImageCount()) << "one picture for the window";
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(ColourVectorscope, ClickSwitchesTheDisplayAndClosingFreesThePicture) {
  OpenScope(kScopeWaveform);
  GState.CurrentPixel = MakePixel(Ctx(), 0, 0, 255, 255);
  const RequesterHandle scope = GState.VectorscopeRequester;
  const int32_t modes[] = {kScopeVector, kScopeWaveform, kScopeVector};
  for (int32_t mode : modes) {
    host->Message(kMsgGadgetPress, scope, {kScopeGadget});
    EXPECT_EQ(mode, GState.VectorscopeMode);
    ExpectPicture(mode, mode == kScopeVector ? VectorMarks(144, 102) : WaveMarks(129, 43),
                  "after a click, mode " + std::to_string(mode));
  }
  host->Message(kMsgGadgetPress, scope, {131});
  EXPECT_EQ(kScopeVector, GState.VectorscopeMode) << "other gadgets change nothing";
  EXPECT_EQ(3, ScopeGadget().imageSetCount);

  // A thousand pointer updates keep one live picture; closing frees it.
  for (int i = 0; i < 1000; ++i) VectorscopeUpdate(Ctx(), MakePixel(Ctx(), i & 255, 40, 200, 255));
  EXPECT_EQ(1, host->LiveImageCount());
  host->FailNextImageAlloc();
  VectorscopeUpdate(Ctx(), GState.CurrentPixel);
  EXPECT_EQ(1003, ScopeGadget().imageSetCount) << "without memory the last picture stays";
  EXPECT_TRUE(host->IsLiveImage(ScopeGadget().image));
  CloseScopeWindow(Ctx());
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_EQ(nullptr, GState.VectorscopeImage);

  // Closed: nothing is allocated, unpacked or shown.
  host->ClearRecords();
  VectorscopeUpdate(Ctx(), GState.CurrentPixel);
  host->Message(kMsgGadgetPress, scope, {kScopeGadget});
  EXPECT_EQ(0u, CountCalls(kFnAllocImage) + CountCalls(kFnUnpackImage) + CountCalls(kFnRequesterOp));
  EXPECT_TRUE(host->Faults().empty());
}

// The scope follows the canvas through the pick mode and closes with it,
// reopening where the user left it.
TEST_F(ColourVectorscope, FollowsThePickModeAndKeepsItsPlace) {
  GState.VectorscopeMode = kScopeVector;
  GState.VectorscopeX = 40;
  GState.VectorscopeY = 60;
  ASSERT_EQ(1, host->Parameters("s"));
  const RequesterHandle scope = GState.VectorscopeRequester;
  ASSERT_NE(0, scope);
  host->Message(kMsgPointerMove, GState.PickRequester, {0, 5 << 16, 6 << 16, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(1, ScopeGadget().imageSetCount) << "a pointer move in the pick mode updates the scope";
  EXPECT_EQ(5 << 16, GState.PickPointer[0]);
  host->MoveRequester(scope, 300, 7, 185, 185);
  host->EndCanvasEvents();
  EXPECT_EQ(0, GState.VectorscopeRequester);
  EXPECT_EQ(300, GState.VectorscopeX);
  EXPECT_EQ(7, GState.VectorscopeY);
  EXPECT_EQ(0, host->LiveImageCount());
  ASSERT_EQ(1, host->Parameters("s"));
  const simhost::Requester* reopened = host->FindRequester(GState.VectorscopeRequester);
  ASSERT_NE(nullptr, reopened);
  EXPECT_EQ(300, reopened->x);
  EXPECT_EQ(7, reopened->y);
  host->Close();
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_TRUE(host->Faults().empty());
}

}  // namespace
