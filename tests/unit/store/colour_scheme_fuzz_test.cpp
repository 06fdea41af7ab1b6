// Colour schemes under random input: thousands of random slot files and
// random press / drag / release sequences (fixed seeds) must always leave a
// whole scheme: 1..8 used points, all of them in `sorted`, ascending, inside
// 0..1, and never a settings file left open.
//
// The slot file is served from memory here (the stand-in host rewrites its
// files on every write, too slow for thousands of rounds); every other host
// call goes to the stand-in host.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "colour_scheme_fixture.h"

namespace {

struct MemoryFile {
  std::map<std::string, std::map<std::string, std::string>> sections;
  int32_t openCount = 0;
  HostDispatchFn host = nullptr;
};
MemoryFile gMemoryFile;

const char* Text(HostWord word) { return reinterpret_cast<const char*>(word); }

// The settings-file functions as the host promises them: a read gives the
// stored value or the default, NUL-terminated and cut to the buffer size.
HostWord TW_CALL MemoryFileDispatch(PluginContext* context, int32_t function, HostWord* pack) {
  switch (function) {
    case kFnOpenConfigFile:
      ++gMemoryFile.openCount;
      return 0x100;
    case kFnCloseConfigFile:
      --gMemoryFile.openCount;
      return 1;
    case kFnReadConfigString: {
      const auto& section = gMemoryFile.sections[Text(pack[1])];
      const auto found = section.find(Text(pack[2]));
      const std::string value = found != section.end() ? found->second : Text(pack[4]);
      char* buffer = reinterpret_cast<char*>(pack[3]);
      const size_t size = static_cast<size_t>(pack[5]);
      const size_t length = std::min(value.size(), size - 1);
      std::memcpy(buffer, value.data(), length);
      buffer[length] = '\0';
      return 1;
    }
    case kFnWriteConfigString:
      gMemoryFile.sections[Text(pack[1])][Text(pack[2])] = Text(pack[3]);
      return 1;
    default:
      return gMemoryFile.host(context, function, pack);
  }
}

class ColourSchemeFuzzTest : public ColourSchemeTest {
 protected:
  void SetUp() override {
    ColourSchemeTest::SetUp();
    if (HasFatalFailure()) return;
    gMemoryFile = MemoryFile{};
    gMemoryFile.host = Context()->HostDispatch;
    Context()->HostDispatch = MemoryFileDispatch;
  }
  void TearDown() override {
    EXPECT_EQ(gMemoryFile.openCount, 0) << "a settings file was left open";
    if (host && gMemoryFile.host) Context()->HostDispatch = gMemoryFile.host;
    ColourSchemeTest::TearDown();
  }
};

// Draws from the engine's raw output, which the standard fixes, so every
// build sees the same sequence.
class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  uint32_t Next() { return static_cast<uint32_t>(engine_()); }
  int32_t Below(int32_t n) { return static_cast<int32_t>(Next() % static_cast<uint32_t>(n)); }
  float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
  bool Chance(int32_t percent) { return Below(100) < percent; }

 private:
  std::mt19937 engine_;
};

std::string RandomPointText(Random& random) {
  const Pixel colour = random.Next();
  const std::string good = std::to_string(colour) + " " + std::to_string(random.Unit());
  switch (random.Below(10)) {
    case 0: return good.substr(0, static_cast<size_t>(random.Below(static_cast<int32_t>(good.size()) + 1)));
    case 1: return std::to_string(colour) + " nan";
    case 2: return std::to_string(colour) + " " + std::to_string(random.Unit() * 4.0f - 2.0f);
    case 3: return "-1 0";
    case 4: return "-" + good;
    case 5: {
      std::string junk;
      const int32_t length = random.Below(12);
      for (int32_t i = 0; i < length; ++i) junk += static_cast<char>(' ' + random.Below(95));
      return junk;
    }
    case 6: return std::to_string(colour) + "99999 0.5";
    default: return good;
  }
}

std::string RandomCountText(Random& random) {
  switch (random.Below(8)) {
    case 0: return std::to_string(random.Below(2000) - 1000);
    case 1: return "x";
    case 2: return "";
    case 3: return "99999999999";
    default: return std::to_string(random.Below(13) - 2);
  }
}

