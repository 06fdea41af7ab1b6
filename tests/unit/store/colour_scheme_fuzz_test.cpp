// Colour schemes under random input: thousands of random slot files and
// random press / drag / release sequences (seeded runs of the shared soak
// harness) must always leave a whole scheme (1..8 used points, all in
// `sorted`, ascending, inside 0..1) and never a settings file open.
//
// The slot file lives in the stand-in host's memory here (on disk it is
// rewritten on every write, too slow for thousands of rounds).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "colour_scheme_fixture.h"
#include "soak/soak_harness.h"

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

// Any 32-bit word, and a float in [0, 1) on a 2^-24 grid.
uint32_t Bits(soak::Step& s) { return static_cast<uint32_t>(s.Int(INT32_MIN, INT32_MAX)); }
float Unit(soak::Step& s) { return static_cast<float>(s.Int(0, 0xFFFFFF)) * (1.0f / 16777216.0f); }

std::string RandomPointText(soak::Step& s) {
  const std::string colour = std::to_string(Bits(s));
  const std::string good = colour + " " + std::to_string(Unit(s));
  switch (s.Int(0, 9)) {
    case 0: return good.substr(0, static_cast<size_t>(s.Int(0, static_cast<int32_t>(good.size()))));
    case 1: return colour + " nan";
    case 2: return colour + " " + std::to_string(Unit(s) * 4.0f - 2.0f);
    case 3: return "-1 0";
    case 4: return "-" + good;
    case 5: return std::string(static_cast<size_t>(s.Int(0, 11)), static_cast<char>(' ' + s.Int(0, 94)));
    case 6: return colour + "99999 0.5";
    default: return good;
  }
}

TEST_F(ColourSchemeFuzzTest, RandomSlotFilesNeverBreakTheScheme) {
  SetScheme({{0xFF000000, 0.0f}});
  size_t messages = 0;
  int32_t loads = 0;
  soak::Harness harness(*host, soak::SoakSeed(20261207));
  harness.Add("random slot file loaded", 1, [&](soak::Step& s) {
    const int32_t slot = s.Int(0, 5);
    const std::string counts[] = {std::to_string(s.Int(-1000, 999)), "x", "", "99999999999",
                                  std::to_string(s.Int(-2, 10))};
    std::vector<std::pair<std::string, std::string>> values;
    if (!s.Chance(0.1)) values.emplace_back("pointCount", counts[std::min(s.Int(0, 7), 4)]);
    for (int32_t i = 0; i < 10; ++i) {
      if (s.Chance(0.8)) values.emplace_back("csP_" + std::to_string(i), RandomPointText(s));
    }
    WriteSlot(slot, values);

    const std::vector<SchemePoint> before = Points();
    const size_t shown = host->Messages().size();
    Scheme().slot = slot;
    Scheme().modified = 1;  // only a load that takes points clears it
    LoadColourSchemeSlot(Context());
    if (!Scheme().modified) {
      // A load that took points read them the way "%lu %f" reads them.
      ++loads;
      for (int32_t i = 0; i < Scheme().count; ++i) {
        const std::string text = Stored(slot, i);
        unsigned long colour = 0;
        float position = -1.0f;
        EXPECT_EQ(std::sscanf(text.c_str(), "%lu %f", &colour, &position), 2) << "\"" << text << "\"";
        EXPECT_EQ(Scheme().points[i].colour, static_cast<Pixel>(colour) | 0xFF000000u) << text;
        // Positions off the slider sit at its nearer end.
        const float onSlider = position < 0.0f ? 0.0f : position > 1.0f ? 1.0f : position;
        EXPECT_EQ(Scheme().points[i].position, onSlider) << text;
      }
    }
    if (host->Messages().size() != shown) {
      ++messages;
      EXPECT_EQ(host->Messages().back().rfind("Oh no!\n", 0), 0u);
      ExpectPoints(before, "a failed load keeps the scheme");
    }
  });
  harness.AddInvariant("whole scheme, opaque points, no settings file open", [&](simhost::SimHost&) {
    ExpectConsistent("");
    for (const SchemePoint& point : Points()) EXPECT_EQ(point.colour >> 24, 0xFFu);
    EXPECT_EQ(host->OpenConfigFileCount(), 0);
    return std::string(HasFailure() ? "see the failures above" : "");
  });
  EXPECT_TRUE(harness.Run(soak::SoakSteps(5000)));
  EXPECT_GT(messages, 100u) << "the rounds hardly tried bad points";
  EXPECT_GT(loads, 100) << "the rounds hardly loaded anything";
}

