// Colour schemes when the slot file fails: opens refused, writes refused
// after any number of keys (a full disk) or for one key, slots that cannot
// be read, points written by hand. Whatever fails, every stored slot still
// loads as its old or its new scheme, a failed save is said once and kept
// for the next try, and no slot takes another slot's scheme.
#include <string>
#include <vector>

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
