// Colour schemes under random input: thousands of random slot files and
// random press / drag / release sequences (fixed seeds) must always leave a
// whole scheme (1..8 used points, all in `sorted`, ascending, inside 0..1)
// and never a settings file open.
//
// The slot file lives in the stand-in host's memory here (on disk it is
// rewritten on every write, too slow for thousands of rounds).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "colour_scheme_fixture.h"

namespace {

class ColourSchemeFuzzTest : public ColourSchemeTest {
 protected:
  void SetUp() override {
    ColourSchemeTest::SetUp();
    if (HasFatalFailure()) return;
    options.configFilesInMemory = true;
    RestartHost();
    InitColourScheme(Context());
  }
  std::string Stored(int32_t slot, int32_t point) {
    return host->ConfigFileValue(SchemePath(), "slot_" + std::to_string(slot), "csP_" + std::to_string(point))
        .value_or("");
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
  const std::string colour = std::to_string(random.Next());
  const std::string good = colour + " " + std::to_string(random.Unit());
  switch (random.Below(10)) {
    case 0: return good.substr(0, static_cast<size_t>(random.Below(static_cast<int32_t>(good.size()) + 1)));
    case 1: return colour + " nan";
    case 2: return colour + " " + std::to_string(random.Unit() * 4.0f - 2.0f);
    case 3: return "-1 0";
    case 4: return "-" + good;
    case 5: return std::string(static_cast<size_t>(random.Below(12)), static_cast<char>(' ' + random.Below(95)));
    case 6: return colour + "99999 0.5";
    default: return good;
  }
}

TEST_F(ColourSchemeFuzzTest, RandomSlotFilesNeverBreakTheScheme) {
  Random random(20261207);
  SetScheme({{0xFF000000, 0.0f}});
  size_t messages = 0;
  int32_t loads = 0;
  for (int32_t round = 0; round < 5000 && !HasFailure(); ++round) {
    const int32_t slot = random.Below(6);
    const std::string counts[] = {std::to_string(random.Below(2000) - 1000), "x", "", "99999999999",
                                  std::to_string(random.Below(13) - 2)};
    std::vector<std::pair<std::string, std::string>> values;
    if (!random.Chance(10)) values.emplace_back("pointCount", counts[std::min(random.Below(8), 4)]);
    for (int32_t i = 0; i < 10; ++i) {
      if (random.Chance(80)) values.emplace_back("csP_" + std::to_string(i), RandomPointText(random));
    }
    WriteSlot(slot, values);

    const std::vector<SchemePoint> before = Points();
    Scheme().slot = slot;
    Scheme().modified = 1;  // only a load that takes points clears it
    LoadColourSchemeSlot(Context());
    const std::string where = "round " + std::to_string(round);
    if (!Scheme().modified) {
      // A load that took points read them the way "%lu %f" reads them.
      ++loads;
      for (int32_t i = 0; i < Scheme().count; ++i) {
        const std::string text = Stored(slot, i);
        unsigned long colour = 0;
        float position = -1.0f;
        EXPECT_EQ(std::sscanf(text.c_str(), "%lu %f", &colour, &position), 2) << where << ": \"" << text << "\"";
        EXPECT_EQ(Scheme().points[i].colour, static_cast<Pixel>(colour) | 0xFF000000u) << where << ": " << text;
        // Positions off the slider sit at its nearer end.
        const float onSlider = position < 0.0f ? 0.0f : position > 1.0f ? 1.0f : position;
        EXPECT_EQ(Scheme().points[i].position, onSlider) << where << ": " << text;
      }
    }
    ExpectConsistent(where);
    if (host->Messages().size() != messages) {
      messages = host->Messages().size();
      EXPECT_EQ(host->Messages().back().rfind("Oh no!\n", 0), 0u) << where;
      ExpectPoints(before, where + ": a failed load keeps the scheme");
    }
    for (const SchemePoint& point : Points()) EXPECT_EQ(point.colour >> 24, 0xFFu) << where;
    EXPECT_EQ(host->OpenConfigFileCount(), 0) << where;
  }
  EXPECT_GT(messages, 100u) << "the rounds hardly tried bad points";
  EXPECT_GT(loads, 100) << "the rounds hardly loaded anything";
}

TEST_F(ColourSchemeFuzzTest, RandomGesturesKeepTheSchemeWhole) {
  Random random(7);
  // As during a real drag on the slider: picks don't rebuild its gradient.
  GState.DragTarget = kDragSlider;
  // Stored slots for the slot switches to load, some of them crowded:
  // points closer than a drag would leave them, and points at the very end.
  const float crowded[] = {0.0f, 0.3f, 0.305f, 0.31f, 0.5f, 0.99f, 1.0f};
  for (int32_t slot = 0; slot < 6; ++slot) {
    std::vector<SchemePoint> points;
    for (int32_t i = 0, count = 1 + random.Below(8); i < count; ++i) {
      const float position = slot % 2 ? crowded[random.Below(7)] : random.Unit();
      points.push_back({0xFF000000u | (random.Next() >> 8), position});
    }
    if (slot != 3) WriteSlot(slot, points);
  }
  const int32_t buttons[] = {kSchemeButtonLeft, kSchemeButtonRight, kSchemeButtonLeft, kSchemeButtonRight,
                             kSchemeButtonLeft | kSchemeButtonRight, 0};
  float pointer = 0.5f;
  bool pressed = false;
  uint32_t statesSeen = 0;
  for (int32_t step = 0; step < 20000 && !HasFailure(); ++step) {
    const int32_t action = random.Below(100);
    if (action < 30 || !pressed) {
      // On or next to a point, or anywhere; often within the double-click time.
      const float near = Scheme().sorted[random.Below(Scheme().count)]->position + (random.Unit() - 0.5f) * 0.02f;
      pointer = random.Chance(30) ? std::min(1.0f, std::max(0.0f, near)) : random.Unit();
      Press(pointer, buttons[random.Below(6)], static_cast<uint32_t>(random.Below(600)));
      pressed = true;
    } else if (action < 80) {
      pointer = random.Chance(60) ? pointer + (random.Unit() - 0.5f) * 0.2f : random.Unit();
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
    EXPECT_TRUE(Scheme().state >= 0 && Scheme().state <= 8 && Scheme().slot >= 0 && Scheme().slot <= 5) << where;
  }
  Release();
  EXPECT_EQ(Scheme().state, 0);
  EXPECT_EQ(statesSeen, 0x1FFu) << "every editing state 0..8 should come up";
}

}  // namespace
