// Soak event kinds for a host whose resources fail under the plug-in.
#include "soak/failure_event_kinds.h"

#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <optional>
#include <set>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/plugin_memory.h"
#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "panel/palette_picture.h"
#include "panel/panel_images.h"
#include "interact/pen_actions.h"
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

using PointSet = std::set<std::pair<uint32_t, int32_t>>;  // colour, position in ten-thousandths
std::optional<PointSet> StoredPoints(const simhost::SimHost& host, const std::string& path,
                                     const std::string& section);
PointSet SchemePoints();
void CheckSave(const simhost::SimHost& host, const std::string& path, const std::string& section,
               const PointSet& before, const PointSet& saving, bool refused);

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
  // The right drag saves an edit before it leaves the slot: the slot as it
  // was and the scheme it is to hold, for the check after it.
  const std::string path = s.host.Options().pluginDirectory + "\\ColourScheme.cfg";
  const int32_t slot = scheme.slot;
  const std::string section = "slot_" + std::to_string(slot);
  const bool saves = scheme.modified && !scheme.fromOtherSlot;
  const std::optional<PointSet> before = StoredPoints(s.host, path, section);
  const PointSet saving = SchemePoints();
  const int64_t refusedBefore = s.host.FailedConfigWrites();
  for (int32_t i = s.Int(0, 3); i > 0; --i) {
    scheme.pointerPos = static_cast<float>(s.Int(0, 100)) / 100.0f;
    redraw(ColourSchemeDrag(context));
  }
  redraw(ColourSchemeRelease(context));
  s.Note("slider gestures on slot " + std::to_string(slot));
  if (saves && before) CheckSave(s.host, path, section, *before, saving, s.host.FailedConfigWrites() != refusedBefore);
}

// ---- requester handles ----

void HandlesReused(Step& s) {
  const bool reuse = s.Chance(0.8);
  s.host.ReuseRequesterHandles(reuse);
  s.Note(reuse ? "the host reuses handles" : "the host gives new handles");
}

// ---- the slot invariant ----

std::string gSlotProblem;  // what the last save left wrong, until the invariant reports it

// What a section loads as: every point "pointCount" names, as colour (top
// byte set, as loading sets it) and position in ten-thousandths; empty for
// no slot; nothing when a named point does not read.
std::optional<PointSet> StoredPoints(const simhost::SimHost& host, const std::string& path,
                                     const std::string& section) {
  PointSet points;
  const auto count = host.ConfigFileValue(path, section, "pointCount");
  if (!count) return points;  // no slot: nothing to load, nothing lost
  const int32_t n = std::atoi(count->c_str());
  for (int32_t i = 0; i < n && i < 8; ++i) {
    const auto point = host.ConfigFileValue(path, section, "csP_" + std::to_string(i));
    unsigned long colour = 0;
    float position = 0.0f;
    if (!point || std::sscanf(point->c_str(), "%lu %f", &colour, &position) != 2) return std::nullopt;
    points.insert({static_cast<uint32_t>(colour) | 0xFF000000u, static_cast<int32_t>(std::lround(position * 10000))});
  }
  return points;
}

PointSet SchemePoints() {
  SortColourScheme();
  const ColourSchemeState& scheme = GState.ColourScheme;
  PointSet points;
  for (int32_t i = 0; i < scheme.count; ++i) {
    points.insert({scheme.sorted[i]->colour | 0xFF000000u,
                   static_cast<int32_t>(std::lround(scheme.sorted[i]->position * 10000))});
  }
  return points;
}

// After a save: the slot still loads; unless it holds the scheme saved, a
// write was refused (else a drag that left the slot saved nothing), every
// point the old and the new scheme both hold is still there, and the artist
// has been told.
void CheckSave(const simhost::SimHost& host, const std::string& path, const std::string& section,
               const PointSet& before, const PointSet& saving, bool refused) {
  const std::optional<PointSet> after = StoredPoints(host, path, section);
  if (!after) {
    gSlotProblem = section + " does not load after its save";
    return;
  }
  if (*after == saving) return;  // saved (a refused write may have held what was there already)
  if (!refused) {
    if ("slot_" + std::to_string(GState.ColourScheme.slot) != section) {
      gSlotProblem = section + " does not hold the scheme saved into it";
    }
    return;
  }
  for (const auto& point : before) {
    if (saving.count(point) && !after->count(point)) {
      gSlotProblem = section + " lost a point the old and the new scheme both hold";
      return;
    }
  }
  if (!GState.ColourScheme.saveFailureShown) gSlotProblem = "a failed save of " + section + " was not told";
}

std::string CheckSlotWrites() {
  std::string problem;
  problem.swap(gSlotProblem);
  return problem;
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
  gSlotProblem.clear();
  harness.AddInvariant("colour-scheme slots", [](simhost::SimHost&) { return CheckSlotWrites(); });
}

void EndFailureEventKinds(simhost::SimHost& host) {
  SetPluginAllocator(nullptr);
  gAllocationFailureRate = 0.0;
  host.FailConfigWrites(0, 0);
  host.FailConfigWritesOfKey("", 0);
}

int64_t RefusedAllocations() { return gRefusedAllocations; }

}  // namespace soak
