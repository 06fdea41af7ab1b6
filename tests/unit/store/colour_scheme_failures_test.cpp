// Colour schemes when the slot file fails: opens refused, writes refused
// after any number of keys (a full disk) or for one key, slots that cannot
// be read, points written by hand. Whatever fails, every stored slot still
// loads as its old or its new scheme, a failed save is said once and kept
// for the next try, and no slot takes another slot's scheme.
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/host_functions.h"

#include "colour_scheme_fixture.h"

namespace {

constexpr int32_t kRight = kSchemeButtonRight;

const std::vector<SchemePoint> kOld = {{0xFF102030, 0.0f}, {0xFF405060, 0.4f}, {0xFF708090, 0.7f}};
const std::vector<SchemePoint> kGrown = {{0xFF102030, 0.0f}, {0xFF405060, 0.4f}, {0xFF708090, 0.7f},
                                         {0xFFA0B0C0, 0.9f}};
const std::vector<SchemePoint> kShrunk = {{0xFF102030, 0.0f}, {0xFF405060, 0.4f}};
const std::vector<SchemePoint> kOther = {{0xFFAA0000, 0.0f}, {0xFF00AA00, 0.6f}};

bool SamePoints(const std::vector<SchemePoint>& a, const std::vector<SchemePoint>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].colour != b[i].colour || std::fabs(a[i].position - b[i].position) > 0.00005f) return false;
  }
  return true;
}

class SchemeFileFailures : public ColourSchemeTest {
 protected:
  // What slot `slot` loads as now, in a scheme of its own; empty when the
  // load failed (its message is taken off the record).
  std::vector<SchemePoint> Stored(int32_t slot) {
    const ColourSchemeState saved = Scheme();
    const size_t messages = host->Messages().size();
    SetScheme({{0xFF000001, 0.0f}});
    Scheme().slot = slot;
    LoadColourSchemeSlot(Context());
    std::vector<SchemePoint> points = Points();
    if (host->Messages().size() != messages || Scheme().fromOtherSlot) points.clear();
    GState.ColourScheme = saved;
    return points;
  }
  size_t SaveFailureMessages() const {
    size_t count = 0;
    for (const std::string& m : host->Messages()) count += m.find("tried to save") != std::string::npos;
    return count;
  }
};

TEST_F(SchemeFileFailures, AFailedSaveLeavesTheOldOrTheNewSchemeSaysSoOnceAndIsTriedAgain) {
  struct Case {
    const char* name;
    std::vector<SchemePoint> edited;
    int32_t writesBefore;  // -1: only "pointCount" fails; -2: the open fails
  };
  std::vector<Case> cases;
  for (int32_t n = 0; n <= 5; ++n) cases.push_back({"grown", kGrown, n});
  for (int32_t n = 0; n <= 3; ++n) cases.push_back({"shrunk", kShrunk, n});
  cases.push_back({"grown", kGrown, -1});
  cases.push_back({"shrunk", kShrunk, -1});
  cases.push_back({"grown", kGrown, -2});
  for (const Case& c : cases) {
    const std::string where = std::string(c.name) + ", writes before the failure " + std::to_string(c.writesBefore);
    WriteSlot(0, kOld);
    const size_t failuresBefore = SaveFailureMessages();
    SetScheme(c.edited);
    Scheme().slot = 0;
    Scheme().modified = 1;
    if (c.writesBefore == -2) {
      host->FailNextConfigFileOpen();
    } else if (c.writesBefore == -1) {
      host->FailConfigWritesOfKey("pointCount");
    } else {
      host->FailConfigWrites(c.writesBefore);
    }
    const bool saved = SaveColourSchemeSlot(Context());
    host->FailConfigWrites(0, 0);
    host->FailConfigWritesOfKey("", 0);
    const std::vector<SchemePoint> stored = Stored(0);
    EXPECT_TRUE(SamePoints(stored, kOld) || SamePoints(stored, c.edited)) << where << ": " << stored.size() << " points";
    if (saved) {
      EXPECT_TRUE(SamePoints(stored, c.edited)) << where;
      EXPECT_EQ(Scheme().modified, 0) << where;
      continue;
    }
    EXPECT_EQ(SaveFailureMessages(), failuresBefore + 1) << where;
    EXPECT_EQ(Scheme().modified, 1) << where << ": the edit waits for the next save";
    EXPECT_TRUE(SaveColourSchemeSlot(Context())) << where;
    EXPECT_TRUE(SamePoints(Stored(0), c.edited)) << where << ": saved on the second try";
  }
}

