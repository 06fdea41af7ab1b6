// The FX-brush watch and the brush mode, driven by the host's pointer
// messages in the stand-in host: the tool commands of Load, Rot and the
// size lock, the auto trim click, the watch's gating and closing, the brush
// mode's sub-modes and the pens they set, and its control pictures.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "colour/panel_models.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "interact/canvas_modes.h"
#include "panel/brush_control.h"
#include "support/comma_locale.h"
#include "support/plugin_host.h"

namespace {

// One pointer message: canvas x, y and screen position in whole pixels.
struct PointerEvent {
  int32_t buttons = 0;
  int32_t x = 0, y = 0;    // canvas, words 1 and 2
  int32_t sx = 0, sy = 0;  // second position, words 3 and 4
  int32_t pressure = 0;
  int32_t flag = 0;
  int32_t st = 0;  // screen position sent negated in word 9
};

std::vector<HostWord> Words(const PointerEvent& e) {
  return {e.buttons, e.x * 65536, e.y * 65536, e.sx * 65536, e.sy * 65536, e.pressure, 0, e.flag, 0, -e.st};
}

class InteractFxBrush : public PluginHostTest {
 protected:
  PluginContext* Ctx() { return host->Context(); }

  void Watch(const PointerEvent& e) { host->Message(kMsgPointerMove, GState.PickRequester, Words(e)); }
  void Brush(const PointerEvent& e) { host->Message(kMsgPointerMove, GState.BrushRequester, Words(e)); }

  // Opens the watch for the given option bits.
  void WatchOptions(int32_t bits) {
    GState.PaintModeBits = bits;
    UpdateFxBrushWatch(Ctx());
    ASSERT_NE(0, GState.PickRequester);
  }

  void UseTool(const std::string& name, std::vector<std::pair<std::string, std::string>> settings) {
    host->activeTool = name;
    host->toolSettings = std::move(settings);
  }

  // Commands addressed to the active tool.
  std::vector<std::string> ToolCommands() const { return CommandsStartingWith(host->activeTool + " "); }

