// The small canvas-mode windows (pick, brush, FX-brush watch) and the
// vectorscope: each opened at most once, closed by the end of the canvas
// interaction, and never leaving a window or an overlay image behind.
#include <random>
#include <set>
#include <string>

#include "host/host_calls.h"
#include "host/host_functions.h"
#include "requesters_fixture.h"

namespace {

using RequestersCanvas = RequestersTest;

// The image gadget of a small window: its size, or -1 when missing.
int32_t GadgetSize(const simhost::SimHost& host, RequesterHandle window, int32_t gadget) {
  const simhost::Requester* requester = host.FindRequester(window);
  if (!requester) return -1;
  const auto found = requester->gadgets.find(gadget);
  return found == requester->gadgets.end() ? -1 : found->second.width;
}

TEST_F(RequestersCanvas, EachModeOpensItsWindowAndImage) {
  struct Case {
    const char* command;
    RequesterHandle PluginState::*window;
    HostImage* PluginState::*image;
    int32_t gadget;
    int32_t gadgetSize;
    int32_t imageSize;
    int32_t modeBit;
    bool canvasEvents;
  };
  const Case cases[] = {
      {"s", &PluginState::PickRequester, &PluginState::PickImage, 120, 50, 49, kModePick, true},
      {"S", &PluginState::BrushRequester, &PluginState::BrushImage, 125, 130, 129, kModeBrush, true},
      {"R", &PluginState::BrushRequester, &PluginState::BrushImage, 125, 130, 129, kModeBrush, true},
      {"U", &PluginState::PickRequester, &PluginState::PickImage, 120, 2, 17, 0, false},  // the watch
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    TearDown();
    SetUp();
    ASSERT_EQ(1, Host().Parameters(c.command));
    const RequesterHandle window = GState.*c.window;
    const simhost::Requester* requester = Host().FindRequester(window);
    ASSERT_NE(nullptr, requester);
    EXPECT_EQ(2, requester->width);
    EXPECT_EQ(14, requester->flags);
    EXPECT_TRUE(requester->tracking);
    EXPECT_EQ("Tintwellv7.50", requester->title);
    EXPECT_EQ(c.gadgetSize, GadgetSize(Host(), window, c.gadget));
    HostImage* image = GState.*c.image;
    ASSERT_NE(nullptr, image);
    EXPECT_TRUE(Host().IsLiveImage(image));
    EXPECT_EQ(c.imageSize, image->Width);
    EXPECT_EQ(c.imageSize, image->Height);
    EXPECT_EQ(c.modeBit, GState.ModeFlags & (kModePick | kModeBrush));
    EXPECT_EQ(c.canvasEvents, Host().canvasEvents);
    EXPECT_EQ(c.canvasEvents, Host().mouseLocked);
    EXPECT_TRUE(Host().Faults().empty());
  }
}

TEST_F(RequestersCanvas, PickModeStartKeepsTheHueOfAGrey) {
  GState.ModeFlags = kModeKeepBase;  // no refresh from the host's pen
  GState.CurrentRgb = {128.0f, 128.0f, 128.0f, 255};
  GState.CurrentHsv = {123.0f, 0.7f, 0.2f, 255};
  ASSERT_EQ(1, Host().Parameters("s"));
  EXPECT_EQ(123.0f, GState.CurrentHsv.c0);
  EXPECT_NEAR(0.0f, GState.CurrentHsv.c1, 1e-4f);
  EXPECT_NE(0.2f, GState.CurrentHsv.c2);
}

TEST_F(RequestersCanvas, StartingAModeReplacesAnOldWindowOfItsKind) {
  // The watch's window gives way to the pick mode's.
  ASSERT_EQ(1, Host().Parameters("U"));
  const RequesterHandle watch = GState.PickRequester;
  HostImage* watchImage = GState.PickImage;
  ASSERT_EQ(1, Host().Parameters("s"));
  EXPECT_NE(watch, GState.PickRequester);
  EXPECT_EQ(nullptr, Host().FindRequester(watch));
  EXPECT_FALSE(Host().IsLiveImage(watchImage));
  EXPECT_EQ(50, GadgetSize(Host(), GState.PickRequester, 120));

  // A brush window still open while the mode is off is closed first.
  ASSERT_EQ(1, Host().Parameters("S"));
  const RequesterHandle brush = GState.BrushRequester;
  HostImage* brushImage = GState.BrushImage;
  GState.ModeFlags &= ~kModeBrush;
  ASSERT_EQ(1, Host().Parameters("S"));
  EXPECT_NE(brush, GState.BrushRequester);
  EXPECT_EQ(nullptr, Host().FindRequester(brush));
  EXPECT_FALSE(Host().IsLiveImage(brushImage));
  EXPECT_TRUE(Host().IsLiveImage(GState.BrushImage));
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(RequestersCanvas, EndOfInteractionClosesEverythingAndKeepsTheScopePlace) {
  GState.VectorscopeMode = 1;
  GState.VectorscopeX = 40;
  GState.VectorscopeY = 60;
  ASSERT_EQ(1, Host().Parameters("sS"));
  ASSERT_NE(0, GState.VectorscopeRequester);
  const simhost::Requester* scope = Host().FindRequester(GState.VectorscopeRequester);
  ASSERT_NE(nullptr, scope);
  EXPECT_EQ(40, scope->x);
  EXPECT_EQ(60, scope->y);
  EXPECT_EQ(182, GadgetSize(Host(), GState.VectorscopeRequester, 130));
  EXPECT_EQ("Vectorscope", scope->title);
  Host().MoveRequester(GState.VectorscopeRequester, 300, 7, 185, 185);
  HostImage* pickImage = GState.PickImage;
  HostImage* brushImage = GState.BrushImage;
  GState.SampleBuffer = HostAllocImage(Context(), 8, 8);
  HostImage* sampleBuffer = GState.SampleBuffer;

  Host().EndCanvasEvents();

  EXPECT_EQ(0, HeldRequesterCount());
  EXPECT_EQ(0, Host().OpenRequesterCount());
  EXPECT_EQ(0, GState.ModeFlags);
  for (HostImage* image : {pickImage, brushImage, sampleBuffer}) EXPECT_FALSE(Host().IsLiveImage(image));
  EXPECT_EQ(nullptr, GState.PickImage);
  EXPECT_EQ(nullptr, GState.BrushImage);
  EXPECT_EQ(nullptr, GState.SampleBuffer);
  EXPECT_FALSE(Host().mouseLocked);
  EXPECT_EQ(300, GState.VectorscopeX);
  EXPECT_EQ(7, GState.VectorscopeY);

  // It comes back where it was left.
  ASSERT_EQ(1, Host().Parameters("s"));
  scope = Host().FindRequester(GState.VectorscopeRequester);
  ASSERT_NE(nullptr, scope);
  EXPECT_EQ(300, scope->x);
  EXPECT_EQ(7, scope->y);

  // When the host cannot say where it is, the remembered place stays.
  Host().MoveRequester(GState.VectorscopeRequester, 5, 5, 185, 185);
  Host().FailNextGetRequesterPlace();
  Host().EndCanvasEvents();
  EXPECT_EQ(0, GState.VectorscopeRequester);
  EXPECT_EQ(300, GState.VectorscopeX);
  EXPECT_EQ(7, GState.VectorscopeY);
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(RequestersCanvas, AutoTrimAloneKeepsTheWatchAcrossThePickMode) {
  ASSERT_EQ(1, Host().Parameters("U"));
  ASSERT_EQ(1, Host().Parameters("s"));
  ASSERT_EQ(1, Host().Parameters("s"));  // ends it; the end of interaction re-runs the watch

  EXPECT_FALSE(GState.ModeFlags & kModePick);
  ASSERT_NE(0, GState.PickRequester);
  EXPECT_EQ(2, GadgetSize(Host(), GState.PickRequester, 120));
  EXPECT_EQ(17, GState.PickImage->Width);

  ASSERT_EQ(1, Host().Parameters("u"));
  EXPECT_EQ(0, GState.PickRequester);
  EXPECT_EQ(nullptr, GState.PickImage);
  EXPECT_EQ(0, Host().OpenRequesterCount());
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(RequestersCanvas, RingLocksNeedAFreehandLine) {
  GState.RingLockBits = kLockRing | kLockVertical;
  Host().activeShape = "FreeHandLine";
  ASSERT_EQ(1, Host().Parameters("u"));
  EXPECT_EQ(kLockRing | kLockVertical, GState.RingLockBits);
  EXPECT_NE(0, GState.PickRequester);  // the locks keep the watch open

  Host().activeShape = "rectangle";
  ASSERT_EQ(1, Host().Parameters("u"));
  EXPECT_EQ(0, GState.RingLockBits);
  EXPECT_EQ(0, GState.PickRequester);
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(RequestersCanvas, FailedImageLeavesAWorkingWindowThatDrawsNothing) {
  for (const char* command : {"s", "S"}) {
    SCOPED_TRACE(command);
    TearDown();
    SetUp();
    Host().FailNextImageAlloc();
    ASSERT_EQ(1, Host().Parameters(command));
    EXPECT_EQ(nullptr, GState.PickImage);
    EXPECT_EQ(nullptr, GState.BrushImage);
    EXPECT_EQ(1, Host().OpenRequesterCount());

    Host().Message(kMsgOverlayDraw, 0, {});
    EXPECT_TRUE(Host().Overlays().empty());

    Host().EndCanvasEvents();
    EXPECT_EQ(0, Host().OpenRequesterCount());
    EXPECT_TRUE(Host().Faults().empty());
  }
}

TEST_F(RequestersCanvas, RefusedWindowsShowTheMessage) {
  // Pick mode: canvas events already run, so the mode stays on until "s"
  // ends it and the end of interaction tidies up.
  Host().FailNextRequesterOpen();
  ASSERT_EQ(1, Host().Parameters("s"));
  EXPECT_EQ(std::vector<std::string>{"Can't Open Requester !"}, Host().Messages());
  EXPECT_EQ(0, GState.PickRequester);
  EXPECT_TRUE(GState.ModeFlags & kModePick);
  ASSERT_EQ(1, Host().Parameters("s"));
  EXPECT_FALSE(Host().canvasEvents);
  EXPECT_FALSE(Host().mouseLocked);

  // Brush mode: nothing started, so the mode is not left half on and the
  // next try opens the window.
  Host().ClearRecords();
  Host().FailNextRequesterOpen();
  ASSERT_EQ(1, Host().Parameters("S"));
  EXPECT_EQ(std::vector<std::string>{"Can't Open Requester !"}, Host().Messages());
  EXPECT_EQ(0, GState.BrushRequester);
  EXPECT_FALSE(GState.ModeFlags & kModeBrush);
  ASSERT_EQ(1, Host().Parameters("S"));
  EXPECT_NE(0, GState.BrushRequester);

  // The vectorscope and the watch.
  Host().ClearRecords();
  GState.VectorscopeMode = 2;
  Host().FailNextRequesterOpen(2);
  ASSERT_EQ(1, Host().Parameters("sk"));
  EXPECT_EQ(0, GState.VectorscopeRequester);
  EXPECT_EQ(2u, Host().Messages().size());
  EXPECT_TRUE(Host().Faults().empty());
}

// A long random run of mode starts and ends, option toggles, panel toggles
// and host-side ends of interaction: the plug-in's handles always match the
// host's open windows, replaced overlay images are freed, and when all is
// switched off nothing is left.
TEST_F(RequestersCanvas, RandomSequencesLeaveNothingBehind) {
  const char* const letters[] = {"s", "S", "R", "k", "T", "U", "u", "t"};
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TearDown();
    SetUp();
    std::mt19937 random(seed);
    GState.VectorscopeMode = seed % 3;
    std::set<HostImage*> overlayImages;
    std::string script;
    for (int step = 0; step < 150; ++step) {
      const uint32_t pick = random() % 13;
      if (pick < 8) {
        script += letters[pick];
        Host().Parameters(letters[pick]);
      } else if (pick == 8) {
        script += '#';
        Host().EndCanvasEvents();
      } else if (pick == 9) {
        script += '!';
        Host().FailNextRequesterOpen();
      } else if (pick == 10) {
        script += '%';
        Host().FailNextImageAlloc();
      } else if (pick == 11) {
        script += '@';
        GState.RingLockBits = static_cast<int32_t>(random() % 8);
      } else {
        script += '/';
        Host().activeShape = Host().activeShape == "freehandline" ? "rectangle" : "freehandline";
      }
      for (HostImage* image : {GState.PickImage, GState.BrushImage}) {
        if (image) overlayImages.insert(image);
      }
      ASSERT_EQ(HeldRequesterCount(), Host().OpenRequesterCount()) << script;
      for (HostImage* image : overlayImages) {
        if (image != GState.PickImage && image != GState.BrushImage) {
          ASSERT_FALSE(Host().IsLiveImage(image)) << "replaced image still live after " << script;
        }
      }
      ASSERT_TRUE(Host().Faults().empty()) << script << ": " << Host().Faults().front();
    }

    // Switch every watched option off and end the interaction.
    GState.PaintModeBits &= ~(kPaintSizeLock);
    GState.RingLockBits = 0;
    Host().Parameters("u");
    Host().EndCanvasEvents();
    if (GState.PanelRequester) Host().Parameters("t");

    EXPECT_EQ(0, HeldRequesterCount()) << script;
    EXPECT_EQ(0, Host().OpenRequesterCount()) << script;
    for (HostImage* image : overlayImages) EXPECT_FALSE(Host().IsLiveImage(image)) << script;
    EXPECT_TRUE(Host().Faults().empty()) << script;
  }
}

}  // namespace