// The slot switch of a right drag when the file fails: the edit stays on
// show under its own slot, and PI_Close saves it there, never over the slot
// the drag pointed at. A slot that cannot be read keeps what it holds until
// the artist edits what is shown for it.
TEST_F(SchemeFileFailures, NoSlotTakesAnotherSlotsScheme) {
  WriteSlot(0, kOld);
  WriteSlot(1, kOther);
  LoadColourSchemeSlot(Context());
  SetScheme(kGrown);
  Scheme().modified = 1;
  host->FailNextConfigFileOpen(2);  // the save before the switch, and the load after it
  Press(0.1f, kRight);
  Drag(0.4f);
  Drag(0.5f);
  Release();
  host->FailNextConfigFileOpen(0);
  EXPECT_EQ(Scheme().slot, 0) << "no switch away from an edit that could not be saved";
  EXPECT_EQ(SaveFailureMessages(), 1u);
  SaveColourSchemeSlot(Context());  // as PI_Close does
  EXPECT_TRUE(SamePoints(Stored(0), kGrown));
  EXPECT_TRUE(SamePoints(Stored(1), kOther));

  // Slot 1 cannot be opened, slot 2 holds a point no one can read: the
  // scheme shown for them is slot 0's, and is saved over neither.
  WriteSlot(2, {{"pointCount", "2"}, {"csP_0", "4278190080 0"}, {"csP_1", "4278190080 zero"}});
  for (int32_t target : {1, 2}) {
    if (target == 1) host->FailNextConfigFileOpen();
    Press(0.1f, kRight);
    Drag(0.35f);  // one slot to the right
    Release();
    ASSERT_EQ(Scheme().slot, target);
    ExpectPoints(kGrown, "shown for slot " + std::to_string(target), 0.00005f);
    SaveColourSchemeSlot(Context());
  }
  EXPECT_TRUE(SamePoints(Stored(1), kOther));
  EXPECT_EQ(ReadKey(2, "csP_1"), "4278190080 zero");
  // Once the artist edits it, the shown scheme is slot 2's.
  Click(0.95f, kRight);
  SaveColourSchemeSlot(Context());
  EXPECT_EQ(Stored(2).size(), 4u);
}

// Points as people and other tools write them: a decimal comma is the
// number meant, a position off the slider sits at its nearer end.
TEST_F(SchemeFileFailures, HandWrittenPointsLoadAsMeant) {
  WriteSlot(3, {{"pointCount", "4"},
                {"csP_0", "4278190080 -0.25"},
                {"csP_1", "4278190081 0,5"},
                {"csP_2", "4278190082 +0,75"},
                {"csP_3", "4278190083 1.0001"}});
  EXPECT_TRUE(SamePoints(Stored(3), {{0xFF000000, 0.0f}, {0xFF000001, 0.5f}, {0xFF000002, 0.75f},
                                     {0xFF000003, 1.0f}}));
  EXPECT_TRUE(host->Messages().empty());
}

}  // namespace

namespace {

// What a slot loads as after a save failed at some write, against the
// scheme before the save and the scheme saved.
enum Outcome { kOldScheme, kNewScheme, kBoth, kMixed, kLost, kOutcomes };
const char* const kOutcomeNames[kOutcomes] = {"old", "new", "union", "mix", "lost"};

using PointKey = std::pair<Pixel, int32_t>;  // colour, position in ten-thousandths
std::set<PointKey> KeysOf(const std::vector<SchemePoint>& points) {
  std::set<PointKey> keys;
  for (const SchemePoint& p : points) keys.insert({p.colour, static_cast<int32_t>(std::lround(p.position * 10000))});
  return keys;
}

Outcome Classify(const std::vector<SchemePoint>& loaded, const std::vector<SchemePoint>& before,
                 const std::vector<SchemePoint>& after) {
  const std::set<PointKey> shown = KeysOf(loaded), old = KeysOf(before), edited = KeysOf(after);
  std::set<PointKey> both = old;
  both.insert(edited.begin(), edited.end());
  for (const PointKey& key : old) {
    if (edited.count(key) && !shown.count(key)) return kLost;
  }
  if (loaded.empty()) return kLost;  // the slot no longer loads at all
  if (shown == old) return kOldScheme;
  if (shown == edited) return kNewScheme;
  return shown == both ? kBoth : kMixed;
}

// The seven edits a painter makes on the slider, as the points they leave.
struct Edit {
  const char* name;
  std::function<std::vector<SchemePoint>(std::vector<SchemePoint>)> apply;
};
const Edit kEdits[] = {
    {"recolour one point", [](std::vector<SchemePoint> p) { p[1].colour = 0xFF0000EE; return p; }},
    {"recolour two points",
     [](std::vector<SchemePoint> p) {
       p[1].colour = 0xFF0000EE;
       p[2].colour = 0xFF00EE00;
       return p;
     }},
    {"move a boundary", [](std::vector<SchemePoint> p) { p[2].position += 0.05f; return p; }},
    {"swap two segments",  // segments 1 and 2 trade places, keeping their lengths
     [](std::vector<SchemePoint> p) {
       const float start = p[1].position, width2 = p[3].position - p[2].position;
       const Pixel c1 = p[1].colour, c2 = p[2].colour;
       p[1] = {c2, start};
       p[2] = {c1, start + width2};
       return p;
     }},
    {"carry a segment",  // segment 1 carried past the next two
     [](std::vector<SchemePoint> p) {
       const float start = p[1].position, width2 = p[3].position - p[2].position,
                   width3 = (p.size() > 4 ? p[4].position : 1.0f) - p[3].position;
       const Pixel c1 = p[1].colour, c2 = p[2].colour, c3 = p[3].colour;
       p[1] = {c2, start};
       p[2] = {c3, start + width2};
       p[3] = {c1, start + width2 + width3};
       return p;
     }},
    {"delete a point", [](std::vector<SchemePoint> p) { p.erase(p.begin() + 1); return p; }},
    {"add a point",
     [](std::vector<SchemePoint> p) {
       p.insert(p.begin() + 2, SchemePoint{0xFF00AAAA, (p[1].position + p[2].position) / 2});
       return p;
     }},
};

}  // namespace

