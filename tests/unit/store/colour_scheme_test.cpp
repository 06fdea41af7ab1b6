// Colour schemes: the slot file (round trips, malformed slots), sorting, and
// the slider gestures (slot switching and copying, boundary drags, segment
// moves, adding and deleting points, double-click timing).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "colour_scheme_fixture.h"

namespace {

constexpr int32_t kLeft = kSchemeButtonLeft;
constexpr int32_t kRight = kSchemeButtonRight;

const std::vector<SchemePoint> kThreePoints = {{0xFF102030, 0.0f}, {0xFF405060, 0.4f}, {0xFF708090, 0.7f}};

std::string FailureMessage(int32_t point, int32_t count, const std::string& path) {
  char text[2048];
  std::snprintf(text, sizeof text,
                "Oh no!\nTintwell tried to load the\ncolourscheme for this project\nbut failed on swatch\n\n"
                "%d out of %d\n\nPost your %s file on the TVP\nForums and maybe I can fix it.\n\n- orvik",
                point, count, path.c_str());
  return text;
}

void ExpectSamePoints(const std::vector<SchemePoint>& actual, const std::vector<SchemePoint>& expected,
                      const std::string& where, float tolerance = 0.0f) {
  ASSERT_EQ(actual.size(), expected.size()) << where;
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].colour, expected[i].colour) << where << " point " << i;
    EXPECT_NEAR(actual[i].position, expected[i].position, tolerance) << where << " point " << i;
  }
}

// ---- the slot file ----

