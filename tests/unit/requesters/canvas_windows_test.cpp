// The small canvas-mode windows (pick, brush, FX-brush watch) and the
// vectorscope: each opened at most once, closed by the end of the canvas
// interaction, and never leaving a window or an overlay image behind.
#include <functional>
#include <random>
#include <set>
#include <string>

#include "colour/panel_models.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/canvas_pick.h"
#include "interact/paint_mode.h"
#include "interact/panel_menu.h"
#include "panel/option_menu.h"
#include "requesters/vectorscope_window.h"
#include "requesters_fixture.h"

namespace {

using RequestersCanvas = RequestersTest;

// Width of a window's gadget, or -1 when the window or gadget is missing.
int32_t GadgetWidth(const simhost::SimHost& host, RequesterHandle window, int32_t gadget) {
  const simhost::Requester* requester = host.FindRequester(window);
  if (!requester || !requester->gadgets.count(gadget)) return -1;
  return requester->gadgets.at(gadget).width;
}

TEST_F(RequestersCanvas, StartingAModeReplacesAnOldWindowOfItsKind) {
  ASSERT_EQ(1, Host().Parameters("U"));  // the watch's window gives way to the pick mode's
  const RequesterHandle watch = GState.PickRequester;
  // The allocator may hand a freed image's memory to the next image, so the
  // old image is counted rather than looked up by address.
  ASSERT_EQ(1, Host().LiveImageCount());
  ASSERT_EQ(1, Host().Parameters("s"));
  EXPECT_EQ(nullptr, Host().FindRequester(watch));
  EXPECT_EQ(1, Host().LiveImageCount());
  const simhost::Requester* pick = Host().FindRequester(GState.PickRequester);
  ASSERT_NE(nullptr, pick);
  EXPECT_TRUE(pick->flags == 14 && pick->tracking && pick->title == "Tintwellv7.50");
  EXPECT_EQ(50, GadgetWidth(Host(), GState.PickRequester, 120));
  EXPECT_EQ(49, GState.PickImage->Width);

  ASSERT_EQ(1, Host().Parameters("S"));
  const RequesterHandle brush = GState.BrushRequester;
  ASSERT_EQ(2, Host().LiveImageCount());
  GState.ModeFlags &= ~kModeBrush;  // a brush window left open while the mode is off
  ASSERT_EQ(1, Host().Parameters("S"));
  EXPECT_EQ(nullptr, Host().FindRequester(brush));
  EXPECT_EQ(2, Host().LiveImageCount());
  EXPECT_EQ(130, GadgetWidth(Host(), GState.BrushRequester, 125));
  EXPECT_EQ(129, GState.BrushImage->Width);
  EXPECT_TRUE(Host().canvasEvents && Host().mouseLocked);
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(RequestersCanvas, EndOfInteractionClosesEverythingAndKeepsTheScopePlace) {
  GState.VectorscopeMode = 1;
  GState.VectorscopeX = 40;
  GState.VectorscopeY = 60;
  ASSERT_EQ(1, Host().Parameters("sS"));
  const simhost::Requester* scope = Host().FindRequester(GState.VectorscopeRequester);
  ASSERT_NE(nullptr, scope);
  EXPECT_EQ(40, scope->x);
  EXPECT_EQ(60, scope->y);
  EXPECT_EQ("Vectorscope", scope->title);
  Host().MoveRequester(GState.VectorscopeRequester, 300, 7, 185, 185);
  GState.SampleBuffer = HostAllocImage(Context(), 8, 8);
  ASSERT_EQ(3, Host().LiveImageCount());

  Host().EndCanvasEvents();

  EXPECT_EQ(0, Host().OpenRequesterCount());
  EXPECT_EQ(0, HeldRequesterCount());
  EXPECT_EQ(0, GState.ModeFlags);
  EXPECT_EQ(0, Host().LiveImageCount());
  EXPECT_TRUE(!GState.PickImage && !GState.BrushImage && !GState.SampleBuffer);
  EXPECT_FALSE(Host().mouseLocked);

  // It comes back where it was left. A failed place query means the host has
  // no such window any more: the place stays, the handle is dropped unused.
  ASSERT_EQ(1, Host().Parameters("s"));
  scope = Host().FindRequester(GState.VectorscopeRequester);
  ASSERT_NE(nullptr, scope);
  EXPECT_EQ(300, scope->x);
  EXPECT_EQ(7, scope->y);
  Host().MoveRequester(GState.VectorscopeRequester, 5, 5, 185, 185);
  Host().FailNextGetRequesterPlace();
  Host().EndCanvasEvents();
  EXPECT_EQ(0, GState.VectorscopeRequester);
  EXPECT_EQ(300, GState.VectorscopeX);
  EXPECT_TRUE(Host().Faults().empty());
}

// The scope is a plain requester: the user may close it from the host and
// the plug-in hears nothing. Its handle is then never closed, drawn into or
// taken for an open window again; only the place query that finds it gone
// still names it.
TEST_F(RequestersCanvas, ScopeClosedByTheUserIsForgottenNotClosedAgain) {
  GState.VectorscopeMode = kScopeWaveform;
  const auto usesOf = [this](RequesterHandle handle) {
    std::vector<std::string> uses;
    for (const simhost::DispatchRecord& call : Host().Calls()) {
      const bool named = (call.function == kFnCloseRequester && call.pack[0] == handle) ||
                         (call.function == kFnRequesterOp && call.pack[1] == handle);
      if (named) uses.push_back(simhost::DescribeCall(call));
    }
    return uses;
  };
  // Ended by the end of the canvas interaction, by the menu's switch and by PI_Close.
  const std::vector<std::function<void()>> endings = {
      [this] { Host().Parameters("s"); },
      [this] {
        Host().SetPopupMenuAnswer(kMenuIdVectorscope);
        RunOptionMenu(Context());
        GState.VectorscopeMode = kScopeWaveform;
      },
      [this] { Host().Close(); }};
  for (size_t i = 0; i < endings.size(); ++i) {
    ASSERT_EQ(1, Host().Parameters("s"));
    const RequesterHandle scope = GState.VectorscopeRequester;
    ASSERT_NE(nullptr, Host().FindRequester(scope)) << i;
    VectorscopeUpdate(Context(), GState.CurrentPixel);
    ASSERT_NE(nullptr, GState.VectorscopeImage);
    Host().UserClosesRequester(scope);
    Host().ClearRecords();
    // Once, a colour change comes first: it finds the window gone and draws nothing.
    if (i == 0) VectorscopeUpdate(Context(), GState.CurrentPixel);
    endings[i]();
    EXPECT_EQ(0, GState.VectorscopeRequester) << i;
    EXPECT_EQ(nullptr, GState.VectorscopeImage) << i;
    const std::vector<std::string> uses = usesOf(scope);
    EXPECT_LE(uses.size(), 1u) << i << ": " << (uses.empty() ? "" : uses.back());
    if (!uses.empty()) {
      EXPECT_EQ(0u, uses[0].rfind("HostGetRequesterPlace", 0)) << uses[0];
    }
    EXPECT_TRUE(Host().Faults().empty()) << i << ": " << Host().Faults().front();
    if (GState.ModeFlags & kModePick) Host().Parameters("s");
  }
  EXPECT_EQ(0, Host().OpenRequesterCount());

  // Asked to open while it holds a window the user closed, it opens a new one.
  OpenScopeWindow(Context());
  const RequesterHandle closed = GState.VectorscopeRequester;
  Host().UserClosesRequester(closed);
  OpenScopeWindow(Context());
  EXPECT_NE(closed, GState.VectorscopeRequester);
  EXPECT_NE(nullptr, Host().FindRequester(GState.VectorscopeRequester));
  CloseScopeWindow(Context());
  EXPECT_EQ(0, Host().OpenRequesterCount());
  EXPECT_TRUE(Host().Faults().empty()) << Host().Faults().front();
}

TEST_F(RequestersCanvas, WatchFollowsAutoTrimAndRingLocks) {
  // Auto trim alone: ending the pick mode does not consult it, but the end of
  // interaction re-runs the watch, which opens its window again.
  ASSERT_EQ(1, Host().Parameters("Uss"));
  EXPECT_FALSE(GState.ModeFlags & kModePick);
  EXPECT_EQ(2, GadgetWidth(Host(), GState.PickRequester, 120));
  ASSERT_EQ(1, Host().Parameters("u"));
  EXPECT_EQ(0, GState.PickRequester);
  EXPECT_EQ(nullptr, GState.PickImage);

  // Ring locks keep it open for a freehand line (any letter case) only.
  GState.RingLockBits = kLockRing | kLockVertical;
  Host().activeShape = "FreeHandLine";
  ASSERT_EQ(1, Host().Parameters("u"));
  EXPECT_NE(0, GState.PickRequester);
  Host().activeShape = "rectangle";
  ASSERT_EQ(1, Host().Parameters("u"));
  EXPECT_EQ(0, GState.RingLockBits);
  EXPECT_EQ(0, GState.PickRequester);
  EXPECT_EQ(0, Host().OpenRequesterCount());
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(RequestersCanvas, FailuresLeaveAConsistentState) {
  // No image: the window works and the overlay draws nothing.
  Host().FailNextImageAlloc(2);
  ASSERT_EQ(1, Host().Parameters("sS"));
  EXPECT_TRUE(GState.PickRequester && GState.BrushRequester && !GState.PickImage && !GState.BrushImage);
  Host().Message(kMsgOverlayDraw, 0, {});
  EXPECT_TRUE(Host().Overlays().empty());
  Host().EndCanvasEvents();

  // No pick window: canvas events already run, so the mode stays on until
  // "s" ends it and the end of interaction tidies up.
  Host().FailNextRequesterOpen();
  ASSERT_EQ(1, Host().Parameters("s"));
  EXPECT_EQ(std::vector<std::string>{"Can't Open Requester !"}, Host().Messages());
  EXPECT_TRUE(GState.ModeFlags & kModePick);
  ASSERT_EQ(1, Host().Parameters("s"));
  EXPECT_FALSE(Host().canvasEvents || Host().mouseLocked);

  // No brush window: nothing was started, so the mode is not left half on.
  Host().FailNextRequesterOpen();
  ASSERT_EQ(1, Host().Parameters("S"));
  EXPECT_FALSE(GState.ModeFlags & kModeBrush);
  ASSERT_EQ(1, Host().Parameters("S"));
  EXPECT_NE(0, GState.BrushRequester);

  // No vectorscope and no watch window: one message each.
  Host().ClearRecords();
  GState.VectorscopeMode = 2;
  Host().FailNextRequesterOpen(2);
  ASSERT_EQ(1, Host().Parameters("sk"));
  EXPECT_EQ(0, GState.VectorscopeRequester);
  EXPECT_EQ(2u, Host().Messages().size());
  EXPECT_TRUE(Host().Faults().empty());
}

// Overlay images (the canvas windows' sizes) still held, followed through
// the recorded calls so that a reused address cannot confuse the count.
void FollowOverlayImages(const simhost::SimHost& host, size_t* seen, std::set<HostWord>* live) {
  const auto& calls = host.Calls();
  for (; *seen < calls.size(); ++*seen) {
    const simhost::DispatchRecord& call = calls[*seen];
    const HostWord size = call.pack.empty() ? 0 : call.pack[0];
    if (call.function == kFnAllocImage && call.result && (size == 17 || size == 49 || size == 129)) {
      live->insert(call.result);
    } else if (call.function == kFnFreeImage && !call.pack.empty()) {
      live->erase(call.pack[0]);
    }
  }
}

// Random runs of mode starts and ends, option and panel toggles, host-side
// ends of interaction and host failures, canvas picks, autosample moves,
// refresh notices, lamp and paint-mode corner clicks, sample-source switches
// and canvas resizes: the plug-in's handles always match the host's open
// windows, only the current overlay images and sample buffer are held, and
// once everything is switched off nothing is left.
TEST_F(RequestersCanvas, RandomSequencesLeaveNothingBehind) {
  const char* const letters[] = {"s", "S", "R", "k", "T", "U", "u", "t"};
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TearDown();
    SetUp();
    std::mt19937 random(seed);
    GState.VectorscopeMode = static_cast<int32_t>(seed % 3);
    std::set<HostWord> live;
    size_t seen = 0;
    std::string script;
    for (int step = 0; step < 150; ++step) {
      const uint32_t pick = random() % 20;
      // A canvas position in 16.16, sometimes off the canvas on either side.
      const auto position = [&random] {
        return static_cast<HostWord>((static_cast<int32_t>(random() % 100) - 10) * 65536 +
                                     static_cast<int32_t>(random() % 65536));
      };
      const int32_t buttons = static_cast<int32_t>(random() % 3) + 1;
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
      } else if (pick == 12) {
        script += '/';
        Host().activeShape = Host().activeShape == "freehandline" ? "rectangle" : "freehandline";
      } else if (pick == 13) {
        script += '^';
        const HostWord kinds[] = {1, 1, 1, 2, -1, -2, 5};
        const HostWord pressure = static_cast<HostWord>(random() % 300);
        const HostWord flag = static_cast<HostWord>(random() % 2);
        Host().Message(kMsgCanvasPointer, 0, {position(), position(), kinds[random() % 7], pressure, flag});
      } else if (pick == 14) {
        script += '~';
        GState.PaintModeBits ^= (random() % 2) ? kPaintDirt : kPaintLoad;
        const HostWord x = position(), y = position();
        CanvasPickPreview(Context(), SamplePixel(static_cast<int32_t>(x), static_cast<int32_t>(y), Context()));
        Host().DeliverPendingMessages();
      } else if (pick == 15) {
        script += '&';
        if (GState.PanelRequester) {
          Host().SendEvent(GState.PanelRequester, kEventRefresh, {});
        } else {
          LoadSampleBuffer(Context());
        }
      } else if (pick == 16 || pick == 17) {
        script += pick == 16 ? '*' : '<';
        GState.LightMode = static_cast<int32_t>(random() % 3);
        const HostWord qualifier = static_cast<HostWord>(random() % 2);
        // The lamp, or the paint-mode corner of the palette (top right).
        std::vector<HostWord> words = {pick == 16 ? 150 : 110, pick == 16 ? 5 : 161, pick == 16 ? 5 : 22, buttons, 255,
                                       0, qualifier, 0, 0, 0};
        if (GState.PanelRequester) {
          Host().SendEvent(GState.PanelRequester, pick == 16 ? kEventRelease : kEventPress, words);
        } else if (pick == 16) {
          LampButtonRelease(Context(), words.data());
        } else {
          PaintModeCornerPress(Context(), buttons, static_cast<int32_t>(qualifier));
        }
        Host().DeliverPendingMessages();
      } else if (pick == 18) {
        script += '=';
        GState.SampleSourceFlags = static_cast<int32_t>(random() % 4);
      } else {
        script += '>';
        Host().SetProjectSize(static_cast<int32_t>(random() % 90) + 1, static_cast<int32_t>(random() % 70) + 1);
        Host().PaintPixel(0, 0, {200, 100, 50, static_cast<uint8_t>(random() % 256)});
      }
      FollowOverlayImages(Host(), &seen, &live);
      ASSERT_EQ(HeldRequesterCount(), Host().OpenRequesterCount()) << script;
      for (HostWord image : live) {
        ASSERT_TRUE(image == reinterpret_cast<HostWord>(GState.PickImage) ||
                    image == reinterpret_cast<HostWord>(GState.BrushImage))
            << "an overlay image outlived its window after " << script;
      }
      ASSERT_TRUE(!GState.SampleBuffer || Host().IsLiveImage(GState.SampleBuffer)) << script;
      ASSERT_TRUE(!GState.PickImage || Host().IsLiveImage(GState.PickImage)) << script;
      ASSERT_TRUE(Host().Faults().empty()) << script << ": " << Host().Faults().front();
    }

    GState.PaintModeBits &= ~(kPaintSizeLock | kPaintDirt | kPaintLoad);
    GState.RingLockBits = 0;
    Host().Parameters("u");
    Host().EndCanvasEvents();
    if (GState.PanelRequester) Host().Parameters("t");
    FollowOverlayImages(Host(), &seen, &live);
    EXPECT_EQ(0, Host().OpenRequesterCount()) << script;
    EXPECT_EQ(0, HeldRequesterCount()) << script;
    EXPECT_TRUE(live.empty()) << script;
    EXPECT_EQ(nullptr, GState.SampleBuffer) << script;
    EXPECT_TRUE(Host().Faults().empty()) << script;
  }
}

}  // namespace
