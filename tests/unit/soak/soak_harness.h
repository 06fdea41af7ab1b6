// Random-event soak for the plug-in in the stand-in host.
//
// A harness holds weighted event kinds (each a small function that does one
// random thing to the host or the plug-in: a panel gesture, a host reply
// change, a canvas event...) and invariants checked after every event. It
// runs a seeded sequence and stops at the first broken invariant with the
// seed, the step and the last events, so a failure can be replayed exactly.
// Other areas add their own kinds and invariants with Add/AddInvariant; the
// panel's kinds live in panel_event_kinds.h.
//
// Length: the test command runs the short seeded run; TINTWELL_SOAK_STEPS=N
// (and TINTWELL_SOAK_SEED=S) in the environment run a longer one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "simhost.h"

namespace soak {

// Steps from TINTWELL_SOAK_STEPS, or `normal`.
int64_t SoakSteps(int64_t normal);
// Seed from TINTWELL_SOAK_SEED, or `normal`.
uint32_t SoakSeed(uint32_t normal);

class Harness;

// What an event kind gets: the host, the random source and a way to say
// what it did (kept for the failure report).
struct Step {
  simhost::SimHost& host;
  std::mt19937& rng;
  Harness& harness;

  int32_t Int(int32_t low, int32_t high);  // uniform in [low, high]
  bool Chance(double probability);
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Int(0, static_cast<int32_t>(items.size()) - 1))];
  }
  void Note(const std::string& what);  // describes the event in the failure report
};

using EventKind = std::function<void(Step&)>;
// Returns an empty string when the invariant holds, else what is wrong.
using Invariant = std::function<std::string(simhost::SimHost&)>;

class Harness {
 public:
  Harness(simhost::SimHost& host, uint32_t seed);

  void Add(const std::string& name, int weight, EventKind kind);
  void AddInvariant(const std::string& name, Invariant check);

  // Commands that do not start with "tv_" must address the tool the host
  // names ("<tool> mode <word>" and the like); extra words accepted as the
  // second word of such a command can be added here.
  void AcceptToolCommandWord(const std::string& word) { toolWords_.push_back(word); }

  // The plug-in's clock (which times double clicks) steps on by a seeded
  // amount before each event instead of following real time, so a run
  // replays by its seed on any machine and under any load.
  void DriveClock() { drivesClock_ = true; }

  // Runs `steps` events. The commands of each event are checked after it;
  // host records are dropped as the run goes, so memory stays flat however
  // long it runs.
  ::testing::AssertionResult Run(int64_t steps);

  // The largest live image and open requester counts seen.
  int32_t PeakImages() const { return peakImages_; }
  int32_t PeakRequesters() const { return peakRequesters_; }
  // Calls into the plug-in (entry points and callbacks, nested ones
  // included) and host calls the plug-in made, over all runs.
  int64_t PluginEntries() const { return entries_; }
  int64_t HostCalls() const { return hostCalls_; }

 private:
  friend struct Step;
  std::string CheckCommands();
  std::string Failure(int64_t step, const std::string& what) const;

  simhost::SimHost& host_;
  uint32_t seed_;
  std::mt19937 rng_;
  std::mt19937 clockRng_;  // its own sequence: the events drawn stay as they were
  bool drivesClock_ = false;
  int32_t clock_ = 1000000;
  std::vector<std::string> names_;
  std::vector<EventKind> kinds_;
  std::vector<int> weightList_;
  std::vector<std::pair<std::string, Invariant>> invariants_;
  std::vector<std::string> toolWords_ = {"mode"};
  std::deque<std::string> recent_;  // the last events, newest last
  std::string note_;
  size_t checkedCommands_ = 0;  // host commands already checked since the last record drop
  std::string namedTool_;       // the host's last reply about the active tool
  int32_t peakImages_ = 0;
  int32_t peakRequesters_ = 0;
  int64_t entries_ = 0;
  int64_t hostCalls_ = 0;
  void CountRecords();
};

// Every "tv_SetAPen"/"tv_SetBPen" carries three integers 0..255; no command
// is empty, starts or ends with a space, holds a control character or an
// empty word (the fixed pixel matrix command excepted). Empty when fine.
std::string CheckCommandText(const std::string& command, const std::string& activeTool,
                             const std::vector<std::string>& toolWords);

}  // namespace soak