  // The colour SamplePixel reads at a 16.16 canvas position, as the host's pens hold it.
  simhost::Rgba Sample(int32_t fixedX, int32_t fixedY) {
    const Pixel pixel = SamplePixel(fixedX, fixedY, Ctx());
    return simhost::Rgba{PixelRed(Ctx(), pixel), PixelGreen(Ctx(), pixel), PixelBlue(Ctx(), pixel), 255};
  }
};

// ---- Load and Rot

TEST_F(InteractFxBrush, LoadAndRotSendTheToolCommands) {
  struct Case {
    const char* tool;
    int32_t bits;
    PointerEvent event;  // the previous screen position is (300, 0)
    std::vector<std::string> commands;
  };
  const int32_t load = kPaintLoad, rot = kPaintRot, both = kPaintLoad | kPaintRot;
  // A screen step (150, 200): length 250, stroke angle 233 degrees.
  const PointerEvent step{0, 5, 5, 450, 0, 0, 0, 200};
  PointerEvent painting = step;
  painting.buttons = 1;
  painting.pressure = 255;
  PointerEvent ignored = painting;
  ignored.flag = 1;  // with an option on, flagged button events are not the watch's
  const Case cases[] = {
      {"tv_airbrush", load, step, {"tv_airbrush power 100 opacity 100"}},  // power 99 recovers to 100
      {"tv_airbrush", both, step, {"tv_airbrush power 100 opacity 100 angle 233"}},
      {"tv_oilbrush", both, step, {"tv_oilbrush power 100 opacity 100 angle 233"}},
      {"tv_pencil", both, step, {"tv_pencil power 100 opacity 100 angle 233"}},
      {"tv_wetbrush", both, step, {"tv_wetbrush power 100 opacity 100 angle 233"}},
      {"tv_specialbrush", both, step, {"tv_specialbrush power 100 opacity 100 angle 233"}},
      {"tv_penbrush", both, step, {"tv_penbrush power 100 opacity 100"}},
      {"tv_propelling", both, step, {"tv_propelling power 100 opacity 100"}},
      {"tv_penbrush", rot, step, {"tv_penbrush angle 233"}},
      {"tv_airbrush", rot, {0, 5, 5, 150, 0, 0, 0, 200}, {"tv_airbrush angle 306"}},
      {"tv_airbrush", rot, {0, 5, 5, 450, 0, 0, 0, -200}, {"tv_airbrush angle 127"}},
      {"tv_airbrush", rot, {0, 5, 5, 349, 0, 0, 0, 0}, {"tv_airbrush angle 180"}},
      {"tv_airbrush", rot, {0, 5, 5, 348, 0, 0, 0, 0}, {}},  // 48 pixels or less: no turn
      {"tv_airbrush", load, painting, {"tv_airbrush power 26 opacity 26"}},  // 50 (1 - 250 / 500) + 1
      {"tv_airbrush", rot, painting, {}},
      {"tv_airbrush", load, ignored, {}},
      {"tv_bucketfill", both | kPaintSizeLock, step, {}},
      {"tv_bucketfill", both | kPaintSizeLock, painting, {}},
      {"", both | kPaintSizeLock, step, {}},  // an empty tool name is never sent
      {"", load, painting, {}},
  };
  for (const Case& c : cases) {
    RestartHost();
    UseTool(c.tool, {{"size", "12"}, {"power", "99"}, {"opacity", "80"}});
    WatchOptions(c.bits);
    GState.LoadLevel = 50.0f;
    GState.WatchLastScreen[0] = 300;
    host->ClearRecords();
    Watch(c.event);
    const std::string label = std::string(c.tool) + " bits " + std::to_string(c.bits);
    EXPECT_EQ(c.commands, ToolCommands()) << label;
    EXPECT_TRUE(host->Faults().empty()) << label;
  }

  // The level left by the recovery is what a stroke drains from.
  RestartHost();
  UseTool("tv_airbrush", {{"power", "99"}});
  WatchOptions(kPaintLoad);
  GState.WatchLastScreen[0] = 300;
  Watch(step);
  EXPECT_EQ(100.0f, GState.LoadLevel);
  // No power in the reply: nothing to recover from.
  UseTool("tv_airbrush", {{"size", "3"}});
  host->ClearRecords();
  Watch(step);
  EXPECT_TRUE(ToolCommands().empty());
}

// ---- brush size lock

TEST_F(InteractFxBrush, SizeLockMeasuresBeforeItRescales) {
  UseTool("tv_airbrush", {{"size", "20"}, {"power", "100"}});
  ASSERT_EQ(1, host->Parameters("k"));  // lock on, freshly reset
  ASSERT_NE(0, GState.PickRequester);
  int32_t x = 0, y = 0, sx = 0, st = 0;
  // One move of 500 screen pixels covering the given canvas distance (3:4 steps).
  auto move = [&](int32_t canvasStep) {
    x += canvasStep * 3 / 5;
    y += canvasStep * 4 / 5;
    sx += 300;
    st += 400;
    host->ClearRecords();
    Watch(PointerEvent{0, x, y, sx, 0, 0, 0, st});
    return ToolCommands();
  };
  const std::vector<std::string> none;
  // Zoom 50%: the first completed measurement only starts the count, the
  // next sets the reference zoom.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(none, move(250)) << "event " << i;
  EXPECT_EQ(50, GState.BrushSizeLock);
  // Zoom 100%: the tool's size is only recorded.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(none, move(500)) << "event " << i;
  EXPECT_EQ(100, GState.BrushSizeLock);
  EXPECT_EQ(20.0f, GState.BrushSizeLockSize);
  // Presses and empty tool replies measure nothing.
  host->ClearRecords();
  Watch(PointerEvent{1, x, y, sx, 0, 200, 0, st});
  EXPECT_EQ(0.0f, GState.ZoomScreenDistance);
  // Back to 50%: the size follows.
  EXPECT_EQ(none, move(250));
  EXPECT_EQ(none, move(250));
  EXPECT_EQ(std::vector<std::string>{"tv_airbrush size 10.000000"}, move(250));
  EXPECT_EQ(50, GState.BrushSizeLock);
  EXPECT_EQ("10.000000", host->toolSettings[0].second);

  // "K" calibrates to 100% at once, so the first change already rescales;
  // a tool outside the brush list keeps its size.
  ASSERT_EQ(1, host->Parameters("K"));
  UseTool("tv_airbrush", {{"size", "7.5"}});
  for (int i = 0; i < 2; ++i) move(400);
  EXPECT_EQ(std::vector<std::string>{"tv_airbrush size 6.000000"}, move(400));
  UseTool("tv_bucketfill", {{"size", "7"}});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(none, move(250));
  EXPECT_TRUE(host->Faults().empty());

  // Screen words from one end of the range to the other: the step is about
  // 2^32 pixels and must be measured, not overflow.
  host->Message(kMsgPointerMove, GState.PickRequester, {0, 0, 0, 0, 0, 0, 0, 0, 0, INT32_MIN + 1});
  host->Message(kMsgPointerMove, GState.PickRequester, {0, 0, 0, 0, 0, 0, 0, 0, 0, INT32_MIN});
  EXPECT_TRUE(std::isfinite(GState.ZoomScreenDistance));
}

// ---- auto trim, gating, closing, the pick mode

TEST_F(InteractFxBrush, AutoTrimClickRecordsTheFillPoint) {
  struct Case {
    int32_t bits;
    int32_t buttons;
    int32_t wordX, wordY;
    bool records;
    int32_t x, y;
  };
  const Case cases[] = {
      {kPaintAutoTrim, 17, 15 * 65536 + 40000, 12 * 65536, true, 15, 12},
      {kPaintAutoTrim, 17, -32768, -65536 * 3, true, 65535, 65533},  // left of and above the canvas
      {kPaintAutoTrim, 1, 15 * 65536, 12 * 65536, false, 0, 0},
      {kPaintAutoTrim | kPaintLoad, 16, 15 * 65536, 12 * 65536, false, 0, 0},
      {kPaintLoad, 17, 15 * 65536, 12 * 65536, false, 0, 0},
  };
  for (const Case& c : cases) {
    RestartHost();
    WatchOptions(c.bits);
    host->Message(kMsgPointerMove, GState.PickRequester, {c.buttons, c.wordX, c.wordY, 0, 0, 0, 0, 1, 0, 0});
    EXPECT_EQ(c.records ? 1 : 0, GState.AutoTrimPending) << c.buttons << " bits " << c.bits;
    EXPECT_EQ(c.x, GState.SmartFillPoint[0]) << c.buttons << " bits " << c.bits;
    EXPECT_EQ(c.y, GState.SmartFillPoint[1]) << c.buttons << " bits " << c.bits;
  }
}

TEST_F(InteractFxBrush, WatchClosesWhenNoOptionIsLeftAndPickModeEndsOnLift) {
  WatchOptions(kPaintRot);
  EXPECT_EQ(1, host->LiveImageCount());
  GState.PaintModeBits = 0;  // the last option went off elsewhere
  Watch(PointerEvent{});
  EXPECT_EQ(0, GState.PickRequester);
  EXPECT_EQ(nullptr, GState.PickImage);
  EXPECT_EQ(0, host->OpenRequesterCount());
  EXPECT_EQ(0, host->LiveImageCount());

  // In the pick mode the pointer is followed; once the pen has been down, a
  // lift without buttons ends the mode.
  ASSERT_EQ(1, host->Parameters("s"));
  Watch(PointerEvent{0, 7, 9, 0, 0, 0, 0, 0});
  EXPECT_EQ(7 * 65536, GState.PickPointer[0]);
  EXPECT_TRUE(GState.ModeFlags & kModePick);
  Watch(PointerEvent{1, 8, 9, 0, 0, 200, 1, 0});
  EXPECT_TRUE(GState.ModeFlags & kModePickPenDown);
  EXPECT_EQ(8 * 65536, GState.PickPointer[0]);
  Watch(PointerEvent{0, 8, 9, 0, 0, 0, 0, 0});
  EXPECT_EQ(0, GState.ModeFlags);
  EXPECT_FALSE(host->canvasEvents);
  EXPECT_EQ(0, host->OpenRequesterCount());
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_TRUE(host->Faults().empty());
}

// ---- the brush mode

TEST_F(InteractFxBrush, BrushModeSubModesAndThePensTheySet) {
  GState.CieHsvMode = 0;
  host->FillCurrentLayer(simhost::Rgba{30, 60, 90, 255});
  ASSERT_EQ(1, host->Parameters("S"));
  ASSERT_NE(nullptr, GState.BrushImage);
  const int32_t images = host->LiveImageCount();

  // First event: the canvas colour under the pointer becomes the A pen.
  Brush(PointerEvent{0, 20, 10, 200, 150});
  EXPECT_EQ(kBrushSubModeIdle, GState.CanvasSubMode);
  EXPECT_EQ(20 * 65536, GState.BrushPointer[0]);
  EXPECT_EQ(150 * 65536, GState.BrushAnchor[1]);
  EXPECT_EQ(Sample(20 * 65536, 10 * 65536), host->aPen);
  ASSERT_FALSE(host->Overlays().empty());
  EXPECT_EQ(GState.BrushImage, host->Overlays().back().image) << "the control is drawn over the canvas";

  // A press on the disc, 30 pixels left of the centre: saturation falls by
  // 19/53, the value stays; the hue turn starts from the left.
  GState.CurrentHsv = ColourTriple{0.3f, 0.5f, 0.6f, 255};
  Brush(PointerEvent{1, 20, 10, 170, 150});
  EXPECT_EQ(kBrushSubModeHueTurn, GState.CanvasSubMode);
  EXPECT_EQ(0.5f, GState.BrushHueOffset);
  EXPECT_EQ(host->FromPixel(PickerHsvToPixel(Ctx(), ColourTriple{0.3f, 0.5f * (1.0f - 19.0f / 53.0f), 0.6f, 255})),
            host->aPen);

  // Turning to straight up (a quarter turn back) with both buttons sets both pens.
  GState.CurrentHsv = ColourTriple{0.3f, 0.4f, 0.6f, 255};
  host->bPen = simhost::Rgba{1, 2, 3, 255};
  Brush(PointerEvent{3, 20, 10, 200, 120});
  const simhost::Rgba turned = host->FromPixel(PickerHsvToPixel(Ctx(), ColourTriple{-0.25f - 0.5f + 0.3f, 0.4f, 0.6f, 255}));
  EXPECT_EQ(turned, host->aPen);
  EXPECT_EQ(turned, host->bPen);
  Brush(PointerEvent{0, 20, 10, 200, 120});
  EXPECT_EQ(kBrushSubModeHueTurn, GState.CanvasSubMode) << "a disc turn lasts until the stroke ends";
  EXPECT_EQ(0.3f, GState.CurrentHsv.c0);

  // The outer ring: the turn ends with the button and keeps the new hue.
  host->EndCanvasEvents();
  ASSERT_EQ(1, host->Parameters("S"));
  Brush(PointerEvent{0, 20, 10, 200, 150});
  GState.CurrentHsv = ColourTriple{0.3f, 0.4f, 0.6f, 255};
  Brush(PointerEvent{1, 20, 10, 280, 150});
  EXPECT_EQ(kBrushSubModeHueRing, GState.CanvasSubMode);
  EXPECT_EQ(0.0f, GState.BrushHueOffset);
  Brush(PointerEvent{1, 20, 10, 200, 230});
  Brush(PointerEvent{0, 20, 10, 200, 230});
  EXPECT_EQ(kBrushSubModeIdle, GState.CanvasSubMode);
  EXPECT_NEAR(0.55f, GState.CurrentHsv.c0, 0.01f);

  // The centre takes the canvas colour while the button is held.
  Brush(PointerEvent{1, 20, 10, 203, 154});
  EXPECT_EQ(kBrushSubModeCanvas, GState.CanvasSubMode);
  host->PaintPixel(25, 11, simhost::Rgba{200, 20, 40, 255});
  Brush(PointerEvent{2, 25, 11, 203, 154});
  const simhost::Rgba canvas = Sample(20 * 65536, 10 * 65536);
  EXPECT_EQ(canvas, host->aPen);
  EXPECT_EQ(canvas, host->bPen);
  EXPECT_EQ(25 * 65536, GState.BrushPointer[0]) << "the control follows the pointer";
  Brush(PointerEvent{0, 25, 11, 203, 154});
  EXPECT_EQ(Sample(25 * 65536, 11 * 65536), host->aPen);
  EXPECT_EQ(kBrushSubModeIdle, GState.CanvasSubMode);

  EXPECT_EQ(images, host->LiveImageCount()) << "the control is drawn in place";
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(InteractFxBrush, BrushSizeDragSetsTheToolsSize) {
  struct Case {
    const char* tool;
    int32_t x, y;  // release point; the press was at (20, 10)
    std::vector<std::string> commands;
  };
  const Case cases[] = {
      {"tv_airbrush", 50, 50, {"tv_airbrush size 50.500000"}},
      {"tv_pencil", 20, 10, {"tv_pencil size 0.500000"}},
      {"tv_wetbrush", 900, 10, {"tv_wetbrush size 255.000000"}},
      {"tv_bucketfill", 50, 50, {}},
      {"", 50, 50, {}},
  };
  // The second pass runs in a process whose decimal point is a comma: the
  // host's command language still gets ".".
  for (int pass = 0; pass < 2; ++pass) {
    std::optional<ScopedCommaLocale> comma;
    if (pass == 1) {
      comma.emplace();
      if (!comma->name()) break;
    }
    for (const Case& c : cases) {
      RestartHost();
      UseTool(c.tool, {{"size", "4"}});
      ASSERT_EQ(1, host->Parameters("R"));
      Brush(PointerEvent{0, 3, 3});
      EXPECT_EQ(kBrushSubModeResize, GState.CanvasSubMode);
      Brush(PointerEvent{1, 20, 10});
      EXPECT_EQ(kBrushSubModeSize, GState.CanvasSubMode);
      EXPECT_EQ(0.5f, GState.BrushRadiusBase);
      Brush(PointerEvent{1, c.x, c.y});
      EXPECT_EQ(c.x * 65536, GState.BrushAnchor[0]);
      host->ClearRecords();
      Brush(PointerEvent{0, c.x, c.y});
      std::vector<std::string> sizes;
      for (const std::string& command : host->CommandTexts()) {
        if (command.find(" size ") != std::string::npos || command[0] == ' ') sizes.push_back(command);
      }
      EXPECT_EQ(c.commands, sizes) << c.tool << (pass ? " (comma locale)" : "");
      EXPECT_TRUE(host->Faults().empty());
    }
  }
}

// FNV-1a of a picture's pixels.
uint64_t PictureDigest(const HostImage* image) {
  uint64_t value = 1469598103934665603ULL;
  for (int32_t i = 0; i < image->Width * image->Height; ++i) {
    for (int b = 0; b < 4; ++b) {
      value ^= (image->Pixels[i] >> (8 * b)) & 0xffu;
      value *= 1099511628211ULL;
    }
  }
  return value;
}

TEST_F(InteractFxBrush, ControlPictures) {
  ASSERT_EQ(1, host->Parameters("S"));
  HostImage* image = GState.BrushImage;
  ASSERT_NE(nullptr, image);
  PluginContext* ctx = Ctx();
  const Pixel sample = MakePixel(ctx, 10, 200, 30, 255);
  auto at = [image](int32_t dx, int32_t dy) { return image->Pixels[(64 + dx) + 129 * (64 + dy)]; };
  GState.CieHsvMode = 0;
  GState.CurrentHsv = ColourTriple{0.3f, 0.5f, 0.6f, 255};

  // Idle: the centre is never drawn, the sample rings inside and out, and
  // straight right at distance 30 the saturation rises by (19/53) cubed.
  image->Pixels[64 + 129 * 64] = 0x12345678u;
  GState.CanvasSubMode = kBrushSubModeIdle;
  DrawBrushControl(ctx, sample, 0.0f);
  EXPECT_EQ(0x12345678u, at(0, 0));
  EXPECT_EQ(sample, at(8, 0));
  EXPECT_EQ(sample, at(0, -63));
  const float t = 19.0f / 53.0f;
  EXPECT_EQ(PickerHsvToPixel(ctx, ColourTriple{0.3f, 0.5f + 0.5f * (t * t * t), 0.6f, 255}), at(30, 0));
  EXPECT_EQ(PickerHsvToPixel(ctx, ColourTriple{0.3f, 0.5f * (1.0f - t), 0.6f, 255}), at(-30, 0));

  // Canvas colour: the small disc, transparent beyond it.
  GState.CanvasSubMode = kBrushSubModeCanvas;
  DrawBrushControl(ctx, sample, 0.0f);
  EXPECT_EQ(0u, at(40, 0));
  EXPECT_EQ(sample, at(-9, 0));
  const float ts = 9.0f / 21.0f;
  EXPECT_EQ(PickerHsvToPixel(ctx, ColourTriple{0.3f, 0.5f + 0.5f * (ts * ts * ts), 0.6f, 255}), at(20, 0));

  // Hue turn: a clear centre, the sample, the current colour, and a mark on
  // the value ring at the pointer's angle.
  GState.CurrentPixel = MakePixel(ctx, 90, 80, 70, 255);
  GState.CanvasSubMode = kBrushSubModeHueTurn;
  GState.BrushHueOffset = 0.5f;
  GState.BrushFirstDraw = 1;
  DrawBrushControl(ctx, sample, 0.25f);
  EXPECT_EQ(0, GState.BrushFirstDraw);
  EXPECT_EQ(0u, at(5, 0));
  EXPECT_EQ(sample, at(0, 13));
  EXPECT_EQ(GState.CurrentPixel, at(20, 0));
  EXPECT_EQ(InvertPixel(ctx, PickerHsvToPixel(ctx, ColourTriple{0.25f - 0.5f + 0.3f, 0.5f, 0.6f, 255})), at(0, 55))
      << "straight down is a quarter turn";
  const Pixel wheelBefore = at(30, 0);
  GState.CurrentHsv.c0 = 0.8f;
  DrawBrushControl(ctx, sample, 0.25f);
  EXPECT_EQ(wheelBefore, at(30, 0)) << "the inner wheel is drawn once per turn";

  // The size drag leaves the picture alone; every call asks for a redraw.
  const uint64_t before = PictureDigest(image);
  GState.CanvasSubMode = kBrushSubModeSize;
  host->ClearRecords();
  DrawBrushControl(ctx, sample, 0.0f);
  EXPECT_EQ(before, PictureDigest(image));
  EXPECT_EQ(1u, CountCalls(kFnOverlayOp, kOverlayRedraw));

  // Whole pictures in CIE mode, the same in every build.
  GState.CieHsvMode = 1;
  GState.CurrentHsv = ColourTriple{0.7f, 0.8f, 0.45f, 255};
  uint64_t digests[3];
  const int32_t modes[] = {kBrushSubModeIdle, kBrushSubModeCanvas, kBrushSubModeHueRing};
  for (int i = 0; i < 3; ++i) {
    for (int32_t p = 0; p < 129 * 129; ++p) image->Pixels[p] = 0;
    GState.CanvasSubMode = modes[i];
    GState.BrushFirstDraw = 1;
    GState.BrushHueOffset = 0.125f;
    DrawBrushControl(ctx, sample, -0.3f);
    digests[i] = PictureDigest(image);
  }
  EXPECT_EQ(0xd7d540c99a57493bULL, digests[0]) << std::hex << "idle 0x" << digests[0];
  EXPECT_EQ(0x3e8ba6536b3ddc1bULL, digests[1]) << std::hex << "canvas 0x" << digests[1];
  EXPECT_EQ(0xbe8f3c76d2bf83f4ULL, digests[2]) << std::hex << "hue turn 0x" << digests[2];
}

}  // namespace