TEST_F(ColourSchemeFuzzTest, RandomGesturesKeepTheSchemeWhole) {
  soak::Harness harness(*host, soak::SoakSeed(7));
  // As during a real drag on the slider: picks don't rebuild its gradient.
  GState.DragTarget = kDragSlider;
  // Stored slots for the slot switches to load, some of them crowded:
  // points closer than a drag would leave them, and points at the very end.
  std::mt19937 setup(7);
  soak::Step s{*host, setup, harness};
  const float crowded[] = {0.0f, 0.3f, 0.305f, 0.31f, 0.5f, 0.99f, 1.0f};
  for (int32_t slot = 0; slot < 6; ++slot) {
    std::vector<SchemePoint> points;
    for (int32_t i = 0, count = s.Int(1, 8); i < count; ++i) {
      const float position = slot % 2 ? crowded[s.Int(0, 6)] : Unit(s);
      points.push_back({0xFF000000u | (Bits(s) >> 8), position});
    }
    if (slot != 3) WriteSlot(slot, points);
  }
  const int32_t buttons[] = {kSchemeButtonLeft, kSchemeButtonRight, kSchemeButtonLeft, kSchemeButtonRight,
                             kSchemeButtonLeft | kSchemeButtonRight, 0};
  float pointer = 0.5f;
  bool pressed = false;
  uint32_t statesSeen = 0;
  harness.Add("gesture", 1, [&](soak::Step& s) {
    const int32_t action = s.Int(0, 99);
    if (action < 30 || !pressed) {
      // On or next to a point, or anywhere; often within the double-click time.
      const float near = Scheme().sorted[s.Int(0, Scheme().count - 1)]->position + (Unit(s) - 0.5f) * 0.02f;
      pointer = s.Chance(0.3) ? std::min(1.0f, std::max(0.0f, near)) : Unit(s);
      Press(pointer, buttons[s.Int(0, 5)], static_cast<uint32_t>(s.Int(0, 599)));
      pressed = true;
    } else if (action < 80) {
      pointer = s.Chance(0.6) ? pointer + (Unit(s) - 0.5f) * 0.2f : Unit(s);
      // The panel clamps, but the scheme must not rely on it.
      if (s.Chance(0.02)) pointer = s.Chance(0.5) ? -0.5f : 1.5f;
      if (s.Chance(0.01)) pointer = std::nanf("");
      Drag(pointer);
      if (!(pointer >= 0.0f && pointer <= 1.0f)) pointer = 0.5f;
    } else if (action < 97) {
      Release(static_cast<uint32_t>(s.Int(0, 299)));
      pressed = false;
    } else {
      SaveColourSchemeSlot(Context());
    }
  });
  harness.AddInvariant("whole scheme, state and slot in range", [&](simhost::SimHost&) {
    statesSeen |= 1u << (Scheme().state & 31);
    ExpectConsistent("");
    EXPECT_TRUE(Scheme().state >= 0 && Scheme().state <= 8 && Scheme().slot >= 0 && Scheme().slot <= 5);
    return std::string(HasFailure() ? "see the failures above" : "");
  });
  EXPECT_TRUE(harness.Run(soak::SoakSteps(20000)));
  Release();
  EXPECT_EQ(Scheme().state, 0);
  EXPECT_EQ(statesSeen, 0x1FFu) << "every editing state 0..8 should come up";
}

}  // namespace