TEST_F(ColourSchemeFuzzTest, RandomSlotFilesNeverBreakTheScheme) {
  Random random(20261207);
  SetScheme({{0xFF000000, 0.0f}});
  size_t messages = 0;
  int32_t loads = 0;
  for (int32_t round = 0; round < 5000 && !HasFailure(); ++round) {
    const int32_t slot = random.Below(6);
    std::vector<std::pair<std::string, std::string>> values;
    if (!random.Chance(10)) values.emplace_back("pointCount", RandomCountText(random));
    for (int32_t i = 0; i < 10; ++i) {
      if (random.Chance(80)) values.emplace_back("csP_" + std::to_string(i), RandomPointText(random));
    }
    WriteSlot(slot, values);

    const std::vector<SchemePoint> before = Points();
    Scheme().slot = slot;
    Scheme().modified = 1;  // only a load that takes points clears it
    LoadColourSchemeSlot(Context());
    if (!Scheme().modified) ++loads;
    const std::string where = "round " + std::to_string(round);
    ExpectConsistent(where);
    if (host->Messages().size() != messages) {
      messages = host->Messages().size();
      EXPECT_EQ(host->Messages().back().rfind("Oh no!\n", 0), 0u) << where;
      const std::vector<SchemePoint> after = Points();
      ASSERT_EQ(after.size(), before.size()) << where << ": a failed load changed the scheme";
      for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].colour, before[i].colour) << where;
        EXPECT_EQ(after[i].position, before[i].position) << where;
      }
    }
    for (const SchemePoint& point : Points()) EXPECT_EQ(point.colour >> 24, 0xFFu) << where;
    EXPECT_EQ(gMemoryFile.openCount, 0) << where;
  }
  EXPECT_GT(messages, 100u) << "the rounds hardly tried bad points";
  EXPECT_GT(loads, 100) << "the rounds hardly loaded anything";
}

TEST_F(ColourSchemeFuzzTest, RandomGesturesKeepTheSchemeWhole) {
  Random random(7);
  // As during a real drag on the slider: picked colours don't rebuild the
  // slider's gradient table.
  GState.DragTarget = kDragSlider;
  // A few stored slots, so slot switches load real schemes.
  // Some of them crowded: points closer than a drag would leave them, and
  // points at the very end.
  const float crowded[] = {0.0f, 0.3f, 0.305f, 0.31f, 0.5f, 0.99f, 1.0f};
  for (int32_t slot = 0; slot < 6; ++slot) {
    std::vector<SchemePoint> points;
    const int32_t count = 1 + random.Below(8);
    for (int32_t i = 0; i < count; ++i) {
      const float position = slot % 2 ? crowded[random.Below(7)] : random.Unit();
      points.push_back({0xFF000000u | (random.Next() >> 8), position});
    }
    if (slot != 3) WriteSchemeSlot(slot, points);
  }
  float pointer = 0.5f;
  bool pressed = false;
  uint32_t statesSeen = 0;
  for (int32_t step = 0; step < 20000 && !HasFailure(); ++step) {
    const int32_t action = random.Below(100);
    if (action < 30 || !pressed) {
      // Presses come often within the double-click time.
      if (random.Chance(30)) {
        // On or next to a point.
        const ColourSchemePoint* point = Scheme().sorted[random.Below(Scheme().count)];
        pointer = std::min(1.0f, std::max(0.0f, point->position + (random.Unit() - 0.5f) * 0.02f));
      } else {
        pointer = random.Chance(10) ? static_cast<float>(random.Below(2)) : random.Unit();
      }
      const int32_t buttons[] = {kSchemeButtonLeft, kSchemeButtonRight, kSchemeButtonLeft, kSchemeButtonRight,
                                 kSchemeButtonLeft | kSchemeButtonRight, 0};
      Press(pointer, buttons[random.Below(6)], static_cast<uint32_t>(random.Below(600)));
      pressed = true;
    } else if (action < 80) {
      if (random.Chance(60)) {
        pointer += (random.Unit() - 0.5f) * 0.2f;
      } else {
        pointer = random.Unit();
      }
      // The panel clamps, but the scheme must not rely on it.
      if (random.Chance(2)) pointer = random.Chance(50) ? -0.5f : 1.5f;
      if (random.Chance(1)) pointer = std::nanf("");
      Drag(pointer);
      if (!(pointer >= 0.0f && pointer <= 1.0f)) pointer = 0.5f;
    } else if (action < 97) {
      Release(static_cast<uint32_t>(random.Below(300)));
      pressed = false;
    } else {
      SaveColourSchemeSlot(Context());
    }
    statesSeen |= 1u << (Scheme().state & 31);
    const std::string where = "step " + std::to_string(step);
    ExpectConsistent(where);
    EXPECT_GE(Scheme().state, 0) << where;
    EXPECT_LE(Scheme().state, 8) << where;
    EXPECT_GE(Scheme().slot, 0) << where;
    EXPECT_LE(Scheme().slot, 5) << where;
  }
  Release();
  EXPECT_EQ(Scheme().state, 0);
  EXPECT_EQ(statesSeen, 0x1FFu) << "every editing state 0..8 should come up";
}

}  // namespace
