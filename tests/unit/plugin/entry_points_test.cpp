// The entry points as the host drives them: the order of PI_Open's effects,
// the one-letter commands, the routing of host messages, the overlays, the
// end of a canvas interaction, PI_Close and re-entry through the filter pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "host/host_calls.h"
#include "host/host_functions.h"
#include "core/plugin_state.h"
#include "plugin/entry_points.h"
#include "support/plugin_host.h"

namespace {

bool IsCommand(const simhost::DispatchRecord& call, const std::string& prefix) {
  return call.function == kFnSendCommand && !call.texts.empty() && call.texts[0].compare(0, prefix.size(), prefix) == 0;
}

bool IsUserRead(const simhost::DispatchRecord& call, const std::string& section, const std::string& key) {
  return call.function == kFnReadUserString && call.texts.size() >= 2 && call.texts[0] == section &&
         call.texts[1] == key;
}

class EntryPoints : public PluginHostTest {
 protected:
  // Index of the first call matching pred, or -1.
  template <typename Pred>
  int FirstCall(Pred pred) const {
    const auto& calls = host->Calls();
    for (size_t i = 0; i < calls.size(); ++i) {
      if (pred(calls[i])) return static_cast<int>(i);
    }
    return -1;
  }
  template <typename Pred>
  int LastCall(Pred pred) const {
    const auto& calls = host->Calls();
    for (size_t i = calls.size(); i-- > 0;) {
      if (pred(calls[i])) return static_cast<int>(i);
    }
    return -1;
  }
  int CountEntries(const std::string& entry) const {
    int n = 0;
    for (const auto& e : host->Entries()) n += e.entry == entry;
    return n;
  }
};

}  // namespace

