// Soak event kinds for a host whose resources fail under the plug-in.
#include "soak/failure_event_kinds.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/plugin_memory.h"
#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "panel/palette_picture.h"
#include "panel/panel_images.h"
#include "panel/panel_layout.h"
#include "soak/plugin_event_kinds.h"
#include "store/colour_scheme.h"

namespace soak {

namespace {

// ---- the plug-in's allocations ----

std::mt19937 gAllocationRng;
double gAllocationFailureRate = 0.0;
int64_t gRefusedAllocations = 0;

void* FlakyAllocate(size_t size) {
  if (gAllocationFailureRate > 0.0 &&
      std::uniform_real_distribution<double>(0.0, 1.0)(gAllocationRng) < gAllocationFailureRate) {
    ++gRefusedAllocations;
    return nullptr;
  }
  return std::malloc(size);
}

void MemoryRunsShort(Step& s) {
  gAllocationFailureRate = s.Pick(std::vector<double>{0.0, 0.0, 0.05, 0.5, 1.0});
  // The kept colours go, as at PI_Close, so the next picture needs memory.
  if (s.Chance(0.7)) ReleasePaletteCaches();
  s.Note("allocations fail at rate " + std::to_string(gAllocationFailureRate));
}

// ---- settings-file writes ----

void WritesFail(Step& s) {
  if (s.Chance(0.3)) {
    const std::string key = s.Pick(std::vector<std::string>{"pointCount", "csP_0", "csP_2", "csP_7"});
    s.host.FailConfigWritesOfKey(key, s.Int(1, 3));
    s.Note("writes of " + key + " fail");
  } else {
    const int32_t after = s.Int(0, 9);
    const int32_t count = s.Chance(0.5) ? s.Int(1, 3) : s.Int(10, 200);
    s.host.FailConfigWrites(after, count);
    s.Note("writes fail after " + std::to_string(after) + ", " + std::to_string(count) + " of them");
  }
  // The slider's gestures, as the panel passes them on in palette mode: an
  // edit (a right click gives a point the current colour, a quick second one
  // takes it away again or deletes it), then a right drag across slots,
  // which saves the edit first.
  ColourSchemeState& scheme = GState.ColourScheme;
  if (scheme.state != 0 || !GState.PanelRequester) return;
  PluginContext* context = s.host.Context();
  // What the panel redraws after each step, as it does: a pen the editor
  // sent becomes the panel's colour.
  const auto redraw = [context](SchemeRedraw what) {
    if (what == SchemeRedraw::kSwatch) BuildSwatchImage(context);
    if (what == SchemeRedraw::kPanel) RefreshPanel(context);
  };
  const int32_t clicks = s.Int(0, 2);
  for (int32_t i = 0; i < clicks; ++i) {
    scheme.pointerPos = static_cast<float>(s.Int(0, 100)) / 100.0f;
    redraw(ColourSchemePress(context, s.Chance(0.8) ? kSchemeButtonRight : kSchemeButtonLeft));
    redraw(ColourSchemeRelease(context));
  }
  scheme.pointerPos = static_cast<float>(s.Int(0, 100)) / 100.0f;
  redraw(ColourSchemePress(context, kSchemeButtonRight));
  for (int32_t i = s.Int(0, 3); i > 0; --i) {
    scheme.pointerPos = static_cast<float>(s.Int(0, 100)) / 100.0f;
    redraw(ColourSchemeDrag(context));
  }
  redraw(ColourSchemeRelease(context));
  s.Note("slider gestures on slot " + std::to_string(scheme.slot));
}

// ---- requester handles ----

void HandlesReused(Step& s) {
  const bool reuse = s.Chance(0.8);
  s.host.ReuseRequesterHandles(reuse);
  s.Note(reuse ? "the host reuses handles" : "the host gives new handles");
}

// ---- the slot invariant ----

size_t gCursor = 0;
int64_t gFlushMark = -1;
int64_t gRestartMark = -1;

// "pointCount" names that many points that all read as "colour position".
bool SlotLoads(const simhost::SimHost& host, const std::string& path, const std::string& section) {
  const auto count = host.ConfigFileValue(path, section, "pointCount");
  if (!count) return true;  // no slot: nothing to load, nothing lost
  const int32_t n = std::atoi(count->c_str());
  for (int32_t i = 0; i < n && i < 8; ++i) {
    const auto point = host.ConfigFileValue(path, section, "csP_" + std::to_string(i));
    unsigned long colour = 0;
    float position = 0.0f;
    if (!point || std::sscanf(point->c_str(), "%lu %f", &colour, &position) != 2) return false;
  }
  return true;
}

std::string CheckSlotWrites(Harness& harness, simhost::SimHost& host) {
  if (harness.HostCalls() != gFlushMark) {
    gFlushMark = harness.HostCalls();
    gCursor = 0;
  }
  const std::vector<simhost::DispatchRecord>& calls = host.Calls();
  // A restart writes random slots itself after PI_Close saved.
  const bool restarted = PluginRestarts() != gRestartMark;
  gRestartMark = PluginRestarts();
  struct Written {
    std::string path;
    std::map<std::string, std::string> keys;
    bool refused = false;
  };
  std::map<HostWord, std::string> files;
  std::map<std::string, Written> sections;  // by path and section
  bool reported = false;
  for (; gCursor < calls.size(); ++gCursor) {
    const simhost::DispatchRecord& call = calls[gCursor];
    if (call.function == kFnOpenConfigFile && call.result && !call.texts.empty()) {
      files[call.result] = call.texts[0];
    } else if (call.function == kFnWriteConfigString && call.texts.size() == 3) {
      const auto file = files.find(call.pack[0]);
      if (file == files.end() || call.texts[0].rfind("slot_", 0) != 0) continue;
      Written& written = sections[file->second + "|" + call.texts[0]];
      written.path = file->second;
      if (call.result) {
        written.keys[call.texts[1]] = call.texts[2];
      } else {
        written.refused = true;
      }
    } else if (call.function == kFnMessage && !call.texts.empty() &&
               call.texts[0].find("tried to save") != std::string::npos) {
      reported = true;
    }
  }
  if (restarted) return std::string();
  for (const auto& [name, written] : sections) {
    const std::string section = name.substr(name.find('|') + 1);
    // A refused write must have been said; a slot the random restarts left
    // unreadable may stay so (the unit tests hold the save's key order).
    if (written.refused) {
      if (!reported) return "a refused write to " + section + " was not reported";
      continue;
    }
    if (!SlotLoads(host, written.path, section)) return section + " was written whole and does not load";
    const auto count = written.keys.find("pointCount");
    if (count == written.keys.end()) return section + " written without its count";
    if (host.ConfigFileValue(written.path, section, "pointCount") != count->second) {
      return section + " does not hold the count written";
    }
    for (int32_t i = 0; i < std::atoi(count->second.c_str()); ++i) {
      const std::string key = "csP_" + std::to_string(i);
      const auto point = written.keys.find(key);
      if (point == written.keys.end()) return section + " count names a point not written: " + key;
      if (host.ConfigFileValue(written.path, section, key) != point->second) return section + " " + key + " differs";
    }
  }
  return std::string();
}

}  // namespace

void AddFailureEventKinds(Harness& harness, simhost::SimHost& host) {
  host.ReuseRequesterHandles(true);
  gAllocationRng.seed(SoakSeed(20240907) ^ 0x9e3779b9u);
  gAllocationFailureRate = 0.0;
  SetPluginAllocator(FlakyAllocate);
  harness.Add("settings writes fail", 2, WritesFail);
  harness.Add("handles reused", 1, HandlesReused);
  harness.Add("memory runs short", 1, MemoryRunsShort);
}

void AddFailureInvariants(Harness& harness) {
  gCursor = 0;
  gFlushMark = -1;
  gRestartMark = PluginRestarts();
  harness.AddInvariant("colour-scheme slots", [&harness](simhost::SimHost& host) { return CheckSlotWrites(harness, host); });
}

void EndFailureEventKinds(simhost::SimHost& host) {
  SetPluginAllocator(nullptr);
  gAllocationFailureRate = 0.0;
  host.FailConfigWrites(0, 0);
  host.FailConfigWritesOfKey("", 0);
}

int64_t RefusedAllocations() { return gRefusedAllocations; }

}  // namespace soak
