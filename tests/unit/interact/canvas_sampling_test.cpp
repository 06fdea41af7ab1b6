// Reading colours from the canvas: which source each mode samples (host
// query or sample buffer, whole picture or current layer, frozen), positions
// in 16.16, the buffer's life, and the pick mode's events and autosample
// acting on real canvas pixels of the stand-in host.
#include <cstring>
#include <string>
#include <vector>

#include "colour/colour_mixing.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "colour/colour_models.h"
#include "colour/panel_models.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/canvas_pick.h"
#include "support/plugin_host.h"

namespace {

constexpr int32_t kOne = 65536;  // 1.0 in 16.16

class CanvasSampling : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    std::strcpy(host->Context()->Name, "Tintwell");
    // One layer, so the whole picture and the current layer agree: the
    // tests below tell the sources apart by the host calls they make.
    host->PaintPixel(5, 4, {255, 0, 0, 128});   // half-transparent red
    host->PaintPixel(0, 0, {255, 255, 255, 255});
    host->PaintPixel(63, 47, {10, 20, 30, 255});
    host->PaintPixel(2, 2, {40, 200, 90, 255});
  }
  PluginContext* Ctx() { return host->Context(); }
  Pixel Px(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return MakePixel(Ctx(), r, g, b, a); }
  void DropBuffer() {
    if (GState.SampleBuffer) HostFreeImage(Ctx(), GState.SampleBuffer);
    GState.SampleBuffer = nullptr;
  }
  void SetCurrent(uint8_t r, uint8_t g, uint8_t b) {
    GState.CurrentRgb = ColourTriple{float(r), float(g), float(b), 255};
    GState.CurrentPixel = Px(r, g, b, 255);
  }
  std::string Pen() const {
    return std::to_string(host->aPen.r) + " " + std::to_string(host->aPen.g) + " " + std::to_string(host->aPen.b);
  }
  std::string PixelText(Pixel p) {
    return std::to_string(PixelRed(Ctx(), p)) + " " + std::to_string(PixelGreen(Ctx(), p)) + " " +
           std::to_string(PixelBlue(Ctx(), p));
  }
};

