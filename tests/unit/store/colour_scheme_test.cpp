// Colour schemes: the slot file (round trips, malformed slots) and the slider
// gestures (slot switching and copying, boundary drags, segment moves,
// adding and deleting points, double-click timing).
#include <cstdio>
#include <string>
#include <vector>

#include "colour_scheme_fixture.h"
#include "support/comma_locale.h"
#include "host/host_functions.h"

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
  ASSERT_NE(FindCall(kFnOpenConfigFile), nullptr);
  EXPECT_EQ(FindCall(kFnOpenConfigFile)->texts.at(0), SchemePath());
  EXPECT_EQ(ReadKey(3, "pointCount"), "8");
  EXPECT_EQ(ReadKey(3, "csP_1"), "4294967295 0.1235");
  EXPECT_EQ(ReadKey(3, "csP_7"), "4278255360 1.0000");

  RestartHost();
  InitColourScheme(Context());
  ExpectPoints({{0, 0.0f}}, "slot 0 was never written");
  Scheme().slot = 3;
  LoadColourSchemeSlot(Context());
  ExpectPoints(points, "reloaded", 0.00005f);
  EXPECT_TRUE(host->Messages().empty());
}

// A host process may run in a locale whose decimal point is a comma; the
// file must still hold "0.4000" and read back 0.4, not 0.
TEST_F(ColourSchemeTest, TheFileIsTheSameWhateverTheProcessLocale) {
  ScopedCommaLocale comma;
  if (!comma.name()) GTEST_SKIP() << "no locale with a decimal comma installed";
  SetScheme({{0xFF000000, 0.0f}, {0xFF00FF00, 0.4f}});
  Scheme().slot = 2;
  SaveColourSchemeSlot(Context());
  EXPECT_EQ(ReadKey(2, "csP_1"), "4278255360 0.4000") << comma.name();
  WriteSlot(2, {{"csP_1", "4278255360 0.6500"}});
  SetScheme({{0xFF000000, 0.0f}});
  LoadColourSchemeSlot(Context());
  ExpectPoints({{0xFF000000, 0.0f}, {0xFF00FF00, 0.65f}}, comma.name(), 0.00005f);
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(ColourSchemeTest, ASchemeEditedInOneSessionIsThereInTheNext) {
  WriteSlot(0, kThreePoints);
  ASSERT_EQ(host->Open(), 1);
  ExpectPoints(kThreePoints, "opened", 0.00005f);
  Press(0.39f, kLeft);
  Drag(0.42f);
  Drag(0.3f);  // the boundary at 0.4 follows to 0.28
  Release();
  host->Close();
  RestartHost();
  ASSERT_EQ(host->Open(), 1);
  ExpectPoints({kThreePoints[0], {kThreePoints[1].colour, 0.28f}, kThreePoints[2]}, "next session", 0.00005f);
  host->Close();
}

TEST_F(ColourSchemeTest, PointTextsThatLoad) {
  struct Case {
    const char* text;
    Pixel colour;
    float position;
  };
  const Case cases[] = {
      {"4278190080 1", 0xFF000000, 1.0f},         {"305419896 0.5", 0xFF345678, 0.5f},  // opaque top byte
      {"  4278190081   0.25", 0xFF000001, 0.25f}, {"4278190082 0.75 and more", 0xFF000002, 0.75f},
      {"4294967295 -0.0", 0xFFFFFFFF, 0.0f},
      {"0.5", 0xFF000000, 0.5f},  // as "%lu %f" reads it: the digits before the point are the colour
  };
  for (const Case& c : cases) {
    WriteSlot(0, {{"pointCount", "2"}, {"csP_0", "4278190335 0.0"}, {"csP_1", c.text}});
    LoadColourSchemeSlot(Context());
    ExpectPoints({{0xFF0000FF, 0.0f}, {c.colour, c.position}}, c.text);
    EXPECT_FALSE(std::signbit(Points().back().position)) << c.text;
  }
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(ColourSchemeTest, SlotsWithoutPointsLeaveTheSchemeAsItWas) {
  for (const char* count : {"none", "0", "-1", "-2147483648", "abc", ""}) {
    SetScheme(kThreePoints);
    Scheme().modified = 1;
    Scheme().slot = 2;
    if (std::string(count) != "none") WriteSlot(2, {{"pointCount", count}, {"csP_0", "4278190080 0.5"}});
    LoadColourSchemeSlot(Context());
    ExpectPoints(kThreePoints, count);
    EXPECT_EQ(Scheme().modified, 1) << count;
  }
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(ColourSchemeTest, CountsAboveEightReadOnlyEightPoints) {
  std::vector<SchemePoint> ten;
  for (int i = 0; i < 10; ++i) ten.push_back({0xFF000000u + static_cast<Pixel>(i), i / 10.0f});
  for (const char* count : {"9", "1000", "99999999999"}) {
    WriteSlot(1, ten);
    WriteSlot(1, {{"pointCount", count}});
    Scheme().slot = 1;
    LoadColourSchemeSlot(Context());
    ExpectPoints({ten.begin(), ten.begin() + 8}, count, 1e-6f);
  }
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(ColourSchemeTest, AnUnreadablePointFailsTheWholeLoad) {
  // csP_1 of three points; "none" leaves the key out.
  const char* texts[] = {"none",           "-1 0",           "garbage",         "",
                         "4278190080",     "4278190080 abc", "4278190080 nan",  "4278190080 inf",
                         "4278190080 -1",  "-5 0.5",         "4294967296 0.5",  "99999999999999999999999 0.5"};
  int32_t slot = 10;
  for (const char* text : texts) {
    SetScheme(kThreePoints);
    Scheme().modified = 1;
    Scheme().slot = ++slot;
    WriteSlot(slot, {{"pointCount", "3"}, {"csP_0", "4278190080 0.1"}, {"csP_2", "4278190080 0.9"}});
    if (std::string(text) != "none") WriteSlot(slot, {{"csP_1", text}});
    const size_t before = host->Messages().size();
    LoadColourSchemeSlot(Context());
    ASSERT_EQ(host->Messages().size(), before + 1) << text;
    EXPECT_EQ(host->Messages().back(), FailureMessage(2, 3, SchemePath())) << text;
    ExpectPoints(kThreePoints, text);
    EXPECT_EQ(Scheme().modified, 1) << text;
  }
  // The message gives the count as the file has it.
  WriteSlot(5, {{"pointCount", "1000"}, {"csP_0", "4278190080 0.1"}, {"csP_1", "4278190080 0.2"}});
  Scheme().slot = 5;
  LoadColourSchemeSlot(Context());
  EXPECT_EQ(host->Messages().back(), FailureMessage(3, 1000, SchemePath()));
  ExpectPoints(kThreePoints, "count 1000, two points");
}

TEST_F(ColourSchemeTest, WithoutAPluginDirectoryNothingIsReadOrWritten) {
  SetScheme(kThreePoints);
  Scheme().modified = 1;
  host->ClearRecords();
  host->ScriptReply("tv_GetPath PLUGIN", "");
  LoadColourSchemeSlot(Context());
  host->ScriptReply("tv_GetPath PLUGIN", "");
  SaveColourSchemeSlot(Context());
  EXPECT_EQ(CountCalls(kFnOpenConfigFile), 0u);
  ExpectPoints(kThreePoints, "scheme");
  EXPECT_EQ(Scheme().modified, 1) << "nothing was saved";
}

TEST_F(ColourSchemeTest, SaveWritesThePointsOnShowEvenBeforeTheyWereSorted) {
  // A point taken out and a point added, not yet sorted by any drawing: the
  // file gets exactly the used points, numbered without gaps.
  SetScheme(kThreePoints);
  SortColourScheme();
  Scheme().points[1].used = 0;
  Scheme().points[5] = {1, 0.9f, 5, 0xFFAABBCC};
  Scheme().needsSort = 1;
  SaveColourSchemeSlot(Context());
  EXPECT_EQ(ReadKey(0, "pointCount"), "3");
  SetScheme({{0xFF000000, 0.0f}});
  LoadColourSchemeSlot(Context());
  ExpectPoints({kThreePoints[0], kThreePoints[2], {0xFFAABBCC, 0.9f}}, "reloaded", 0.00005f);
}

// ---- gestures ----

TEST_F(ColourSchemeTest, RightDragsSwitchOneSlotPerFifthOfTheSlider) {
  struct Case {
    int32_t startSlot;
    float press, pointer;
    int32_t expectedSlot;
  };
  const Case cases[] = {
      {0, 0.5f, 0.75f, 1}, {0, 0.5f, 0.68f, 0}, {0, 0.0f, 0.9f, 4},  {0, 0.0f, 1.0f, 0},
      {0, 0.6f, 0.4f, 4},  {0, 1.0f, 0.0f, 5},  {0, 0.5f, 0.0f, 3},  {0, 0.9f, 0.0f, 1},
      {4, 0.0f, 0.25f, 0}, {5, 0.5f, 0.25f, 4}, {5, 0.0f, 0.25f, 1}, {2, 0.5f, 0.55f, 2},
  };
  for (const Case& c : cases) {
    Scheme().slot = c.startSlot;
    Press(c.press, kRight);
    Drag(c.pointer);
    EXPECT_EQ(Scheme().slot, c.expectedSlot) << "slot " << c.startSlot << ", " << c.press << " -> " << c.pointer;
    Release();
  }
}

TEST_F(ColourSchemeTest, SlotSwitchSavesTheEditedSlotAndShowsTheNewOne) {
  const std::vector<SchemePoint> other = {{0xFFAA0000, 0.0f}, {0xFF00AA00, 0.6f}};
  WriteSlot(1, other);
  SetScheme(kThreePoints);
  Scheme().modified = 1;
  Press(0.75f, kRight);  // on the third point, which slot 1 does not have
  Drag(1.0f);
  EXPECT_EQ(Scheme().slot, 1);
  ExpectPoints(other, "slot 1", 1e-6f);
  EXPECT_EQ(ReadKey(0, "pointCount"), "3") << "slot 0 saved before the switch";
  Drag(0.5f);  // slot 4 is empty: slot 1's points stay on show
  EXPECT_EQ(Scheme().slot, 4);
  ExpectPoints(other, "empty slot 4", 1e-6f);
  Drag(0.75f);
  Release();
  EXPECT_EQ(Scheme().slot, 0);
  ExpectPoints(kThreePoints, "back on slot 0", 0.00005f);
  EXPECT_EQ(Scheme().modified, 0) << "a switch alone changes nothing";
}

TEST_F(ColourSchemeTest, RightDoubleClickDragCopiesTheSchemeToAnotherSlot) {
  SetScheme(kThreePoints);
  GState.CurrentRgb = {1.0f, 2.0f, 3.0f, 255};
  Click(0.1f, kRight);       // the point takes the current colour...
  Press(0.1f, kRight, 100);  // ...and the quick second press gives it back
  Drag(0.35f);
  Release();
  EXPECT_EQ(Scheme().slot, 1);
  EXPECT_EQ(Scheme().modified, 1);
  SaveColourSchemeSlot(Context());
  EXPECT_EQ(ReadKey(1, "csP_2"), "4285563024 0.7000");
  Scheme().slot = 0;
  SetScheme({{0xFF000000, 0.0f}});
  LoadColourSchemeSlot(Context());
  ExpectPoints(kThreePoints, "slot 0 keeps its scheme", 0.00005f);
}

TEST_F(ColourSchemeTest, BoundaryDragsKeepTheirDistanceAndStayLeftOfTheEnd) {
  struct Case {
    std::vector<SchemePoint> scheme;
    float press, start, pointer;  // the start drag turns the press into a boundary drag
    int32_t moved;                // sorted entry that moves
    float expected;
  };
  const std::vector<SchemePoint> crowded = {{1, 0.0f}, {2, 0.3f}, {3, 0.305f}, {4, 0.31f}};
  const Case cases[] = {
      {kThreePoints, 0.39f, 0.42f, 0.0f, 1, 0.02f}, {kThreePoints, 0.39f, 0.42f, 1.0f, 1, 0.68f},
      {kThreePoints, 0.39f, 0.42f, 0.3f, 1, 0.28f}, {kThreePoints, 0.5f, 0.53f, 1.0f, 2, 0.98f},
      {kThreePoints, 0.5f, 0.53f, 0.0f, 2, 0.42f},  {kThreePoints, 0.8f, 0.83f, 0.0f, 2, 0.42f},
      {kThreePoints, 0.8f, 0.83f, 1.0f, 2, 0.87f},
      // Points closer than a drag leaves them: never past a neighbour or the end.
      {crowded, 0.3025f, 0.33f, 0.0f, 2, 0.31f},    {{{1, 0.0f}, {2, 0.99f}, {3, 1.0f}}, 1.0f, 0.9f, 1.0f, 2, 1.0f},
  };
  for (const Case& c : cases) {
    const std::string where = std::to_string(c.press) + " -> " + std::to_string(c.pointer);
    SetScheme(c.scheme);
    Scheme().modified = 0;
    Press(c.press, kLeft);
    Drag(c.start);
    EXPECT_EQ(Scheme().modified, 0) << where << ": the starting drag moves nothing";
    Scheme().pointerPos = c.pointer;
    EXPECT_EQ(ColourSchemeDrag(Context()), SchemeRedraw::kSwatch) << where << ": the slider shows the move at once";
    EXPECT_NEAR(Scheme().sorted[c.moved]->position, c.expected, 1e-6f) << where;
    EXPECT_EQ(Scheme().modified, 1) << where;
    Release();
    ExpectConsistent(where);
  }
}

TEST_F(ColourSchemeTest, ClickPicksThePointAndDoubleClickAddsAPointUndoingThePick) {
  SetScheme({{host->ToPixel({200, 10, 10, 255}), 0.0f}, {host->ToPixel({10, 200, 10, 255}), 0.5f}});
  GState.CurrentRgb = {10.0f, 20.0f, 30.0f, 255};
  Click(0.7f, kLeft);
  EXPECT_EQ(host->aPen, (simhost::Rgba{10, 200, 10, 255}));
  Press(0.7f, kLeft, 100);
  Release();
  ASSERT_EQ(Points().size(), 3u);
  EXPECT_EQ(Points()[2].colour, host->ToPixel({10, 20, 30, 255}));
  EXPECT_FLOAT_EQ(Points()[2].position, 0.7f);
  EXPECT_EQ(host->aPen, (simhost::Rgba{10, 20, 30, 255}));
}

TEST_F(ColourSchemeTest, OnlyAPressUnderThreeTenthsOfASecondAfterThePreviousPressIsADoubleClick) {
  struct Case {
    int32_t buttons;
    uint32_t releaseAfter, pressAfter;  // ms from the first press to its release and to the second press
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
    EXPECT_EQ(Scheme().state, c.expectedState) << c.buttons << ", " << c.releaseAfter << ", " << c.pressAfter;
    Release();
  }
  // Across the clock wrapping around, a second apart is still a second.
  clock_ = 0x7fffff00;
  Click(0.5f, kLeft, 0);
  Press(0.5f, kLeft, 1000);
  EXPECT_EQ(Scheme().state, 1);
  Release();
}

TEST_F(ColourSchemeTest, NoNinthPointAndNoDeletingTheLastOne) {
  std::vector<SchemePoint> eight;
  for (int i = 0; i < 8; ++i) eight.push_back({0xFF000000u + static_cast<Pixel>(i), i / 8.0f});
  SetScheme(eight);
  Click(0.6f, kLeft);
  Press(0.6f, kLeft, 100);
  Release();
  ExpectPoints(eight, "ninth");

  SetScheme({kThreePoints[0], kThreePoints[2]});
  for (int i = 0; i < 2; ++i) {
    Click(0.9f, kRight);
    Press(0.9f, kRight, 100);
    Release();
  }
  ExpectPoints({kThreePoints[0]}, "last point");
}

TEST_F(ColourSchemeTest, SegmentMovesSwapNeighboursAndKeepTheirLengths) {
  SetScheme(kThreePoints);
  const Pixel a = kThreePoints[0].colour, b = kThreePoints[1].colour, c = kThreePoints[2].colour;
  Click(0.5f, kLeft);
  Press(0.5f, kLeft, 100);
  Drag(0.85f);  // B's segment [0.4, 0.7) passes the end
  ExpectPoints({{a, 0.0f}, {c, 0.4f}, {b, 0.7f}}, "B right of C", 1e-6f);
  Drag(0.3f);
  ExpectPoints(kThreePoints, "back", 1e-6f);
  Release();
  // The second segment moved left starts the slider.
  Click(0.5f, kLeft);
  Press(0.5f, kLeft, 100);
  Drag(0.05f);
  ExpectPoints({{b, 0.0f}, {a, 0.3f}, {c, 0.7f}}, "B first", 1e-6f);
  Release();
  EXPECT_EQ(Scheme().modified, 1);
}

}  // namespace