TEST_F(EntryPoints, OpenFillsTheContextAndRunsItsStepsInOrder) {
  ASSERT_EQ(1, host->Open());
  PluginContext* context = host->Context();
  EXPECT_STREQ("Tintwell", context->Name);
  EXPECT_EQ(7, context->VersionMajor);
  EXPECT_EQ(5, context->VersionMinor);
  ASSERT_NE(nullptr, context->UserBlock);
  EXPECT_EQ(288, context->UserBlockSize);
  const unsigned char* block = static_cast<const unsigned char*>(context->UserBlock);
  for (int i = 0; i < 288; ++i) ASSERT_EQ(0, block[i]) << "user block byte " << i;

  const auto& calls = host->Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(kFnOpenLocalisation, calls[0].function);
  ASSERT_EQ("tintwell.loc", calls[0].texts.at(0));

  // Settings, then the range table, then the stored pens, then the colour
  // scheme, then the panel, then the shortcuts.
  const int firstSetting = FirstCall([](const auto& c) { return IsUserRead(c, "Tintwell", "room-0palette"); });
  const int lastSetting = FirstCall([](const auto& c) { return IsUserRead(c, "Tintwell", "lab_ref_z"); });
  const int firstRange = FirstCall([](const auto& c) { return IsCommand(c, "tv_RangeGrab "); });
  const int penRead = FirstCall([](const auto& c) { return IsUserRead(c, "Main", "apen"); });
  const int bPenRead = FirstCall([](const auto& c) { return IsUserRead(c, "Main", "bpen"); });
  const int schemePath = FirstCall([](const auto& c) { return IsCommand(c, "tv_GetPath PLUGIN"); });
  const int panelOpen = FirstCall([](const auto& c) { return c.function == kFnOpenCallbackRequester; });
  const int firstShortcut = FirstCall([](const auto& c) { return c.function == kFnAddShortcut; });
  const std::vector<std::pair<const char*, int>> steps = {
      {"localisation", 0},     {"first setting", firstSetting}, {"last setting", lastSetting},
      {"range table", firstRange}, {"A pen", penRead},          {"B pen", bPenRead},
      {"colour scheme", schemePath}, {"panel", panelOpen},      {"shortcuts", firstShortcut}};
  for (size_t i = 1; i < steps.size(); ++i) {
    ASSERT_GE(steps[i].second, 0) << steps[i].first << " never happened";
    EXPECT_LT(steps[i - 1].second, steps[i].second) << steps[i - 1].first << " before " << steps[i].first;
  }
  // The shortcuts are the last thing PI_Open does.
  const int lastCall = static_cast<int>(calls.size()) - 1;
  EXPECT_EQ(lastCall, LastCall([](const auto& c) { return c.function == kFnAddShortcut; }));
  EXPECT_EQ(13u, CountCalls(kFnAddShortcut));
  EXPECT_NE(0, GState.PanelRequester);
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(EntryPoints, LocalisedNameIsCutTo127BytesWithoutSplittingACharacter) {
  const std::string gbkChar = "\xc7\xd0";
  const struct {
    std::string name;
    std::string expected;
  } cases[] = {
      {std::string(200, 'a'), std::string(127, 'a')},
      {std::string(126, 'a') + gbkChar, std::string(126, 'a')},
      {std::string(125, 'a') + gbkChar + "b", std::string(125, 'a') + gbkChar},
      {gbkChar + gbkChar, gbkChar + gbkChar},
  };
  for (const auto& c : cases) {
    UseLocalisation({{100, c.name}});
    ASSERT_EQ(1, host->Open());
    EXPECT_EQ(c.expected, std::string(host->Context()->Name)) << c.name.size();
    host->Close();
  }
}

TEST_F(EntryPoints, OptionLettersChangeTheirBitsAndLockValues) {
  struct Case {
    const char* command;
    int32_t bitsBefore;
    int32_t bitsAfter;
    int32_t lock;         // BrushSizeLock afterwards
    float lockSize;       // its float afterwards
  };
  const Case cases[] = {
      {"T", 0x000, 0x100, 7, 7.0f},  {"T", 0x101, 0x001, 7, 7.0f},    {"U", 0x000, 0x100, 7, 7.0f},
      {"U", 0x100, 0x100, 7, 7.0f},  {"u", 0x1ff, 0x0ff, 7, 7.0f},    {"u", 0x000, 0x000, 7, 7.0f},
      {"k", 0x000, 0x080, -1, -1.0f}, {"k", 0x080, 0x000, -1, -1.0f}, {"K", 0x080, 0x080, 100, 0.0f},
      {"kK", 0x000, 0x080, 100, 0.0f}, {"Tu?9 z", 0x000, 0x000, 7, 7.0f},
  };
  for (const Case& c : cases) {
    GState.PaintModeBits = c.bitsBefore;
    GState.AutoTrimPending = 1;
    GState.BrushSizeLock = 7;
    GState.BrushSizeLockSize = 7.0f;
    EXPECT_EQ(1, host->Parameters(c.command)) << c.command;
    EXPECT_EQ(c.bitsAfter, GState.PaintModeBits) << c.command << " from " << c.bitsBefore;
    EXPECT_EQ(c.lock, GState.BrushSizeLock) << c.command;
    EXPECT_EQ(c.lockSize, GState.BrushSizeLockSize) << c.command;
    if (std::strpbrk(c.command, "TUu")) {
      EXPECT_EQ(0, GState.AutoTrimPending) << c.command;
    }
  }
}

TEST_F(EntryPoints, UnknownLettersDoNothing) {
  const PluginState before = GState;
  EXPECT_EQ(1, host->Parameters("?!9 zQ"));
  EXPECT_TRUE(host->Calls().empty());
  EXPECT_EQ(0, std::memcmp(&before, &GState, sizeof before));
}

TEST_F(EntryPoints, NullTextShowsThePanel) {
  EXPECT_EQ(1, host->Parameters(nullptr));
  const simhost::DispatchRecord* open = FindCall(kFnOpenCallbackRequester);
  ASSERT_NE(nullptr, open);
  EXPECT_EQ((std::vector<HostWord>{185, 48, 128, 128, 0x900010}),
            std::vector<HostWord>(open->pack.begin(), open->pack.begin() + 5));
  EXPECT_EQ("Tintwellv7.50", open->texts.at(0));
  EXPECT_NE(0, GState.PanelRequester);
}

TEST_F(EntryPoints, CanvasModeLettersChooseTheBrushSubMode) {
  EXPECT_EQ(1, host->Parameters("S"));
  EXPECT_TRUE(GState.ModeFlags & kModeBrush);
  EXPECT_EQ(0, GState.CanvasSubMode);
  host->EndCanvasEvents();
  EXPECT_EQ(0, GState.ModeFlags);
  EXPECT_EQ(1, host->Parameters("R"));
  EXPECT_EQ(16, GState.CanvasSubMode);
  host->EndCanvasEvents();
  EXPECT_EQ(1, host->Parameters("s"));
  EXPECT_TRUE(GState.ModeFlags & kModePick);
  EXPECT_EQ(1, host->Parameters("s"));  // ends it; the host then sends 1000
  EXPECT_FALSE(GState.ModeFlags & kModePick);
  EXPECT_EQ(0, host->OpenRequesterCount());
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(EntryPoints, LightenThenDarkenRunsTwoFilterPassesAndRestoresTheBits) {
  // A canvas of dark, light and transparent pixels; current colour mid grey.
  host->PaintPixel(0, 0, {10, 10, 10, 255});
  host->PaintPixel(1, 0, {240, 240, 240, 255});
  host->PaintPixel(2, 0, {10, 10, 10, 0});
  GState.CurrentRgb = ColourTriple{128.0f, 128.0f, 128.0f, 255};
  GState.CurrentPixel = host->ToPixel({128, 128, 128, 255});
  GState.PaintModeBits = 0x003;

  EXPECT_EQ(1, host->Parameters("l"));
  EXPECT_EQ(0x003, GState.PaintModeBits);
  const simhost::Layer* layer = host->CurrentLayer();
  EXPECT_EQ((simhost::Rgba{128, 128, 128, 255}), host->LayerPixel(*layer, 0, 0)) << "lightened";
  EXPECT_EQ((simhost::Rgba{240, 240, 240, 255}), host->LayerPixel(*layer, 1, 0)) << "already lighter";

  host->ClearRecords();
  EXPECT_EQ(1, host->Parameters("ld"));
  EXPECT_EQ(0x003, GState.PaintModeBits);
  EXPECT_EQ((simhost::Rgba{128, 128, 128, 255}), host->LayerPixel(*layer, 1, 0)) << "darkened";
  EXPECT_EQ(0, host->LayerPixel(*layer, 2, 0).a) << "transparent stays transparent";
  EXPECT_EQ(2, CountEntries("PI_Work"));
  EXPECT_EQ(2u, CountCalls(kFnUpdateArea));
  const simhost::DispatchRecord* update = FindCall(kFnUpdateArea);
  ASSERT_NE(nullptr, update);
  // The host described the whole layer; the words come back unchanged.
  EXPECT_EQ((std::vector<HostWord>{0, 0, host->Options().imageWidth, host->Options().imageHeight}), update->pack);

  // Each letter runs its own direction whatever side the lamp has chosen.
  for (const auto& [bits, letter, pixel] :
       {std::tuple{kPaintLampOn | kPaintCieLighten, "d", simhost::Rgba{240, 240, 240, 255}},
        std::tuple{kPaintLampOn | kPaintCieDarken, "l", simhost::Rgba{20, 20, 20, 255}}}) {
    host->PaintPixel(1, 0, pixel);
    GState.PaintModeBits = bits;
    EXPECT_EQ(1, host->Parameters(letter));
    EXPECT_EQ(bits, GState.PaintModeBits) << letter;
    EXPECT_EQ((simhost::Rgba{128, 128, 128, 255}), host->LayerPixel(*layer, 1, 0)) << letter;
  }
}

TEST_F(EntryPoints, FilterPassRunsInsideTheHostCallThatAskedForIt) {
  GState.PaintModeBits = kPaintLampOn | kPaintCieLighten;
  host->Message(kMsgCanvasEnd, 0, {});
  // 1000 -> "tv_plugin ... cmd l" -> PI_Parameters("l") -> HostApplyFilter -> PI_Start/Work/Finish.
  std::vector<std::string> nested;
  for (const auto& e : host->Entries()) nested.push_back(e.entry + "@" + std::to_string(e.depth));
  const std::vector<std::string> expected = {"PI_Msg@1", "PI_Parameters@2", "PI_Start@3", "PI_Work@3",
                                             "PI_Finish@3"};
  EXPECT_EQ(expected, nested);
  const std::vector<std::string> commands = host->CommandTexts();
  const auto first = std::find(commands.begin(), commands.end(), "tv_plugin \"tintwell\" cmd \"l\"");
  ASSERT_LE(3, commands.end() - first);
  EXPECT_EQ((std::vector<std::string>{"tv_plugin \"tintwell\" cmd \"l\"", "tv_sparecopy", "tv_undo"}),
            std::vector<std::string>(first, first + 3));
  EXPECT_EQ(kPaintLampOn | kPaintCieLighten, GState.PaintModeBits);
}

TEST_F(EntryPoints, ScopeImagePressSwitchesTheScopeDisplay) {
  const struct {
    int32_t gadget;
    int32_t before;
    int32_t after;
  } cases[] = {{130, 0, 2}, {130, 2, 1}, {130, 1, 2}, {120, 1, 1}, {0, 2, 2}};
  for (const auto& c : cases) {
    GState.VectorscopeMode = c.before;
    host->Message(kMsgGadgetPress, 1234, {c.gadget});
    EXPECT_EQ(c.after, GState.VectorscopeMode) << c.gadget << " from " << c.before;
  }
}

TEST_F(EntryPoints, UnknownMessagesAndStrayRequestersDoNothing) {
  const PluginState before = GState;
  for (int32_t kind : {0, 1, 99, 201, 301, 999, 1001, 1003, -1}) {
    EXPECT_EQ(1, host->Message(kind, 55, {1, 2, 3, 4, 5})) << kind;
  }
  EXPECT_EQ(1, host->Message(kMsgPointerMove, 55, {0, 1, 2, 3, 4}));  // not one of ours
  EXPECT_EQ(1, host->Message(kMsgOverlayDraw, 0, {}));               // no canvas mode on
  EXPECT_TRUE(host->Calls().empty());
  EXPECT_TRUE(host->Overlays().empty());
  EXPECT_EQ(0, std::memcmp(&before, &GState, sizeof before));
}

TEST_F(EntryPoints, PickOverlayIsCentredOnThePointer) {
  ASSERT_EQ(1, host->Parameters("s"));
  ASSERT_NE(nullptr, GState.PickImage);
  GState.PickPointer[0] = (10 << 16) + 0x8000;  // 10.5
  GState.PickPointer[1] = -(3 << 16);           // -3.0
  host->ClearRecords();
  host->Message(kMsgOverlayDraw, 0, {});
  ASSERT_EQ(1u, host->Overlays().size());
  const simhost::OverlayRecord& o = host->Overlays()[0];
  EXPECT_EQ(kOverlayImage, o.subOperation);
  EXPECT_EQ(GState.PickImage, o.image);
  const std::vector<float> expected = {10.5f, -3.0f, -24.5f, -24.5f, 24.5f, -24.5f, 24.5f, 24.5f, -24.5f, 24.5f};
  EXPECT_EQ(expected, o.coordinates);
}

TEST_F(EntryPoints, BrushOverlayDrawsTheImageOrTheRadiusCircle) {
  ASSERT_EQ(1, host->Parameters("S"));
  ASSERT_NE(nullptr, GState.BrushImage);
  GState.BrushPointer[0] = 100 << 16;
  GState.BrushPointer[1] = 50 << 16;
  host->ClearRecords();
  host->Message(kMsgOverlayDraw, 0, {});
  ASSERT_EQ(1u, host->Overlays().size());
  EXPECT_EQ(kOverlayImage, host->Overlays()[0].subOperation);
  EXPECT_EQ(-64.5f, host->Overlays()[0].coordinates.at(2));

  // Sub-mode 8: a circle of 64 segments and a dot, radius kept in 0.5..255.
  const struct {
    int32_t anchorX;
    float offset;
    float base;
    float radius;
    int32_t pointerX;
  } cases[] = {{103, 0.0f, 1.0f, 4.0f, 100},
               {100, 10.0f, 0.0f, 0.5f, 100},
               {2000, 0.0f, 0.0f, 255.0f, 100},
               // Left of the canvas: whole parts stay signed, and the squares
               // never overflow (they did, read as unsigned high halves).
               {3, 0.0f, 0.0f, 4.0f, -1},
               {-32768, 0.0f, 0.0f, 255.0f, 32767}};
  GState.CanvasSubMode = 8;
  for (const auto& c : cases) {
    GState.BrushPointer[0] = c.pointerX * 65536;
    GState.BrushAnchor[0] = c.anchorX * 65536;
    GState.BrushAnchor[1] = 50 << 16;
    GState.BrushRadiusOffset = c.offset;
    GState.BrushRadiusBase = c.base;
    host->ClearRecords();
    host->Message(kMsgOverlayDraw, 0, {});
    const auto& overlays = host->Overlays();
    ASSERT_EQ(65u, overlays.size()) << c.anchorX;
    for (int i = 0; i < 64; ++i) {
      const simhost::OverlayRecord& line = overlays[i];
      ASSERT_EQ(kOverlayLine, line.subOperation);
      const float r = std::hypot(line.coordinates[0] - static_cast<float>(c.pointerX), line.coordinates[1] - 50.0f);
      EXPECT_NEAR(c.radius, r, 1e-3f * c.radius) << "segment " << i;
    }
    // The circle closes: the last segment ends where the first starts.
    EXPECT_NEAR(overlays[0].coordinates[2], overlays[63].coordinates[0], 1e-3f * c.radius);
    EXPECT_NEAR(overlays[0].coordinates[3], overlays[63].coordinates[1], 1e-3f * c.radius);
    EXPECT_EQ(kOverlayDot, overlays[64].subOperation);
    EXPECT_EQ(2, overlays[64].size);
    EXPECT_EQ(GState.CurrentPixel, overlays[64].colour);
  }
}

TEST_F(EntryPoints, EndOfInteractionFreesTheSampleBufferAndUnlocksTheMouse) {
  GState.SampleBuffer = HostAllocImage(host->Context(), 8, 8);
  ASSERT_NE(nullptr, GState.SampleBuffer);
  ASSERT_EQ(1, host->LiveImageCount());
  host->Message(kMsgCanvasEnd, 0, {});
  EXPECT_EQ(nullptr, GState.SampleBuffer);
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_EQ(std::vector<std::string>{"tv_UnlockMouse"}, CommandsStartingWith("tv_UnlockMouse"));
  EXPECT_TRUE(CommandsStartingWith("tv_plugin").empty()) << "no paint mode asked for";
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(EntryPoints, CloseReleasesEverythingStillOpen) {
  ASSERT_EQ(1, host->Open());
  ASSERT_EQ(1, host->Parameters("s"));  // pick window and its image
  GState.SampleBuffer = HostAllocImage(host->Context(), 8, 8);
  GState.ColourScheme.modified = 1;
  ASSERT_TRUE(host->localisationOpen() || host->Options().localisationPath.empty());
  host->Close();
  EXPECT_EQ(0, host->OpenRequesterCount());
  EXPECT_EQ(0, host->LiveImageCount());
  EXPECT_EQ(0, GState.PanelRequester);
  EXPECT_EQ(0, GState.PickRequester);
  EXPECT_EQ(0, GState.RingLockBits);
  EXPECT_GT(CountCalls(kFnWriteConfigString), 0u) << "modified scheme saved";
  EXPECT_EQ(0, GState.ColourScheme.modified);
  EXPECT_TRUE(host->Faults().empty());
}

// Closing a window can bring events back into the plug-in; by then the
// plug-in must already have forgotten the window.
TEST_F(EntryPoints, HandlesAreForgottenBeforeTheHostClosesTheirWindows) {
  std::vector<std::string> stale;
  host->ObserveCalls([&stale](const simhost::DispatchRecord& call) {
    if (call.function != kFnCloseRequester || call.pack.empty()) return;
    const HostWord closing = call.pack[0];
    if (closing == GState.PanelRequester || closing == GState.PickRequester || closing == GState.BrushRequester ||
        closing == GState.VectorscopeRequester) {
      stale.push_back(std::to_string(closing));
    }
  });
  ASSERT_EQ(1, host->Open());
  ASSERT_EQ(1, host->Parameters("S"));    // brush window
  host->Message(kMsgCanvasEnd, 0, {});    // closes it
  GState.VectorscopeMode = kScopeWaveform;
  ASSERT_EQ(1, host->Parameters("s"));    // pick window and the scope
  ASSERT_NE(0, GState.VectorscopeRequester);
  ASSERT_EQ(1, host->Parameters("t"));    // the panel
  host->Close();                          // the pick window and the scope
  EXPECT_GE(CountCalls(kFnCloseRequester), 4u);
  EXPECT_TRUE(stale.empty()) << "closed while still held: " << stale.front();
  EXPECT_EQ(0, host->OpenRequesterCount());
}

// Without memory for the user block PI_Open fails, and leaves nothing open.
TEST_F(EntryPoints, OpenWithoutMemoryFailsAndClosesTheLocalisationFile) {
  UseLocalisation({{10000, "Panel"}});
  SetUserBlockAllocator([](size_t, size_t) -> void* { return nullptr; });
  const int32_t opened = host->Open();
  SetUserBlockAllocator(nullptr);
  EXPECT_EQ(0, opened);
  EXPECT_FALSE(host->localisationOpen());
  EXPECT_EQ(0, host->OpenRequesterCount());
}

TEST_F(EntryPoints, CloseWithALocalisationFileClosesIt) {
  UseLocalisation({{10000, "Panel"}});
  ASSERT_EQ(1, host->Open());
  EXPECT_TRUE(host->localisationOpen());
  host->Close();
  EXPECT_FALSE(host->localisationOpen());
  EXPECT_EQ(1u, CountCalls(kFnCloseLocalisation));
}

TEST_F(EntryPoints, AboutShowsNameVersionAndCredits) {
  ASSERT_EQ(1, host->Open());
  host->ClearRecords();
  host->About();
  ASSERT_EQ(1u, host->Messages().size());
  const std::string& text = host->Messages()[0];
  EXPECT_EQ(0u, text.find("Tintwell 7.5\n")) << text;
  EXPECT_NE(std::string::npos, text.find("freeware"));
}