// Every edit, failing at every write of its save, refused once or on a full
// disk from there on: the slot always loads as the old scheme, the new one
// or every point of both, and never loses a point both hold; the artist is
// told once and the next save completes. A host that stores each write and
// answers 0 saves every edit.
TEST_F(SchemeFileFailures, EveryFailurePositionLeavesOldNewOrBothAndLosesNoPoint) {
  // Four points leave room for old, new and a stepping stone together
  // whatever the edit; seven do not when an edit makes two or more new
  // points, and then only a point both hold must never go missing.
  struct Base {
    std::vector<SchemePoint> points;
    bool whole;
  };
  const Base bases[] = {
      {{{0xFF102030, 0.0f}, {0xFF405060, 0.2f}, {0xFF708090, 0.45f}, {0xFFA0B0C0, 0.7f}}, true},
      {{{0xFF000001, 0.0f}, {0xFF000002, 0.1f}, {0xFF000003, 0.25f}, {0xFF000004, 0.4f}, {0xFF000005, 0.55f},
        {0xFF000006, 0.7f}, {0xFF000007, 0.85f}},
       false},
  };
  // Hundreds of saves: the slot file stays in the host's memory.
  options.configFilesInMemory = true;
  RestartHost();
  // The slot as an earlier save of the plug-in left it.
  const auto writeSaved = [this](const std::vector<SchemePoint>& points) {
    std::vector<std::pair<std::string, std::string>> values{{"pointCount", std::to_string(points.size())}};
    for (size_t i = 0; i < points.size(); ++i) {
      char text[64];
      std::snprintf(text, sizeof text, "%lu %.4f", static_cast<unsigned long>(points[i].colour),
                    static_cast<double>(points[i].position));
      values.emplace_back("csP_" + std::to_string(i), text);
    }
    WriteSlot(0, values);
  };
  std::string table;
  for (const Base& base : bases) {
    for (const Edit& edit : kEdits) {
      const std::vector<SchemePoint> edited = edit.apply(base.points);
      const std::string name = std::to_string(base.points.size()) + " points, " + edit.name;
      // The whole save once, to count its writes; a host that answers 0.
      writeSaved(base.points);
      SetScheme(edited);
      Scheme().slot = 0;
      Scheme().modified = 1;
      host->AnswerStoredConfigWrites(0);
      const size_t writesBefore = CountCalls(kFnWriteConfigString);
      const size_t messages = host->Messages().size();
      EXPECT_TRUE(SaveColourSchemeSlot(Context())) << name << ": a write answered 0 but stored";
      host->AnswerStoredConfigWrites(1);
      EXPECT_EQ(host->Messages().size(), messages) << name;
      EXPECT_TRUE(SamePoints(Stored(0), edited)) << name;
      const int32_t writes = static_cast<int32_t>(CountCalls(kFnWriteConfigString) - writesBefore);

      int counts[kOutcomes] = {};
      for (int32_t position = 0; position < writes; ++position) {
        for (const bool diskFull : {false, true}) {
          const std::string where = name + (diskFull ? ", disk full at write " : ", write refused: ") +
                                    std::to_string(position);
          writeSaved(base.points);
          SetScheme(edited);
          Scheme().modified = 1;
          Scheme().saveFailureShown = 0;
          const size_t before = SaveFailureMessages();
          host->FailConfigWrites(position, diskFull ? 1 << 30 : 1);
          const bool saved = SaveColourSchemeSlot(Context());
          host->FailConfigWrites(0, 0);
          const Outcome outcome = Classify(Stored(0), base.points, edited);
          ++counts[outcome];
          EXPECT_NE(outcome, kLost) << where;
          if (base.whole) {
            EXPECT_NE(outcome, kMixed) << where;
          }
          if (saved) {
            // The refused key already held what the save meant to write.
            EXPECT_EQ(outcome, kNewScheme) << where;
            continue;
          }
          EXPECT_EQ(SaveFailureMessages(), before + 1) << where;
          EXPECT_EQ(Scheme().modified, 1) << where;
          EXPECT_TRUE(SaveColourSchemeSlot(Context())) << where;
          EXPECT_TRUE(SamePoints(Stored(0), edited)) << where << ": saved on the next try";
        }
      }
      table += name + ":";
      for (int o = 0; o < kOutcomes; ++o) table += std::string(" ") + kOutcomeNames[o] + " " + std::to_string(counts[o]);
      table += "\n";
    }
  }
  std::printf("%s", table.c_str());
}