TEST_F(ColourSchemeTest, SaveThenLoadRoundTripsEveryPointThroughTheFile) {
  const std::vector<SchemePoint> points = {{0xFF000000, 0.0f},     {0xFFFFFFFF, 0.12345f}, {0xFF123456, 0.5f},
                                           {0xFFABCDEF, 0.66667f}, {0xFF010203, 0.875f},   {0xFF7F7F7F, 0.9f},
                                           {0xFFFEDCBA, 0.95f},    {0xFF00FF00, 0.99999f}};
  SetScheme(points);
  Scheme().slot = 3;
  Scheme().modified = 1;
  SaveColourSchemeSlot(Context());
  EXPECT_EQ(Scheme().modified, 0);
  EXPECT_EQ(ReadKey(3, "pointCount"), "8");
  EXPECT_EQ(ReadKey(3, "csP_0"), "4278190080 0.0000");
  EXPECT_EQ(ReadKey(3, "csP_1"), "4294967295 0.1235");
  EXPECT_EQ(ReadKey(3, "csP_7"), "4278255360 1.0000");
  const auto opens = CallsOf(kFnOpenConfigFile);
  ASSERT_FALSE(opens.empty());
  ASSERT_FALSE(opens.front().texts.empty());
  EXPECT_EQ(opens.front().texts[0], SchemePath());

  // A fresh host and a fresh plug-in find the same scheme in the file.
  RestartHost();
  InitColourScheme(Context());
  EXPECT_EQ(Scheme().slot, 0);
  EXPECT_EQ(Points().size(), 1u) << "slot 0 was never written";
  Scheme().slot = 3;
  LoadColourSchemeSlot(Context());
  ExpectSamePoints(Points(), points, "reloaded", 0.00005f);
  EXPECT_EQ(Scheme().modified, 0);
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(ColourSchemeTest, InitStartsFromTheBaseColourAndLoadsSlotZero) {
  const std::vector<SchemePoint> stored = {{0xFF111111, 0.0f}, {0xFF222222, 0.25f}};
  InitColourScheme(Context());
  EXPECT_EQ(Points().size(), 1u);
  WriteSchemeSlot(0, stored);
  GState.BasePixel = 0xFF445566;
  InitColourScheme(Context());
  ExpectSamePoints(Points(), stored, "slot 0");
  EXPECT_EQ(Scheme().slot, 0);
  EXPECT_EQ(Scheme().selected, -1);
  EXPECT_EQ(Scheme().modified, 0);
  // An empty slot 0 leaves the base colour in the one point.
  WriteSlot(0, {{"pointCount", "0"}});
  InitColourScheme(Context());
  ExpectSamePoints(Points(), {{0xFF445566, 0.0f}}, "empty slot 0");
}

TEST_F(ColourSchemeTest, LoadedColoursAreOpaqueInTheirTopByte) {
  WriteSlot(0, {{"pointCount", "2"}, {"csP_0", "305419896 0.0000"}, {"csP_1", "0 0.5000"}});
  LoadColourSchemeSlot(Context());
  ExpectSamePoints(Points(), {{0xFF345678, 0.0f}, {0xFF000000, 0.5f}}, "loaded");
}

TEST_F(ColourSchemeTest, PointTextsThatLoad) {
  struct Case {
    const char* text;
    Pixel colour;
    float position;
  };
  const Case cases[] = {
      {"4278190080 1", 0xFF000000, 1.0f},         {"4278190080 0", 0xFF000000, 0.0f},
      {"  4278190081   0.25", 0xFF000001, 0.25f}, {"4278190082 0.75 and more", 0xFF000002, 0.75f},
      {"4294967295 -0.0", 0xFFFFFFFF, 0.0f},
      // Read the way "%lu %f" reads: the digits before the point are the colour.
      {"0.5", 0xFF000000, 0.5f},
  };
  for (const Case& c : cases) {
    WriteSlot(0, {{"pointCount", "2"}, {"csP_0", "4278190335 0.0"}, {"csP_1", c.text}});
    LoadColourSchemeSlot(Context());
    const auto points = Points();
    ASSERT_EQ(points.size(), 2u) << c.text;
    EXPECT_TRUE(host->Messages().empty()) << c.text;
    // Never left of csP_0, and equal positions keep file order.
    const SchemePoint& loaded = points[1];
    EXPECT_EQ(loaded.colour, c.colour) << c.text;
    EXPECT_EQ(loaded.position, c.position) << c.text;
    EXPECT_FALSE(std::signbit(loaded.position)) << c.text;
  }
}

TEST_F(ColourSchemeTest, EmptySlotsLeaveTheSchemeAsItWas) {
  // Counts that hold no points: nothing is loaded and nothing is reported.
  const char* counts[] = {nullptr, "0", "-1", "-2147483648", "abc", "", " "};
  for (const char* count : counts) {
    SetScheme(kThreePoints);
    Scheme().modified = 1;
    Scheme().slot = 2;
    if (count) WriteSlot(2, {{"pointCount", count}, {"csP_0", "4278190080 0.5"}});
    LoadColourSchemeSlot(Context());
    const std::string where = count ? std::string("count \"") + count + "\"" : "no section";
    ExpectSamePoints(Points(), kThreePoints, where);
    EXPECT_EQ(Scheme().modified, 1) << where;
    EXPECT_TRUE(host->Messages().empty()) << where;
    ExpectConsistent(where);
  }
}

TEST_F(ColourSchemeTest, CountsAboveEightReadOnlyEightPoints) {
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<SchemePoint> expected;
  for (int i = 0; i < 10; ++i) {
    const Pixel colour = 0xFF000000u | static_cast<Pixel>(i * 0x010101);
    values.emplace_back("csP_" + std::to_string(i), std::to_string(colour) + " " + std::to_string(i / 10.0));
    if (i < 8) expected.push_back({colour, i / 10.0f});
  }
  for (const char* count : {"9", "1000", "2147483647", "99999999999"}) {
    auto slot = values;
    slot.emplace_back("pointCount", count);
    WriteSlot(1, slot);
    SetScheme(kThreePoints);
    Scheme().slot = 1;
    LoadColourSchemeSlot(Context());
    ExpectSamePoints(Points(), expected, std::string("count ") + count, 1e-6f);
    EXPECT_TRUE(host->Messages().empty()) << count;
    ExpectConsistent(count);
  }
}

TEST_F(ColourSchemeTest, AnUnreadablePointFailsTheLoadAndKeepsTheScheme) {
  // csP_1 of three points; nullptr leaves the key out.
  const char* texts[] = {nullptr,
                         "-1 0",
                         "garbage",
                         "",
                         "4278190080",
                         "4278190080 ",
                         "4278190080 abc",
                         "4278190080 nan",
                         "4278190080 NaN",
                         "4278190080 inf",
                         "4278190080 -1",
                         "4278190080 -1.0000",
                         "4278190080 -0.5",
                         "4278190080 1.0001",
                         "4278190080 1e30",
                         "-5 0.5",
                         "4294967296 0.5",
                         "99999999999999999999999 0.5"};
  int32_t expectedMessages = 0;
  int32_t slot = 10;
  for (const char* text : texts) {
    const std::string where = text ? std::string("\"") + text + "\"" : "missing key";
    SetScheme(kThreePoints);
    Scheme().modified = 1;
    Scheme().slot = ++slot;
    WriteSlot(slot, {{"pointCount", "3"}, {"csP_0", "4278190080 0.1"}, {"csP_2", "4278190080 0.9"}});
    if (text) WriteSlot(slot, {{"csP_1", text}});
    LoadColourSchemeSlot(Context());
    ++expectedMessages;
    ASSERT_EQ(host->Messages().size(), static_cast<size_t>(expectedMessages)) << where;
    EXPECT_EQ(host->Messages().back(), FailureMessage(2, 3, SchemePath())) << where;
    ExpectSamePoints(Points(), kThreePoints, where);
    EXPECT_EQ(Scheme().modified, 1) << where;
    ExpectConsistent(where);
  }

  // The message names the count as the file gives it.
  WriteSlot(5, {{"pointCount", "1000"}, {"csP_0", "4278190080 0.1"}, {"csP_1", "4278190080 0.2"},
                {"csP_2", "4278190080 0.3"}});
  Scheme().slot = 5;
  LoadColourSchemeSlot(Context());
  EXPECT_EQ(host->Messages().back(), FailureMessage(4, 1000, SchemePath()));
  ExpectSamePoints(Points(), kThreePoints, "count 1000, three points");
}

TEST_F(ColourSchemeTest, WithoutAPluginDirectoryNothingIsReadOrWritten) {
  SetScheme(kThreePoints);
  Scheme().modified = 1;
  host->ClearRecords();
  host->ScriptReply("tv_GetPath PLUGIN", "");
  LoadColourSchemeSlot(Context());
  host->ScriptReply("tv_GetPath PLUGIN", "");
  SaveColourSchemeSlot(Context());
  EXPECT_TRUE(CallsOf(kFnOpenConfigFile).empty());
  ExpectSamePoints(Points(), kThreePoints, "scheme");
  EXPECT_EQ(Scheme().modified, 1) << "nothing was saved";
}

TEST_F(ColourSchemeTest, SaveWritesThePointsOnShowEvenBeforeTheyWereSorted) {
  // Point edits that no drawing has sorted yet: a point taken out and a
  // point added. The file gets exactly the used points, numbered without gaps.
  SetScheme(kThreePoints);
  Scheme().points[1].used = 0;
  Scheme().points[5].used = 1;
  Scheme().points[5].position = 0.9f;
  Scheme().points[5].colour = 0xFFAABBCC;
  Scheme().needsSort = 1;
  SaveColourSchemeSlot(Context());
  EXPECT_EQ(ReadKey(0, "pointCount"), "3");
  SetScheme({{0xFF000000, 0.0f}});
  LoadColourSchemeSlot(Context());
  EXPECT_TRUE(host->Messages().empty());
  ExpectSamePoints(Points(), {kThreePoints[0], kThreePoints[2], {0xFFAABBCC, 0.9f}}, "reloaded", 0.00005f);
}

TEST_F(ColourSchemeTest, SortingKeepsEqualPositionsInIndexOrderAndPutsALonePointAtZero) {
  SetScheme({{0xFF000001, 0.5f}, {0xFF000002, 0.2f}, {0xFF000003, 0.5f}, {0xFF000004, 0.0f}});
  ExpectSamePoints(Points(), {{0xFF000004, 0.0f}, {0xFF000002, 0.2f}, {0xFF000001, 0.5f}, {0xFF000003, 0.5f}},
                   "sorted");
  SetScheme({{0xFF000001, 0.6f}});
  ExpectSamePoints(Points(), {{0xFF000001, 0.0f}}, "alone");
}

// ---- gestures ----

TEST_F(ColourSchemeTest, RightDragsSwitchOneSlotPerFifthOfTheSlider) {
  struct Case {
    int32_t startSlot;
    float press;
    float pointer;
    int32_t expectedSlot;
  };
  const Case cases[] = {
      {0, 0.5f, 0.75f, 1}, {0, 0.5f, 0.68f, 0}, {0, 0.0f, 0.9f, 4}, {0, 0.0f, 1.0f, 0}, {0, 0.6f, 0.4f, 4},
      {0, 1.0f, 0.0f, 5},  {0, 0.5f, 0.0f, 3},  {0, 0.9f, 0.0f, 1}, {4, 0.0f, 0.25f, 0}, {5, 0.5f, 0.25f, 4},
      {5, 0.0f, 0.25f, 1}, {2, 0.5f, 0.55f, 2},
  };
  for (const Case& c : cases) {
    SetScheme(kThreePoints);
    Scheme().modified = 0;
    Scheme().slot = c.startSlot;
    Press(c.press, kRight);
    Drag(c.pointer);
    EXPECT_EQ(Scheme().slot, c.expectedSlot)
        << "from slot " << c.startSlot << ", " << c.press << " -> " << c.pointer;
    Release();
    EXPECT_EQ(Scheme().state, 0);
  }
}

TEST_F(ColourSchemeTest, SlotSwitchSavesTheEditedSlotAndShowsTheNewOne) {
  const std::vector<SchemePoint> other = {{0xFFAA0000, 0.0f}, {0xFF00AA00, 0.6f}};
  WriteSchemeSlot(1, other);
  SetScheme(kThreePoints);
  Scheme().modified = 1;
  Press(0.5f, kRight);
  Drag(0.75f);
  EXPECT_EQ(Scheme().slot, 1);
  ExpectSamePoints(Points(), other, "slot 1");
  EXPECT_EQ(Scheme().modified, 0);
  EXPECT_EQ(ReadKey(0, "pointCount"), "3") << "slot 0 saved before the switch";
  Drag(0.95f);  // slot 2 is empty: slot 1's points stay on show
  EXPECT_EQ(Scheme().slot, 2);
  ExpectSamePoints(Points(), other, "empty slot 2");
  Drag(0.5f);  // and back
  EXPECT_EQ(Scheme().slot, 0);
  ExpectSamePoints(Points(), kThreePoints, "slot 0 again", 0.00005f);
  Release();
  ExpectSamePoints(Points(), kThreePoints, "released", 0.00005f);
  EXPECT_EQ(Scheme().modified, 0) << "a switch alone changes nothing";
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(ColourSchemeTest, RightDoubleClickDragCopiesTheSchemeToAnotherSlot) {
  SetScheme(kThreePoints);
  Scheme().modified = 0;
  GState.CurrentRgb = {1.0f, 2.0f, 3.0f, 255};
  Click(0.1f, kRight);  // the point takes the current colour...
  Press(0.1f, kRight, 100);  // ...and the quick second press gives it back
  ExpectSamePoints(Points(), kThreePoints, "after the second press");
  Drag(0.35f);
  EXPECT_EQ(Scheme().slot, 1);
  Release();
  EXPECT_EQ(Scheme().modified, 1);
  SaveColourSchemeSlot(Context());
  EXPECT_EQ(ReadKey(1, "pointCount"), "3");
  EXPECT_EQ(ReadKey(1, "csP_1"), "4282404960 0.4000");
  Scheme().slot = 0;
  SetScheme({{0xFF000000, 0.0f}});
  LoadColourSchemeSlot(Context());
  ExpectSamePoints(Points(), kThreePoints, "slot 0 keeps its scheme", 0.00005f);
}

TEST_F(ColourSchemeTest, BoundaryDragsKeepTheirDistanceAndStayLeftOfTheEnd) {
  struct Case {
    float press;
    float start;  // first drag: turns the press into a boundary drag
    float pointer;
    int32_t moved;  // sorted entry that moves
    float expected;
  };
  const Case cases[] = {
      {0.39f, 0.42f, 0.0f, 1, 0.02f},  {0.39f, 0.42f, 1.0f, 1, 0.68f}, {0.39f, 0.42f, 0.3f, 1, 0.28f},
      {0.5f, 0.53f, 1.0f, 2, 0.98f},   {0.5f, 0.53f, 0.0f, 2, 0.42f},  {0.8f, 0.83f, 0.0f, 2, 0.42f},
      {0.8f, 0.83f, 1.0f, 2, 0.87f},
  };
  for (const Case& c : cases) {
    const std::string where = std::to_string(c.press) + " -> " + std::to_string(c.pointer);
    SetScheme(kThreePoints);
    Scheme().modified = 0;
    Press(c.press, kLeft);
    Drag(c.start);
    ExpectSamePoints(Points(), kThreePoints, where + ": the starting drag moves nothing");
    Drag(c.pointer);
    EXPECT_NEAR(Scheme().sorted[c.moved]->position, c.expected, 1e-6f) << where;
    EXPECT_EQ(Scheme().modified, 1) << where;
    Release();
    ExpectConsistent(where);
  }
}

TEST_F(ColourSchemeTest, BoundaryDragsNeverPassANeighbourOrTheEndOfTheSlider) {
  // Loaded points may sit closer than a drag would allow; the dragged point
  // then stays between its neighbours and inside the slider.
  SetScheme({{0xFF000001, 0.0f}, {0xFF000002, 0.3f}, {0xFF000003, 0.305f}, {0xFF000004, 0.31f}});
  Press(0.3025f, kLeft);
  Drag(0.33f);
  Drag(0.0f);
  EXPECT_LE(Scheme().sorted[2]->position, Scheme().sorted[3]->position);
  EXPECT_EQ(Scheme().sorted[2]->colour, 0xFF000003u);
  Release();
  ExpectConsistent("close neighbours");

  SetScheme({{0xFF000001, 0.0f}, {0xFF000002, 0.99f}, {0xFF000003, 1.0f}});
  Press(1.0f, kLeft);
  Drag(0.9f);
  Drag(1.0f);
  EXPECT_LE(Scheme().sorted[2]->position, 1.0f);
  Release();
  ExpectConsistent("at the end");
}

TEST_F(ColourSchemeTest, ClickPicksThePointAndDoubleClickAddsAPointUndoingThePick) {
  SetScheme({{host->ToPixel({200, 10, 10, 255}), 0.0f}, {host->ToPixel({10, 200, 10, 255}), 0.5f}});
  GState.CurrentRgb = {10.0f, 20.0f, 30.0f, 255};
  Click(0.7f, kLeft);
  EXPECT_EQ(host->aPen, (simhost::Rgba{10, 200, 10, 255}));
  EXPECT_EQ(Points().size(), 2u);
  Press(0.7f, kLeft, 100);
  Release();
  const auto points = Points();
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[2].colour, host->ToPixel({10, 20, 30, 255}));
  EXPECT_FLOAT_EQ(points[2].position, 0.7f);
  EXPECT_EQ(host->aPen, (simhost::Rgba{10, 20, 30, 255}));
  EXPECT_EQ(Scheme().modified, 1);
}

TEST_F(ColourSchemeTest, APressUnderThreeTenthsOfASecondAfterThePreviousPressIsADoubleClick) {
  struct Case {
    int32_t buttons;
    int32_t releaseAfter;  // ms from the first press to its release
    int32_t pressAfter;    // ms from the first press to the second
    int32_t expectedState;
  };
  const Case cases[] = {
      {kLeft, 50, 100, 3},  {kLeft, 50, 299, 3},  {kLeft, 290, 299, 3}, {kLeft, 50, 300, 1},
      {kLeft, 299, 300, 1}, {kLeft, 50, 5000, 1}, {kRight, 50, 299, 5}, {kRight, 50, 300, 2},
  };
  for (const Case& c : cases) {
    SetScheme(kThreePoints);
    Press(0.5f, c.buttons, 5000);
    Release(c.releaseAfter);
    Press(0.5f, c.buttons, c.pressAfter - c.releaseAfter);
    EXPECT_EQ(Scheme().state, c.expectedState)
        << "buttons " << c.buttons << ", release " << c.releaseAfter << ", press " << c.pressAfter;
    Release();
  }
}

TEST_F(ColourSchemeTest, TheClockWrappingAroundDoesNotMakeADoubleClick) {
  SetScheme(kThreePoints);
  clock_ = 0x7fffff00;
  Click(0.5f, kLeft, 0);
  Press(0.5f, kLeft, 1000);  // past the wrap, a second later
  EXPECT_EQ(Scheme().state, 1);
  Release();
  Press(0.5f, kLeft, 100);
  EXPECT_EQ(Scheme().state, 3);
  Release();
}

TEST_F(ColourSchemeTest, ANinthPointIsNeverAdded) {
  std::vector<SchemePoint> points;
  for (int i = 0; i < 8; ++i) points.push_back({0xFF000000u + static_cast<Pixel>(i), i / 8.0f});
  SetScheme({points.begin(), points.begin() + 7});
  Click(0.3f, kLeft);
  Press(0.3f, kLeft, 100);
  Release();
  EXPECT_EQ(Points().size(), 8u);
  const auto eight = Points();
  Click(0.6f, kLeft);
  Press(0.6f, kLeft, 100);
  Release();
  ExpectSamePoints(Points(), eight, "ninth");
  ExpectConsistent("ninth");
}

TEST_F(ColourSchemeTest, TheLastPointIsNeverDeleted) {
  SetScheme({kThreePoints[0], kThreePoints[2]});
  Click(0.9f, kRight);
  Press(0.9f, kRight, 100);
  Release();
  ExpectSamePoints(Points(), {kThreePoints[0]}, "one left");
  Click(0.9f, kRight);
  Press(0.9f, kRight, 100);
  Release();
  ExpectSamePoints(Points(), {kThreePoints[0]}, "still one");
  ExpectConsistent("last point");
}

TEST_F(ColourSchemeTest, SegmentMovesSwapNeighboursAndKeepTheirLengths) {
  SetScheme(kThreePoints);
  const Pixel a = kThreePoints[0].colour, b = kThreePoints[1].colour, c = kThreePoints[2].colour;
  Click(0.5f, kLeft);
  Press(0.5f, kLeft, 100);
  Drag(0.85f);  // B's segment [0.4, 0.7) passes C's end
  EXPECT_EQ(Scheme().state, 4);
  ExpectSamePoints(Points(), {{a, 0.0f}, {c, 0.4f}, {b, 0.7f}}, "B right of C", 1e-6f);
  Drag(0.3f);
  ExpectSamePoints(Points(), {{a, 0.0f}, {b, 0.4f}, {c, 0.7f}}, "back", 1e-6f);
  Release();

  // Moving the second segment left puts it at the start of the slider.
  Click(0.8f, kLeft);
  Press(0.8f, kLeft, 100);
  Drag(0.45f);
  ExpectSamePoints(Points(), {{a, 0.0f}, {c, 0.4f}, {b, 0.7f}}, "C left of B", 1e-6f);
  Drag(0.05f);
  ExpectSamePoints(Points(), {{c, 0.0f}, {a, 0.3f}, {b, 0.7f}}, "C first", 1e-6f);
  Release();
  EXPECT_EQ(Scheme().modified, 1);
  ExpectConsistent("segment moves");
}

}  // namespace
