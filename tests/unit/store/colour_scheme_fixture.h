// Shared set-up for the colour-scheme tests: the stand-in host of
// PluginHostTest (its plug-in directory is a fresh temporary folder, so the
// slot file is a real file), a fixed test clock, and helpers to write slots,
// drive the slider gestures and check the scheme's invariants.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "host/host_calls.h"
#include "core/plugin_state.h"
#include "store/colour_scheme.h"
#include "support/plugin_host.h"

struct SchemePoint {
  Pixel colour;
  float position;
};

class ColourSchemeTest : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    if (HasFatalFailure()) return;
    SetTestClock(static_cast<int32_t>(clock_));
    InitColourScheme(Context());
  }

  void TearDown() override {
    if (host) {
      EXPECT_EQ(host->OpenConfigFileCount(), 0) << "a settings file was left open";
      EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
    }
    ClearTestClock();
    PluginHostTest::TearDown();
  }

  PluginContext* Context() { return host->Context(); }
  ColourSchemeState& Scheme() { return GState.ColourScheme; }
  std::string SchemePath() const { return tempDir + "\\ColourScheme.cfg"; }

  // Writes keys of one slot through the host's settings-file functions.
  void WriteSlot(int32_t slot, const std::vector<std::pair<std::string, std::string>>& values) {
    const HostWord file = HostOpenConfigFile(Context(), SchemePath().c_str());
    ASSERT_NE(file, 0);
    const std::string section = "slot_" + std::to_string(slot);
    for (const auto& [key, value] : values) {
      HostWriteConfigString(Context(), file, section.c_str(), key.c_str(), value.c_str());
    }
    HostCloseConfigFile(Context(), file);
  }
  void WriteSlot(int32_t slot, const std::vector<SchemePoint>& points) {
    std::vector<std::pair<std::string, std::string>> values{{"pointCount", std::to_string(points.size())}};
    for (size_t i = 0; i < points.size(); ++i) {
      values.emplace_back("csP_" + std::to_string(i),
                          std::to_string(points[i].colour) + " " + std::to_string(points[i].position));
    }
    WriteSlot(slot, values);
  }

  std::string ReadKey(int32_t slot, const std::string& key) {
    const HostWord file = HostOpenConfigFile(Context(), SchemePath().c_str());
    char buffer[256] = "";
    HostReadConfigString(Context(), file, ("slot_" + std::to_string(slot)).c_str(), key.c_str(), buffer,
                         "<missing>", 256);
    HostCloseConfigFile(Context(), file);
    return buffer;
  }

  // Puts points straight into the scheme, as if the user had made them.
  void SetScheme(const std::vector<SchemePoint>& points) {
    for (size_t i = 0; i < Scheme().points.size(); ++i) {
      Scheme().points[i].used = i < points.size();
      if (i < points.size()) Scheme().points[i].colour = points[i].colour;
      if (i < points.size()) Scheme().points[i].position = points[i].position;
    }
    Scheme().needsSort = 1;
    Scheme().fromOtherSlot = 0;  // edited: the scheme is the current slot's
  }

  // The used points in slider order.
  std::vector<SchemePoint> Points() {
    SortColourScheme();
    std::vector<SchemePoint> points;
    for (int32_t i = 0; i < Scheme().count; ++i) points.push_back({Scheme().sorted[i]->colour, Scheme().sorted[i]->position});
    return points;
  }

  void ExpectPoints(const std::vector<SchemePoint>& expected, const std::string& where, float tolerance = 0.0f) {
    const std::vector<SchemePoint> actual = Points();
    ASSERT_EQ(actual.size(), expected.size()) << where;
    for (size_t i = 0; i < actual.size(); ++i) {
      EXPECT_EQ(actual[i].colour, expected[i].colour) << where << " point " << i;
      EXPECT_NEAR(actual[i].position, expected[i].position, tolerance) << where << " point " << i;
    }
  }

  // 1..8 used points, each once in sorted, ascending, inside 0..1; a lone
  // point sits at 0.
  void ExpectConsistent(const std::string& where) {
    SortColourScheme();
    const ColourSchemeState& scheme = Scheme();
    ASSERT_TRUE(scheme.count >= 1 && scheme.count <= 8) << where << ": count " << scheme.count;
    int32_t used = 0;
    for (const ColourSchemePoint& point : scheme.points) used += point.used ? 1 : 0;
    EXPECT_EQ(used, scheme.count) << where;
    for (int32_t i = 0; i < scheme.count; ++i) {
      const ColourSchemePoint* point = scheme.sorted[i];
      ASSERT_TRUE(point && point->used) << where << " entry " << i;
      EXPECT_TRUE(point->position >= 0.0f && point->position <= 1.0f) << where << " entry " << i;
      if (i > 0) {
        EXPECT_TRUE(scheme.sorted[i - 1] != point && scheme.sorted[i - 1]->position <= point->position)
            << where << " entry " << i;
      }
    }
    if (scheme.count == 1) {
      EXPECT_EQ(scheme.sorted[0]->position, 0.0f) << where;
    }
  }

  // Gestures; a press comes afterMs after the previous clock reading.
  void Press(float pointer, int32_t buttons, uint32_t afterMs = 1000) {
    Tick(afterMs);
    Scheme().pointerPos = pointer;
    ColourSchemePress(Context(), buttons);
  }
  void Drag(float pointer) {
    Scheme().pointerPos = pointer;
    ColourSchemeDrag(Context());
  }
  void Release(uint32_t afterMs = 50) {
    Tick(afterMs);
    ColourSchemeRelease(Context());
  }
  void Click(float pointer, int32_t buttons, uint32_t afterMs = 1000) {
    Press(pointer, buttons, afterMs);
    Release();
  }
  void Tick(uint32_t milliseconds) {
    clock_ += milliseconds;
    SetTestClock(static_cast<int32_t>(clock_));
  }

  uint32_t clock_ = 1000000;  // wraps like the real clock
};
