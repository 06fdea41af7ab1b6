// Shared set-up for the colour-scheme tests: the stand-in host of
// PluginHostTest, whose plug-in directory is a fresh temporary folder (so the
// slot file is a real file), a fixed test clock, and helpers to write slots,
// read them back, drive the slider gestures and check the scheme's
// invariants.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "host/host_calls.h"
#include "host/host_functions.h"
#include "plugin/plugin_state.h"
#include "simhost.h"
#include "store/colour_scheme.h"
#include "support/plugin_host.h"

struct SchemePoint {
  Pixel colour;
  float position;
};

class ColourSchemeTest : public PluginHostTest {
 protected:
  static constexpr uint32_t kStartClock = 1000000;

  void SetUp() override {
    PluginHostTest::SetUp();
    if (HasFatalFailure()) return;
    clock_ = kStartClock;
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

  // The slot file's path as the plug-in names it to the host.
  std::string SchemePath() const { return tempDir + "\\ColourScheme.cfg"; }

  // Writes keys of one slot's section through the host's settings files.
  void WriteSlot(int32_t slot, const std::vector<std::pair<std::string, std::string>>& values) {
    const HostWord file = HostOpenConfigFile(Context(), SchemePath().c_str());
    ASSERT_NE(file, 0);
    const std::string section = "slot_" + std::to_string(slot);
    for (const auto& [key, value] : values) {
      HostWriteConfigString(Context(), file, section.c_str(), key.c_str(), value.c_str());
    }
    HostCloseConfigFile(Context(), file);
  }

  // Writes a well-formed slot holding the given points.
  void WriteSchemeSlot(int32_t slot, const std::vector<SchemePoint>& points) {
    std::vector<std::pair<std::string, std::string>> values{{"pointCount", std::to_string(points.size())}};
    for (size_t i = 0; i < points.size(); ++i) {
      char text[64];
      std::snprintf(text, sizeof text, "%lu %.4f", static_cast<unsigned long>(points[i].colour),
                    static_cast<double>(points[i].position));
      values.emplace_back("csP_" + std::to_string(i), text);
    }
    WriteSlot(slot, values);
  }

  std::string ReadKey(int32_t slot, const std::string& key) {
    const HostWord file = HostOpenConfigFile(Context(), SchemePath().c_str());
    EXPECT_NE(file, 0);
    const std::string section = "slot_" + std::to_string(slot);
    char buffer[256] = "";
    HostReadConfigString(Context(), file, section.c_str(), key.c_str(), buffer, "<missing>", 256);
    HostCloseConfigFile(Context(), file);
    return buffer;
  }

  // Puts points straight into the scheme, as if the user had made them.
  void SetScheme(const std::vector<SchemePoint>& points) {
    ColourSchemeState& scheme = Scheme();
    for (size_t i = 0; i < scheme.points.size(); ++i) {
      scheme.points[i].used = i < points.size();
      if (i < points.size()) {
        scheme.points[i].colour = points[i].colour;
        scheme.points[i].position = points[i].position;
      }
    }
    scheme.needsSort = 1;
    SortColourScheme();
  }

  // The used points in slider order.
  std::vector<SchemePoint> Points() {
    SortColourScheme();
    std::vector<SchemePoint> points;
    for (int32_t i = 0; i < Scheme().count; ++i) points.push_back({Scheme().sorted[i]->colour, Scheme().sorted[i]->position});
    return points;
  }

  // 1..8 used points, all of them in sorted, ascending, inside 0..1.
  void ExpectConsistent(const std::string& where) {
    SortColourScheme();
    const ColourSchemeState& scheme = Scheme();
    ASSERT_GE(scheme.count, 1) << where;
    ASSERT_LE(scheme.count, 8) << where;
    int32_t used = 0;
    for (const ColourSchemePoint& point : scheme.points) used += point.used ? 1 : 0;
    EXPECT_EQ(used, scheme.count) << where;
    for (int32_t i = 0; i < scheme.count; ++i) {
      const ColourSchemePoint* point = scheme.sorted[i];
      ASSERT_NE(point, nullptr) << where;
      EXPECT_TRUE(point->used) << where << " entry " << i;
      EXPECT_TRUE(std::isfinite(point->position) && point->position >= 0.0f && point->position <= 1.0f)
          << where << " entry " << i << " at " << point->position;
      if (i > 0) {
        EXPECT_LE(scheme.sorted[i - 1]->position, point->position) << where << " entry " << i;
      }
      for (int32_t j = 0; j < i; ++j) {
        EXPECT_NE(scheme.sorted[j], point) << where << " entry " << i << " twice";
      }
    }
    if (scheme.count == 1) {
      EXPECT_EQ(scheme.sorted[0]->position, 0.0f) << where;
    }
  }

  // Gestures. Each press happens `afterMs` after the previous clock reading.
  void Press(float pointer, int32_t buttons, uint32_t afterMs = 1000) {
    clock_ += afterMs;
    SetTestClock(static_cast<int32_t>(clock_));
    Scheme().pointerPos = pointer;
    ColourSchemePress(Context(), buttons);
  }
  void Drag(float pointer) {
    Scheme().pointerPos = pointer;
    ColourSchemeDrag(Context());
  }
  void Release(uint32_t afterMs = 50) {
    clock_ += afterMs;
    SetTestClock(static_cast<int32_t>(clock_));
    ColourSchemeRelease(Context());
  }
  void Click(float pointer, int32_t buttons, uint32_t afterMs = 1000) {
    Press(pointer, buttons, afterMs);
    Release();
  }

  // Calls of one host function, in order.
  std::vector<simhost::DispatchRecord> CallsOf(int32_t function) const {
    std::vector<simhost::DispatchRecord> found;
    for (const simhost::DispatchRecord& call : host->Calls()) {
      if (call.function == function) found.push_back(call);
    }
    return found;
  }

  uint32_t clock_ = kStartClock;  // wraps like the real clock
};