TEST_F(CanvasSampling, EachModeSamplesItsOwnSource) {
  struct Case {
    const char* name;
    int32_t sourceFlags, ringLocks, paintBits, modeFlags;
    int32_t x, y;                // 16.16
    Pixel expected;
    int32_t alpha;
    const char* query;           // the command sent for each sample, or "" for none
    int32_t bufferRead;          // host function that filled the buffer, or 0
  };
  SetCurrent(1, 2, 3);
  const Case cases[] = {
      {"pick, picture", 0, 0, 0, kModePick, 5 * kOne + 49152, 4 * kOne + 16384, Px(255, 0, 0, 128), 128,
       "tv_GetPixelDisplay 5 4", 0},
      {"pick, layer", kSampleSingleLayer, 0, 0, kModePick, 5 * kOne + 49152, 4 * kOne, Px(255, 0, 0, 128), 128,
       "tv_GetPixel 5 4", 0},
      {"pick, negative", 0, 0, 0, kModePick, -229376, -32768, Px(0, 0, 0, 0), 0, "tv_GetPixelDisplay -3 0", 0},
      {"brush mode", 0, kLockRing, kPaintDirt, kModeBrush, 2 * kOne, 2 * kOne, Px(40, 200, 90, 255), 255,
       "tv_GetPixelDisplay 2 2", 0},
      {"no autosample", 0, 0, kPaintRot, 0, 0, 0, Px(255, 255, 255, 255), 255, "tv_GetPixelDisplay 0 0", 0},
      {"autosample, picture", 0, kLockRing, 0, 0, 5 * kOne + 100, 4 * kOne, Px(128, 0, 0, 128), 128, "",
       kFnReadProjectImage},
      {"autosample, layer", kSampleSingleLayer, kLockVertical, 0, 0, 5 * kOne, 4 * kOne, Px(255, 0, 0, 255), 255,
       "", kFnReadLayerImage},
      {"autosample, layer, clear", kSampleSingleLayer, kLockHorizontal, 0, 0, 9 * kOne, 9 * kOne,
       Px(1, 2, 3, 255), 255, "", kFnReadLayerImage},
      {"Dirt, clamped", 0, 0, kPaintDirt, 0, -229376, -229376, Px(255, 255, 255, 255), 255, "", kFnReadProjectImage},
      {"Load, clamped", 0, 0, kPaintLoad, 0, 100 * kOne, 60 * kOne, Px(10, 20, 30, 255), 255, "", kFnReadProjectImage},
      {"frozen, pick", kSampleFrozen, 0, 0, kModePick, 5 * kOne, 4 * kOne, Px(128, 0, 0, 128), 128, "",
       kFnReadProjectImage},
      {"frozen, layer", kSampleFrozen | kSampleSingleLayer, kLockRing, 0, 0, 5 * kOne, 4 * kOne, Px(128, 0, 0, 128),
       128, "", kFnReadLayerImage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DropBuffer();
    GState.SampleSourceFlags = c.sourceFlags;
    GState.RingLockBits = c.ringLocks;
    GState.PaintModeBits = c.paintBits;
    GState.ModeFlags = c.modeFlags;
    host->ClearRecords();
    EXPECT_EQ(c.expected, SamplePixel(c.x, c.y, Ctx()));
    EXPECT_EQ(c.alpha, SampleAlpha(c.x, c.y, Ctx()));
    const std::vector<std::string> queries = host->CommandTexts();
    if (*c.query) {
      EXPECT_EQ(std::vector<std::string>(2, c.query), queries);
      EXPECT_EQ(0u, CountCalls(kFnAllocImage));
    } else {
      EXPECT_EQ(1u, CountCalls(kFnAllocImage));  // loaded once, on first use
      EXPECT_EQ(1u, CountCalls(c.bufferRead));
      const std::vector<std::string> named{"tv_LayerGetImage"};  // the current layer asks which image first
      EXPECT_EQ(c.bufferRead == kFnReadLayerImage ? named : std::vector<std::string>{}, queries);
    }
  }
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(CanvasSampling, BufferFollowsTheCanvasFreezesAndNeverDangles) {
  GState.RingLockBits = kLockRing;
  GState.SampleSourceFlags = kSampleSingleLayer;
  LoadSampleBuffer(Ctx());
  const simhost::DispatchRecord* read = FindCall(kFnReadLayerImage);
  ASSERT_NE(nullptr, read);
  EXPECT_EQ((std::vector<HostWord>{reinterpret_cast<HostWord>(GState.SampleBuffer->Pixels), 64 * 48 * 4, 1, 1, 0}),
            read->pack);
  GState.SampleSourceFlags = 0;
  LoadSampleBuffer(Ctx());
  EXPECT_EQ((std::vector<HostWord>{reinterpret_cast<HostWord>(GState.SampleBuffer->Pixels), 0, 0, 64, 48, 0, 0}),
            FindCall(kFnReadProjectImage)->pack);

  // Frozen: canvas changes stay unseen, reloads do nothing, until thawed.
  GState.SampleSourceFlags = kSampleFrozen;
  const Pixel before = SamplePixel(2 * kOne, 2 * kOne, Ctx());
  host->PaintPixel(2, 2, {0, 0, 255, 255});
  host->ClearRecords();
  for (int i = 0; i < 3; ++i) LoadSampleBuffer(Ctx());
  EXPECT_EQ(before, SamplePixel(2 * kOne, 2 * kOne, Ctx()));
  EXPECT_TRUE(host->Calls().empty());
  GState.SampleSourceFlags = 0;
  LoadSampleBuffer(Ctx());
  EXPECT_EQ(Px(0, 0, 255, 255), SamplePixel(2 * kOne, 2 * kOne, Ctx()));

  // The buffer takes the canvas's new size; edge clamping follows it.
  host->SetProjectSize(80, 30);
  host->PaintPixel(79, 29, {7, 8, 9, 255});
  LoadSampleBuffer(Ctx());
  EXPECT_EQ(80, GState.SampleBuffer->Width);
  EXPECT_EQ(Px(7, 8, 9, 255), SamplePixel(500 * kOne, 500 * kOne, Ctx()));

  // No memory: the old buffer stays in use. No image named: none is kept.
  HostImage* kept = GState.SampleBuffer;
  host->FailNextImageAlloc();
  LoadSampleBuffer(Ctx());
  EXPECT_EQ(kept, GState.SampleBuffer);
  EXPECT_TRUE(host->IsLiveImage(kept));
  GState.SampleSourceFlags = kSampleSingleLayer;  // the current layer's image is asked for by name
  host->ScriptReply("tv_LayerGetImage", "");
  LoadSampleBuffer(Ctx());
  EXPECT_EQ(nullptr, GState.SampleBuffer);
  EXPECT_EQ(0, host->LiveImageCount());
  GState.SampleSourceFlags = 0;
  SetCurrent(1, 2, 3);
  host->FailNextImageAlloc();
  EXPECT_EQ(GState.CurrentPixel, SamplePixel(0, 0, Ctx()));  // nothing to read: the colour stays
  EXPECT_EQ(255, SampleAlpha(0, 0, Ctx()));                   // loads again, the canvas is back

  // Any number of refreshes holds one buffer; the end of the interaction and
  // closing the plug-in free it.
  for (int i = 0; i < 50; ++i) LoadSampleBuffer(Ctx());
  EXPECT_EQ(1, host->LiveImageCount());
  host->EndCanvasEvents();
  EXPECT_EQ(nullptr, GState.SampleBuffer);
  LoadSampleBuffer(Ctx());
  host->Close();
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_TRUE(host->Faults().empty());
}

// Pressure rules of a canvas pick, checked against a plain mix of the
// colour the host reports at the pressure each rule gives.
TEST_F(CanvasSampling, PickEventsMixByPressureAndCoverage) {
  ASSERT_EQ(1, host->Parameters("s"));
  GState.XyzMixMode = 0;
  struct Case {
    int32_t sensitivity, pressure, x, y, mixPressure;
    Pixel sample;  // as the host reports it (straight colour)
  };
  const Case cases[] = {
      {0, 30, 2, 2, 127, Px(40, 200, 90, 255)},     // mouse pressure mode
      {100, 150, 2, 2, 255, Px(40, 200, 90, 255)},  // above the sensitivity: replaces
      {100, 100, 2, 2, 255, Px(40, 200, 90, 255)},  // reaching it counts as full
      {255, 200, 2, 2, 200, Px(40, 200, 90, 255)},
      {255, 255, 5, 4, 128, Px(255, 0, 0, 128)},    // half covered: half the pressure
      {255, 255, 9, 9, 0, Px(0, 0, 0, 0)},          // transparent: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.sensitivity) + "/" + std::to_string(c.pressure));
    GState.PressureSensitivity = c.sensitivity;
    SetCurrent(30, 60, 250);
    MixIntoCurrent(c.sample, c.mixPressure, Ctx());
    const ColourTriple expected = GState.CurrentRgb;
    SetCurrent(30, 60, 250);
    host->ClearRecords();
    host->Message(kMsgCanvasPointer, 0, {c.x * kOne + 300, c.y * kOne + 30000, 1, c.pressure, 0});
    EXPECT_EQ(expected.c0, GState.CurrentRgb.c0);
    EXPECT_EQ(expected.c2, GState.CurrentRgb.c2);
    if (c.mixPressure == 255) {
      EXPECT_EQ(90.0f, GState.CurrentRgb.c2);  // replaced by the canvas colour exactly
    }
    const std::string query = "tv_GetPixelDisplay " + std::to_string(c.x) + " " + std::to_string(c.y);
    const std::vector<std::string> sent = host->CommandTexts();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(query, sent[0]);  // alpha, then the pixel
    EXPECT_EQ(query, sent[1]);
    EXPECT_EQ("tv_SetAPen " + PixelText(GState.CurrentPixel), sent[2]);
    EXPECT_EQ(PixelText(GState.CurrentPixel), Pen());
  }
  const ColourTriple hsv = RgbToPickerHsv(GState.CurrentRgb);
  EXPECT_EQ(hsv.c2, GState.CurrentHsv.c2);
  EXPECT_EQ(hsv.c2, GState.HueRingHsv.c2);
  EXPECT_EQ(RgbToSlider(GState.CurrentRgb).c0, GState.SliderCoords.c0);

  // The weighted pick and the base colour.
  GState.PressureSensitivity = 255;
  GState.ModeFlags |= kModeWeightedPick;
  SetCurrent(30, 60, 250);
  WeightedPick(Px(40, 200, 90, 255), 200, Ctx());
  ColourTriple expected = GState.CurrentRgb;
  SetCurrent(30, 60, 250);
  host->Message(kMsgCanvasPointer, 0, {2 * kOne, 2 * kOne, 1, 200, 0});
  EXPECT_EQ(expected.c1, GState.CurrentRgb.c1);
  GState.BasePixel = Px(200, 10, 10, 255);
  SetCurrent(30, 60, 250);
  MixIntoCurrent(GState.BasePixel, 90, Ctx());
  expected = GState.CurrentRgb;
  SetCurrent(30, 60, 250);
  host->Message(kMsgCanvasPointer, 0, {2 * kOne, 2 * kOne, 2, 90, 0});
  EXPECT_EQ(expected.c0, GState.CurrentRgb.c0);

  // Other kinds do nothing; a release with its flag keeps the mode, one
  // without ends it and everything it held.
  host->ClearRecords();
  host->Message(kMsgCanvasPointer, 0, {0, 0, 3, 255, 0});
  host->Message(kMsgCanvasPointer, 0, {0, 0, -1, 0, 1});
  EXPECT_TRUE(host->Commands().empty());
  EXPECT_TRUE(GState.ModeFlags & kModePick);
  GState.RingLockBits = kLockRing;
  GState.ModeFlags &= ~kModePick;
  LoadSampleBuffer(Ctx());
  GState.ModeFlags |= kModePick;
  host->Message(kMsgCanvasPointer, 0, {0, 0, -2, 0, 0});
  EXPECT_FALSE(GState.ModeFlags & kModePick);
  EXPECT_EQ(nullptr, GState.SampleBuffer);
  EXPECT_FALSE(host->canvasEvents);
  EXPECT_TRUE(host->Faults().empty());
}

// Autosample copies the locked components of the colour under the brush
// into the pen; "Dirt" mixes it in instead.
TEST_F(CanvasSampling, AutosampleTakesTheLockedComponents) {
  GState.PressureSensitivity = 100;
  const int32_t locks[] = {kLockRing, kLockHorizontal, kLockVertical, kLockAny};
  for (int32_t lock : locks) {
    SCOPED_TRACE(lock);
    GState.RingLockBits = lock;
    SetCurrent(30, 60, 250);
    GState.CurrentHsv = RgbToPickerHsv(GState.CurrentRgb);
    const ColourTriple before = GState.CurrentHsv;
    const Pixel sample = SamplePixel(2 * kOne, 2 * kOne, Ctx());  // from the buffer
    const ColourTriple canvas = PixelToPickerHsv(Ctx(), sample);
    CanvasPickPreview(Ctx(), sample);  // no pick in progress: autosample
    EXPECT_EQ((lock & kLockRing) ? canvas.c0 : before.c0, GState.CurrentHsv.c0);
    EXPECT_EQ((lock & kLockHorizontal) ? canvas.c1 : before.c1, GState.CurrentHsv.c1);
    EXPECT_EQ((lock & kLockVertical) ? canvas.c2 : before.c2, GState.CurrentHsv.c2);
    EXPECT_EQ(30.0f, GState.CurrentRgb.c0);  // the panel's colour stays
    const ColourTriple pen = GState.CurrentHsv;
    EXPECT_EQ(PixelText(PickerHsvToPixel(Ctx(), ColourTriple{pen.c0, pen.c1, pen.c2, 255})), Pen());
  }
  // All three locked: the canvas colour itself, within the round trip.
  EXPECT_NEAR(40, host->aPen.r, 1);
  EXPECT_NEAR(200, host->aPen.g, 1);
  EXPECT_NEAR(90, host->aPen.b, 1);

  // Transparent canvas leaves the pen alone; Dirt mixes by the pressure,
  // never harder than the sensitivity, and not at all without pressure.
  host->ClearRecords();
  ApplySample(Ctx(), SamplePixel(9 * kOne, 9 * kOne, Ctx()), 255);
  GState.PaintModeBits = kPaintDirt;
  ApplySample(Ctx(), Px(200, 0, 0, 255), 0);
  EXPECT_TRUE(host->Commands().empty());
  SetCurrent(30, 60, 250);
  MixIntoCurrent(Px(200, 0, 0, 255), 100, Ctx());
  const float expected = GState.CurrentRgb.c0;
  SetCurrent(30, 60, 250);
  ApplySample(Ctx(), Px(200, 0, 0, 255), 300);
  EXPECT_EQ(expected, GState.CurrentRgb.c0);
  EXPECT_EQ(PixelText(GState.CurrentPixel), Pen());
  EXPECT_TRUE(host->Faults().empty());
}

// The ring preview in the 49 x 49 pick image: golden counts of its rings,
// the see-through centre, and the overlay redraw that shows it.
TEST_F(CanvasSampling, RingPreviewDrawsThreeRingsAroundAClearCentre) {
  ASSERT_EQ(1, host->Parameters("s"));
  HostImage* image = GState.PickImage;
  ASSERT_NE(nullptr, image);
  const Pixel marker = Px(1, 1, 1, 1), sample = Px(255, 0, 0, 255);
  GState.CurrentPixel = Px(0, 255, 0, 255);
  GState.BasePixel = Px(0, 0, 255, 255);
  for (int32_t i = 0; i < 49 * 49; ++i) image->Pixels[i] = marker;
  GState.PickPointer[0] = 10 * kOne;
  GState.PickPointer[1] = 20 * kOne;
  host->ClearRecords();
  CanvasPickPreview(Ctx(), sample);
  host->DeliverPendingMessages();

  int32_t counts[4] = {0, 0, 0, 0};
  for (int32_t y = 0; y < 49; ++y) {
    for (int32_t x = 0; x < 49; ++x) {
      const Pixel p = image->Pixels[x + 49 * y];
      const int32_t d2 = (x - 24) * (x - 24) + (y - 24) * (y - 24);
      if (d2 < 49) {
        EXPECT_EQ(marker, p) << x << "," << y;
      }
      counts[p == sample ? 1 : p == GState.CurrentPixel ? 2 : p == GState.BasePixel ? 3 : 0]++;
    }
  }
  EXPECT_EQ(292, counts[1]);
  EXPECT_EQ(808, counts[2]);
  EXPECT_EQ(631, counts[3]);
  EXPECT_EQ(sample, image->Pixels[31 + 49 * 24]);
  EXPECT_EQ(GState.BasePixel, image->Pixels[44 + 49 * 24]);
  for (int32_t y = 0; y < 49; ++y) EXPECT_EQ(marker, image->Pixels[49 * y]);  // column 0 lies outside

  // A redraw, upon which the host asks for the overlay: the image centred
  // on the pointer.
  ASSERT_EQ(2u, host->Overlays().size());
  EXPECT_EQ(kOverlayRedraw, host->Overlays()[0].subOperation);
  const simhost::OverlayRecord& drawn = host->Overlays()[1];
  EXPECT_EQ(image, drawn.image);
  EXPECT_EQ(10.0f, drawn.coordinates[0]);
  EXPECT_EQ(-24.5f, drawn.coordinates[2]);
  EXPECT_TRUE(host->Faults().empty());
}

}  // namespace
