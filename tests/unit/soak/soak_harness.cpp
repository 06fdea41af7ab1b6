// Random-event soak harness: weighted kinds, invariants, bounded records.
#include "soak/soak_harness.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "store/colour_scheme.h"

namespace soak {

namespace {

constexpr size_t kRecentEvents = 12;
constexpr int64_t kRecordFlushInterval = 64;  // events between record drops

// The Smart Fill recolouring matrix is the one command with runs of spaces.
constexpr char kPixelMatrix[] = "tv_pixelmatrix 0 0 0 0 0   0 0 0 0 150   0 0 0 0 255   0 0 0 1 0";

int64_t EnvInteger(const char* name, int64_t fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  return (end && *end == '\0' && value > 0) ? value : fallback;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  size_t start = 0;
  while (true) {
    const size_t space = text.find(' ', start);
    words.push_back(text.substr(start, space == std::string::npos ? std::string::npos : space - start));
    if (space == std::string::npos) break;
    start = space + 1;
  }
  return words;
}

std::string FirstWord(const std::string& text) {
  size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  const size_t end = text.find(' ', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool IsByteNumber(const std::string& word) {
  if (word.empty() || word.size() > 3) return false;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
  }
  return std::atoi(word.c_str()) <= 255;
}

}  // namespace

int64_t SoakSteps(int64_t normal) { return EnvInteger("TINTWELL_SOAK_STEPS", normal); }
uint32_t SoakSeed(uint32_t normal) { return static_cast<uint32_t>(EnvInteger("TINTWELL_SOAK_SEED", normal)); }

int32_t Step::Int(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(rng); }
bool Step::Chance(double probability) { return std::bernoulli_distribution(probability)(rng); }
void Step::Note(const std::string& what) {
  if (!harness.note_.empty()) harness.note_ += "; ";
  harness.note_ += what;
}

std::string CheckCommandText(const std::string& command, const std::string& activeTool,
                             const std::vector<std::string>& toolWords) {
  if (command.empty()) return "empty command";
  if (command == kPixelMatrix) return std::string();
  for (unsigned char c : command) {
    if (c < 0x20 || c == 0x7f) return "control character in command";
  }
  const std::vector<std::string> words = Words(command);
  for (const std::string& word : words) {
    if (word.empty()) return "empty word (leading, trailing or double space)";
  }
  if (words[0] == "tv_SetAPen" || words[0] == "tv_SetBPen") {
    if (words.size() != 4 || !IsByteNumber(words[1]) || !IsByteNumber(words[2]) || !IsByteNumber(words[3])) {
      return "pen command without three bytes";
    }
  }
  if (words[0].rfind("tv_", 0) != 0) {
    if (words[0] != FirstWord(activeTool)) return "command for a tool the host did not name";
    bool known = false;
    for (const std::string& word : toolWords) known = known || (words.size() > 1 && words[1] == word);
    if (!known) return "unknown tool command";
  }
  return std::string();
}

Harness::Harness(simhost::SimHost& host, uint32_t seed)
    : host_(host), seed_(seed), rng_(seed), clockRng_(seed ^ 0x9e3779b9u) {}

void Harness::Add(const std::string& name, int weight, EventKind kind) {
  names_.push_back(name);
  kinds_.push_back(std::move(kind));
  weightList_.push_back(weight);
}

void Harness::AddInvariant(const std::string& name, Invariant check) { invariants_.emplace_back(name, std::move(check)); }

// The event's own commands. A tool command must address the tool the host
// named in its last reply about the active tool (which a careless host may
// have made anything), or, before any such reply, the host's tool.
std::string Harness::CheckCommands() {
  const std::vector<simhost::CommandRecord>& commands = host_.Commands();
  for (; checkedCommands_ < commands.size(); ++checkedCommands_) {
    const simhost::CommandRecord& record = commands[checkedCommands_];
    const std::string problem = CheckCommandText(record.command, namedTool_.empty() ? host_.activeTool : namedTool_,
                                                 toolWords_);
    if (!problem.empty()) return problem + ": '" + record.command + "'";
    if (FirstWord(record.command) == "tv_GetActiveTool") namedTool_ = record.reply.empty() ? " " : record.reply;
  }
  return std::string();
}

std::string Harness::Failure(int64_t step, const std::string& what) const {
  std::ostringstream out;
  out << what << "\n  seed " << seed_ << ", step " << step << " (replay with TINTWELL_SOAK_SEED=" << seed_
      << " TINTWELL_SOAK_STEPS=" << step + 1 << ")\n  last events, newest last:";
  for (const std::string& event : recent_) out << "\n    " << event;
  return out.str();
}

void Harness::CountRecords() {
  entries_ += static_cast<int64_t>(host_.Entries().size());
  hostCalls_ += static_cast<int64_t>(host_.Calls().size());
}

::testing::AssertionResult Harness::Run(int64_t steps) {
  if (kinds_.empty()) return ::testing::AssertionFailure() << "no event kinds";
  std::discrete_distribution<int> choose(weightList_.begin(), weightList_.end());
  struct ClockRelease {
    bool driven;
    ~ClockRelease() {
      if (driven) ClearTestClock();
    }
  } release{drivesClock_};
  for (int64_t step = 0; step < steps; ++step) {
    if (drivesClock_) {
      // Mostly quick successions (double clicks where a press follows a
      // release), now and then a pause long enough to break one.
      const uint32_t draw = clockRng_();
      clock_ += static_cast<int32_t>(draw % 8 == 0 ? 300 + draw / 8 % 700 : draw / 8 % 20);
      SetTestClock(clock_);
    }
    const int kind = choose(rng_);
    note_.clear();
    Step context{host_, rng_, *this};
    kinds_[static_cast<size_t>(kind)](context);
    recent_.push_back(names_[static_cast<size_t>(kind)] + (note_.empty() ? "" : ": " + note_));
    if (recent_.size() > kRecentEvents) recent_.pop_front();

    if (!host_.Faults().empty()) return ::testing::AssertionFailure() << Failure(step, "host fault: " + host_.Faults().front());
    for (const auto& [name, check] : invariants_) {
      const std::string problem = check(host_);
      if (!problem.empty()) return ::testing::AssertionFailure() << Failure(step, name + ": " + problem);
    }
    const std::string problem = CheckCommands();
    if (!problem.empty()) return ::testing::AssertionFailure() << Failure(step, problem);
    peakImages_ = std::max(peakImages_, host_.LiveImageCount());
    peakRequesters_ = std::max(peakRequesters_, host_.OpenRequesterCount());
    if (step % kRecordFlushInterval == kRecordFlushInterval - 1) {
      CountRecords();
      host_.ClearRecords();
      checkedCommands_ = 0;
    }
  }
  CountRecords();
  host_.ClearRecords();
  checkedCommands_ = 0;
  return ::testing::AssertionSuccess();
}

}  // namespace soak
