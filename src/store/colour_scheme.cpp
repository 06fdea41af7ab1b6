// Tintwell store: colour schemes of the palette slider, their slot file and
// the press / drag / release editing of the slider.
//
// The slot file is a host settings file "<plug-in directory>\ColourScheme.cfg"
// shared by all projects, one section per slot:
//   [slot_N]  pointCount = "%d"
//             csP_i      = "%lu %.4f"   colour as an unsigned 32-bit Pixel,
//                                        position 0..1, in ascending position
//
// Editing gestures (GState.ColourScheme.state); "quick" means the press came
// less than 0.3 s after the previous press:
//   press                     state  drag                       release
//   left                      1      > 0.02 away: boundary (6)  pick the point's colour
//   right                     2      >= 0.2 away: switch (7)    point takes the current colour
//   left, quick               3      segment moves (4)          add a point, undo the pick
//   right, quick              5      >= 0.2 away: copy (8)      delete the point
// Every release returns to 0 (idle).
//
// Sections:
//   helpers        limits, the pointer, the selected point, quick presses, the slot under a drag
//   slot file      its path, reading a value and a point, failure messages
//   edits          what a gesture does to the points (boundaries, swaps, segments, adding, deleting)
//   clock          the millisecond clock of the double-click timing, and its test hook
//   load and save  the first load, loading a slot, saving one with every write read back
//   sorting        the used points by position
//   gestures       press, drag and release on the slider
#include "store/colour_scheme.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "colour/colour_models.h"
#include "colour/current_colour.h"
#include "host/host_calls.h"
#include "host/host_commands.h"
#include "core/plugin_state.h"
#include "core/text_numbers.h"
#include "store/scheme_slot_writes.h"

namespace {

// ---------------------------------------------------------------- helpers

constexpr int32_t kMaxPoints = 8;
constexpr float kMinBoundaryGap = 0.02f;     // closest two boundaries may be dragged together
constexpr float kMaxBoundary = 0.98f;        // a dragged boundary stays left of this
constexpr float kBoundaryDragStart = 0.02f;  // pointer travel that turns a click into a boundary drag
constexpr float kSlotDragStart = 0.1f;       // pointer travel before a right drag may switch slots
constexpr float kSlotsPerSlider = 5.0f;      // one slot per fifth of the slider
constexpr int32_t kSlotCycle = 5;
constexpr int32_t kDoubleClickMilliseconds = 300;
constexpr Pixel kOpaqueTopByte = 0xFF000000u;  // stored colours always load opaque in their top byte

// Editing states, as ColourSchemeState::state holds them.
enum EditState : int32_t {
  kStateIdle,
  kStateClick,        // left press, may become a boundary drag
  kStateRightClick,   // right press, may become a slot switch
  kStateDoubleClick,  // second left press, may become a segment move
  kStateSegmentMove,
  kStateRightDouble,  // second right press, may become a slot copy
  kStateBoundaryDrag,
  kStateSlotSwitch,
  kStateSlotCopy,
};

constexpr const char kSchemeFileName[] = "ColourScheme";
constexpr const char kPathFormat[] = "%.1000s\\%.256s.cfg";
constexpr const char kSectionFormat[] = "slot_%d";
constexpr const char kCountKey[] = "pointCount";
constexpr const char kPointKeyFormat[] = "csP_%d";
constexpr const char kMissingPoint[] = "-1 0";  // what a missing point key reads as
// A save that fails while the artist works: the scheme stays on show and
// modified, and the next slot switch or closing tries again.
constexpr const char kSaveFailedFormat[] =
    "Oh no!\nTintwell tried to save the\ncolourscheme for this project\nbut could not write slot %d\n\n"
    "Your changes stay on show and are\nsaved again at the next slot\nswitch or when Tintwell closes.\n\n"
    "Check that %s can be written.\n\n- orvik";
// The save at closing is the last: what it could not write is gone.
constexpr const char kCloseSaveFailedFormat[] =
    "Oh no!\nTintwell tried to save the\ncolourscheme for this project\nbut could not write slot %d\n\n"
    "Your last changes to it could\nnot be kept.\n\nCheck that %s can be written.\n\n- orvik";
constexpr const char kLoadFailedFormat[] =
    "Oh no!\nTintwell tried to load the\ncolourscheme for this project\nbut failed on swatch\n\n%d out of "
    "%d\n\nPost your %s file on the TVP\nForums and maybe I can fix it.\n\n- orvik";

// Settings strings are read into 256 bytes.
constexpr int kValueSize = 256;
constexpr int kPositionDecimals = 4;  // as "%.4f" writes
// Directory cut to 1000 bytes, a backslash, the name cut to 256, ".cfg", NUL.
constexpr int kPathSize = 1000 + 1 + 256 + 4 + 1;
constexpr int kMessageSize = kPathSize + 256;

// A test hook (SetTestClock, ClearTestClock): the clock the double-click
// timing reads while fixed. The plug-in itself never sets it, so it is kept
// apart from GState, which holds the plug-in's own state.
struct TestClock {
  bool fixed = false;
  int32_t milliseconds = 0;
};
TestClock gTestClock;

// The slider position the panel stored, kept inside 0..1 whatever it holds.
float PointerPosition() {
  const float pointer = GState.ColourScheme.pointerPos;
  if (!(pointer >= 0.0f)) return 0.0f;  // also catches NaN
  return pointer > 1.0f ? 1.0f : pointer;
}

float Clamp01(float value) {
  if (!(value >= 0.0f)) return 0.0f;
  return value > 1.0f ? 1.0f : value;
}

ColourSchemePoint* SelectedPoint() {
  ColourSchemeState& scheme = GState.ColourScheme;
  if (scheme.selected < 0 || scheme.selected >= scheme.count || scheme.selected >= kMaxPoints) return nullptr;
  return scheme.sorted[scheme.selected];
}

// Position where the segment of sorted entry i ends: the next point, or the
// right end of the slider.
float SegmentEnd(const ColourSchemeState& scheme, int32_t i) {
  return i + 1 < scheme.count ? scheme.sorted[i + 1]->position : 1.0f;
}

// Difference of two clock readings, safe across the clock wrapping around.
int32_t ElapsedMilliseconds(int32_t from, int32_t to) {
  return static_cast<int32_t>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
}

// This press comes less than 0.3 s after the press the last release ended.
bool IsQuickPress(const ColourSchemeState& scheme) {
  const int32_t elapsed = ElapsedMilliseconds(scheme.releaseTime, scheme.pressTime);
  return elapsed >= 0 && elapsed < kDoubleClickMilliseconds;
}

// The sorted entry at or left of the pointer; -1 for an empty scheme.
int32_t SelectAt(const ColourSchemeState& scheme, float pointer) {
  if (scheme.count < 1 || scheme.count > kMaxPoints || !scheme.sorted[0]) return -1;
  int32_t selected = 0;
  for (int32_t i = 1; i < scheme.count; ++i) {
    const float position = scheme.sorted[i]->position;
    if (position > pointer) break;
    if (pointer > position && position > scheme.sorted[selected]->position) selected = i;
  }
  return selected;
}

// Slot a right drag points at: one slot per fifth of the slider from the
// slot the drag started on, cycling through 0..4 to the right; to the left
// a whole turn lands on 5.
int32_t SlotUnderDrag(const ColourSchemeState& scheme, float pointer) {
  const int32_t steps = static_cast<int32_t>((pointer - scheme.pressPos) * kSlotsPerSlider);
  const int32_t c = scheme.dragStartSlot + steps;
  return c >= 0 ? c % kSlotCycle : kSlotCycle - ((-c) % kSlotCycle);
}

// ---------------------------------------------------------------- slot file

// Builds the slot file's path from the host's plug-in directory. False when
// the host names no directory.
bool BuildSchemePath(PluginContext* context, char (&path)[kPathSize]) {
  char reply[kReplySize];
  AskHost(context, "tv_GetPath PLUGIN", reply);
  if (reply[0] == '\0') return false;
  std::snprintf(path, kPathSize, kPathFormat, reply, kSchemeFileName);
  return true;
}

void ReadValue(PluginContext* context, HostWord file, const char* section, const char* key,
               const char* defaultText, char (&value)[kValueSize]) {
  value[0] = '\0';
  HostReadConfigString(context, file, section, key, value, defaultText, kValueSize);
  value[kValueSize - 1] = '\0';
}

// Reads "colour position" as stored: an unsigned 32-bit decimal colour, then
// a position. False for a missing key, text that does not scan, a colour
// wider than 32 bits, a position that is not a finite number, or -1 (what a
// missing point reads as). A decimal comma ("0,5", written by hand or by a
// tool in a comma locale) means the point it stands for; a position outside
// 0..1 is taken to the nearer end, where the artist can see and move it.
bool ParsePoint(const char* text, size_t size, Pixel* colour, float* position) {
  if (std::strncmp(text, kMissingPoint, size) == 0) return false;
  char copy[kValueSize];
  const size_t limit = size < sizeof copy ? size : sizeof copy - 1;
  size_t length = 0;
  while (length < limit && text[length]) ++length;
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  TextCursor cursor{copy, length + 1, 0};
  cursor.SkipSpace();
  if (!IsDigit(cursor.Peek())) return false;
  uint64_t value = 0;
  while (IsDigit(cursor.Peek())) {
    value = value * 10 + static_cast<uint64_t>(cursor.Peek() - '0');
    if (value > 0xFFFFFFFFull) return false;
    ++cursor.pos;
  }
  size_t comma = cursor.pos;
  while (comma < length && (copy[comma] == ' ' || copy[comma] == '\t')) ++comma;
  if (comma < length && (copy[comma] == '-' || copy[comma] == '+')) ++comma;
  while (comma < length && IsDigit(copy[comma])) ++comma;
  if (comma + 1 < length && copy[comma] == ',' && IsDigit(copy[comma + 1])) copy[comma] = '.';
  // The position is read the same whatever the host process's locale, and
  // rounded once, straight to a float, as "%f" scans it.
  float read = 0.0f;
  if (!ScanFloat(cursor, &read)) return false;
  if (!std::isfinite(read) || read == -1.0f) return false;
  read = Clamp01(read);
  *colour = static_cast<Pixel>(value);
  *position = read == 0.0f ? 0.0f : read;  // no -0
  return true;
}

// Said once until a save succeeds; the closing save says what it lost even
// when an earlier failure was told, since that one promised another try.
void ShowSaveFailure(PluginContext* context, int32_t slot, const char* path, SchemeSaveMoment moment) {
  ColourSchemeState& scheme = GState.ColourScheme;
  const bool closing = moment == SchemeSaveMoment::kClosing;
  if (scheme.saveFailureShown && !closing) return;
  scheme.saveFailureShown = 1;
  char message[kMessageSize];
  std::snprintf(message, sizeof message, closing ? kCloseSaveFailedFormat : kSaveFailedFormat, slot,
                path[0] ? path : "ColourScheme.cfg");
  HostMessage(context, message);
}

void ShowLoadFailure(PluginContext* context, int32_t failingPoint, int32_t pointCount, const char* path) {
  char message[kMessageSize];
  std::snprintf(message, sizeof message, kLoadFailedFormat, failingPoint, pointCount, path);
  HostMessage(context, message);
}

// ---------------------------------------------------------------- edits

// Adds to what the gesture being handled needs redrawn (each gesture entry
// point keeps its own, starting from nothing); the larger need wins.
void NeedRedraw(SchemeRedraw* redraw, SchemeRedraw need) {
  if (static_cast<int32_t>(need) > static_cast<int32_t>(*redraw)) *redraw = need;
}

// An edit makes the scheme on show the current slot's, whatever slot its
// points were loaded from: only the artist's edit may replace a slot that
// could not be read.
void MarkEdited(ColourSchemeState& scheme) {
  scheme.modified = 1;
  scheme.fromOtherSlot = 0;
}

// Boundary drag: moves the boundary right of the selected segment (the last
// point's own boundary when the last segment is selected) to target, at least
// kMinBoundaryGap from its neighbours and not beyond kMaxBoundary; when those
// limits cross, the lower one wins, but the point never passes its right
// neighbour or the end of the slider.
void MoveBoundary(ColourSchemeState& scheme, float target, SchemeRedraw* redraw) {
  const int32_t s = scheme.selected;
  const int32_t n = scheme.count;
  ColourSchemePoint* moved;
  float low;
  float high;
  float ceiling;
  if (s < n - 2) {
    moved = scheme.sorted[s + 1];
    low = scheme.sorted[s]->position + kMinBoundaryGap;
    high = scheme.sorted[s + 2]->position - kMinBoundaryGap;
    ceiling = scheme.sorted[s + 2]->position;
  } else if (s < n - 1) {
    moved = scheme.sorted[s + 1];
    low = scheme.sorted[s]->position + kMinBoundaryGap;
    high = kMaxBoundary;
    ceiling = 1.0f;
  } else if (s > 0) {
    moved = scheme.sorted[s];
    low = scheme.sorted[s - 1]->position + kMinBoundaryGap;
    high = kMaxBoundary;
    ceiling = 1.0f;
  } else {
    return;
  }
  float position = target;
  if (position > high) position = high;
  if (position < low) position = low;
  if (position > ceiling) position = ceiling;
  moved->position = Clamp01(position);
  MarkEdited(scheme);
  // The slider shows the boundary where the pointer has it, as the drag goes.
  NeedRedraw(redraw, SchemeRedraw::kSwatch);
}

// The selected segment trades places with the one on its left; both keep
// their lengths.
void SwapLeft(ColourSchemeState& scheme, SchemeRedraw* redraw) {
  const int32_t s = scheme.selected;
  ColourSchemePoint* selected = scheme.sorted[s];
  ColourSchemePoint* previous = scheme.sorted[s - 1];
  const float width = SegmentEnd(scheme, s) - selected->position;
  selected->position = s == 1 ? 0.0f : previous->position;
  previous->position = Clamp01(previous->position + width);
  scheme.selected = s - 1;
  scheme.needsSort = 1;
  MarkEdited(scheme);
  SortColourScheme();
  NeedRedraw(redraw, SchemeRedraw::kSwatch);
}

// The selected segment trades places with the one on its right.
void SwapRight(ColourSchemeState& scheme, SchemeRedraw* redraw) {
  const int32_t s = scheme.selected;
  ColourSchemePoint* selected = scheme.sorted[s];
  ColourSchemePoint* next = scheme.sorted[s + 1];
  const float width = SegmentEnd(scheme, s + 1) - next->position;
  next->position = selected->position;
  selected->position = Clamp01(selected->position + width);
  scheme.selected = s + 1;
  scheme.needsSort = 1;
  MarkEdited(scheme);
  SortColourScheme();
  NeedRedraw(redraw, SchemeRedraw::kSwatch);
}

// Segment move: once the dragged segment's left edge passes the previous
// point, or its right edge passes the next boundary, the neighbours swap.
void MoveSegment(ColourSchemeState& scheme, float pointer, SchemeRedraw* redraw) {
  const int32_t s = scheme.selected;
  if (s > 0 && pointer + scheme.gapLeft < scheme.sorted[s - 1]->position) {
    scheme.state = kStateSegmentMove;
    SwapLeft(scheme, redraw);
  } else if (s < scheme.count - 1 && SegmentEnd(scheme, s + 1) < pointer + scheme.gapRight) {
    scheme.state = kStateSegmentMove;
    SwapRight(scheme, redraw);
  }
}

void AddPoint(ColourSchemeState& scheme, float pointer) {
  if (scheme.count >= kMaxPoints) return;
  for (ColourSchemePoint& point : scheme.points) {
    if (point.used) continue;
    point.used = 1;
    point.position = pointer;
    point.colour = scheme.spareColour;
    scheme.needsSort = 1;
    MarkEdited(scheme);
    SortColourScheme();
    return;
  }
}

void DeleteSelectedPoint(ColourSchemeState& scheme, SchemeRedraw* redraw) {
  ColourSchemePoint* point = SelectedPoint();
  if (scheme.count < 2 || !point) return;
  point->used = 0;
  scheme.needsSort = 1;
  MarkEdited(scheme);
  SortColourScheme();
  NeedRedraw(redraw, SchemeRedraw::kSwatch);
}

}  // namespace

// ---------------------------------------------------------------- clock

int32_t ClockMilliseconds() {
  if (gTestClock.fixed) return gTestClock.milliseconds;
#if defined(_WIN32)
  // The C runtime's clock counts milliseconds of wall time since the process
  // started (CLOCKS_PER_SEC is 1000 there).
  return static_cast<int32_t>(std::clock() / (CLOCKS_PER_SEC / 1000));
#else
  // clock() is processor time elsewhere; a monotonic clock keeps double
  // clicks measured in real time.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t milliseconds =
      static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<int32_t>(static_cast<uint32_t>(milliseconds));
#endif
}

void SetTestClock(int32_t milliseconds) {
  gTestClock.fixed = true;
  gTestClock.milliseconds = milliseconds;
}

void ClearTestClock() { gTestClock.fixed = false; }

// ---------------------------------------------------------------- load and save

void InitColourScheme(PluginContext* context) {
  ColourSchemeState& scheme = GState.ColourScheme;
  scheme.pressTime = ClockMilliseconds();
  scheme.releaseTime = scheme.pressTime;
  scheme.selected = -1;
  scheme.state = kStateIdle;
  scheme.needsSort = 1;
  scheme.modified = 0;
  scheme.count = 1;
  scheme.slot = 0;
  scheme.fromOtherSlot = 0;
  scheme.saveFailureShown = 0;
  scheme.dragStartSlot = 0;
  for (int32_t k = 0; k < kMaxPoints; ++k) {
    ColourSchemePoint& point = scheme.points[k];
    point.used = k == 0 ? 1 : 0;
    point.position = static_cast<float>(k) / kMaxPoints;
    point.index = k;
    point.colour = GState.BasePixel;
    scheme.sorted[k] = &point;
  }
  LoadColourSchemeSlot(context);
}

void LoadColourSchemeSlot(PluginContext* context) {
  ColourSchemeState& scheme = GState.ColourScheme;
  // Until the slot is read whole, the points on show are another slot's.
  scheme.fromOtherSlot = 1;
  char path[kPathSize];
  if (!BuildSchemePath(context, path)) return;
  const HostWord file = HostOpenConfigFile(context, path);
  if (!file) return;

  char section[32];
  std::snprintf(section, sizeof section, kSectionFormat, scheme.slot);
  char value[kValueSize];
  ReadValue(context, file, section, kCountKey, "0", value);
  int32_t pointCount = 0;
  ScanIntegers(value, sizeof value, &pointCount, 1);
  // A scheme holds at most eight points; a negative count means none.
  const int32_t toRead = pointCount < 0 ? 0 : (pointCount > kMaxPoints ? kMaxPoints : pointCount);
  if (toRead == 0) {
    // An empty slot: nothing in it to keep, the points on show may go there.
    HostCloseConfigFile(context, file);
    scheme.fromOtherSlot = 0;
    return;
  }

  // Read everything first: a bad point leaves the scheme in memory whole.
  Pixel colours[kMaxPoints];
  float positions[kMaxPoints];
  for (int32_t i = 0; i < toRead; ++i) {
    char key[32];
    std::snprintf(key, sizeof key, kPointKeyFormat, i);
    ReadValue(context, file, section, key, kMissingPoint, value);
    if (!ParsePoint(value, sizeof value, &colours[i], &positions[i])) {
      ShowLoadFailure(context, i + 1, pointCount, path);
      HostCloseConfigFile(context, file);
      return;
    }
  }
  HostCloseConfigFile(context, file);

  for (int32_t i = 0; i < kMaxPoints; ++i) {
    ColourSchemePoint& point = scheme.points[i];
    point.used = i < toRead ? 1 : 0;
    if (!point.used) continue;
    point.position = positions[i];
    point.colour = colours[i] | kOpaqueTopByte;
  }
  scheme.count = toRead;
  scheme.needsSort = 1;
  scheme.modified = 0;
  scheme.fromOtherSlot = 0;
}

namespace {

// Writes one key and reads it back: the host's answer to a write means
// nothing, so only the text read back tells whether it landed.
bool WriteAndCheck(PluginContext* context, HostWord file, const char* section, const SlotWrite& write) {
  char key[32];
  if (write.key == kSlotCountKey) {
    std::snprintf(key, sizeof key, "%s", kCountKey);
  } else {
    std::snprintf(key, sizeof key, kPointKeyFormat, write.key);
  }
  HostWriteConfigString(context, file, section, key, write.value);
  char value[kValueSize];
  ReadValue(context, file, section, key, "", value);
  return std::strncmp(value, write.value, sizeof value) == 0;
}

// What a stored text loads as, spelt as the save spells it: the colour with
// its top byte set, the position to four decimals; a text that does not load
// stands for itself.
void LoadsAs(const char* text, char (&loadsAs)[kSlotValueSize]) {
  Pixel colour = 0;
  float position = 0.0f;
  if (!ParsePoint(text, kSlotValueSize, &colour, &position)) {
    std::snprintf(loadsAs, sizeof loadsAs, "%s", text);
    return;
  }
  char decimals[32];
  FormatFixed(position, kPositionDecimals, decimals, sizeof decimals);
  std::snprintf(loadsAs, sizeof loadsAs, "%lu %s", static_cast<unsigned long>(colour | kOpaqueTopByte), decimals);
}

// The slot as the file holds it now is `points` (and no more), as written.
bool SlotHolds(PluginContext* context, HostWord file, const char* section, const SlotPointText* points,
               int32_t count) {
  char value[kValueSize];
  ReadValue(context, file, section, kCountKey, "", value);
  int32_t stored = -1;
  if (ScanIntegers(value, sizeof value, &stored, 1) < 1 || stored != count) return false;
  for (int32_t i = 0; i < count; ++i) {
    char key[32];
    std::snprintf(key, sizeof key, kPointKeyFormat, i);
    ReadValue(context, file, section, key, kMissingPoint, value);
    if (std::strncmp(value, points[i].text, kSlotValueSize) != 0) return false;
  }
  return true;
}

}  // namespace

bool SaveColourSchemeSlot(PluginContext* context, SchemeSaveMoment moment) {
  ColourSchemeState& scheme = GState.ColourScheme;
  // Write what the user sees, even when the points changed since the last
  // drawing, into the slot these points belong to.
  SortColourScheme();
  const int32_t slot = scheme.slot;
  // Another slot's points, unedited: the slot keeps what it holds.
  if (scheme.fromOtherSlot) return true;
  char path[kPathSize];
  if (!BuildSchemePath(context, path)) {
    path[0] = '\0';
    ShowSaveFailure(context, slot, path, moment);
    return false;
  }
  const HostWord file = HostOpenConfigFile(context, path);
  if (!file) {
    ShowSaveFailure(context, slot, path, moment);
    return false;
  }

  // The new points as the file stores them: "%lu %.4f", with "." as the
  // decimal point whatever the locale.
  SlotPointText points[kMaxPoints];
  int32_t pointCount = 0;
  for (int32_t i = 0; i < scheme.count && i < kMaxPoints; ++i) {
    const ColourSchemePoint* point = scheme.sorted[i];
    if (!point || !point->used) continue;
    char position[32];
    FormatFixed(point->position, kPositionDecimals, position, sizeof position);
    SlotPointText& text = points[pointCount++];
    std::snprintf(text.text, sizeof text.text, "%lu %s", static_cast<unsigned long>(point->colour), position);
    LoadsAs(text.text, text.loadsAs);
  }

  // What the slot holds now, so the writes can keep it loadable as the old
  // scheme, the new one or both at every step.
  char section[32];
  std::snprintf(section, sizeof section, kSectionFormat, slot);
  char value[kValueSize];
  ReadValue(context, file, section, kCountKey, "0", value);
  int32_t storedCount = 0;
  ScanIntegers(value, sizeof value, &storedCount, 1);
  SlotPointText stored[kMaxPoints];
  for (int32_t i = 0; i < storedCount && i < kMaxPoints; ++i) {
    char key[32];
    std::snprintf(key, sizeof key, kPointKeyFormat, i);
    ReadValue(context, file, section, key, kMissingPoint, value);
    std::snprintf(stored[i].text, sizeof stored[i].text, "%s", value);
    LoadsAs(stored[i].text, stored[i].loadsAs);
  }

  SlotWritePlan plan;
  PlanSlotWrites(stored, storedCount, points, pointCount, &plan);
  // The first write that does not land ends the save: the slot is then
  // still the old scheme, the new one or both, and the scheme stays
  // modified for the next try.
  bool saved = true;
  for (int32_t i = 0; i < plan.count && saved; ++i) saved = WriteAndCheck(context, file, section, plan.writes[i]);
  if (saved) saved = SlotHolds(context, file, section, points, pointCount);
  HostCloseConfigFile(context, file);
  if (!saved) {
    ShowSaveFailure(context, slot, path, moment);
    return false;
  }
  scheme.modified = 0;
  scheme.saveFailureShown = 0;
  return true;
}

// ---------------------------------------------------------------- sorting

void SortColourScheme() {
  ColourSchemeState& scheme = GState.ColourScheme;
  if (!scheme.needsSort) return;
  int32_t count = 0;
  for (ColourSchemePoint& point : scheme.points) {
    if (point.used) scheme.sorted[count++] = &point;
  }
  if (count == 0) {
    // A scheme always keeps one point.
    scheme.points[0].used = 1;
    scheme.sorted[count++] = &scheme.points[0];
  }
  // Unused points fill the rest, so no entry is ever left dangling.
  int32_t filled = count;
  for (ColourSchemePoint& point : scheme.points) {
    if (!point.used) scheme.sorted[filled++] = &point;
  }
  scheme.count = count;
  if (count < 2) {
    scheme.sorted[0]->position = 0.0f;
  } else {
    // Exchange sort on strictly greater: equal positions keep index order.
    for (int32_t pass = 0; pass < count - 1; ++pass) {
      for (int32_t i = 0; i < count - 1 - pass; ++i) {
        if (scheme.sorted[i]->position > scheme.sorted[i + 1]->position) {
          ColourSchemePoint* swap = scheme.sorted[i];
          scheme.sorted[i] = scheme.sorted[i + 1];
          scheme.sorted[i + 1] = swap;
        }
      }
    }
  }
  scheme.needsSort = 0;
}

// ---------------------------------------------------------------- gestures

SchemeRedraw ColourSchemePress(PluginContext*, int32_t buttons) {
  SchemeRedraw redraw = SchemeRedraw::kNone;
  ColourSchemeState& scheme = GState.ColourScheme;
  SortColourScheme();
  const float pointer = PointerPosition();
  scheme.selected = SelectAt(scheme, pointer);
  if (scheme.state != kStateIdle) return redraw;
  scheme.pressTime = ClockMilliseconds();
  const bool quick = IsQuickPress(scheme);
  const bool left = (buttons & kSchemeButtonLeft) != 0;
  const bool right = (buttons & kSchemeButtonRight) != 0;

  if (quick && left) {
    scheme.state = kStateDoubleClick;
    scheme.pressPos = pointer;
  } else if (!quick && right) {
    scheme.state = kStateRightClick;
    scheme.pressPos = pointer;
    scheme.dragStartSlot = scheme.slot;
  } else if (quick && right) {
    scheme.state = kStateRightDouble;
    // A copy drag counts its slots from here, like a switch drag does.
    scheme.pressPos = pointer;
    scheme.dragStartSlot = scheme.slot;
    // Undo the colour the first click gave the point.
    if (ColourSchemePoint* point = SelectedPoint()) point->colour = scheme.spareColour;
    NeedRedraw(&redraw, SchemeRedraw::kSwatch);
  } else if (left) {
    ColourSchemePoint* point = SelectedPoint();
    if (!point) return redraw;
    scheme.pressPos = pointer;
    scheme.state = kStateClick;
    scheme.gapLeft = point->position - pointer;
    scheme.gapRight = SegmentEnd(scheme, scheme.selected) - pointer;
  }
  return redraw;
}

namespace {

// A right drag moves the scheme on show to the slot under it, as the drag
// state given, after saving an edit. False when the slot under the drag is
// the one on show, or when the edit could not be saved: it then stays on
// show under its own slot, as switching would drop it or save it over the
// next slot later.
bool MoveToSlotUnderDrag(PluginContext* context, ColourSchemeState& scheme, float pointer, int32_t dragState,
                         SchemeRedraw* redraw) {
  const int32_t newSlot = SlotUnderDrag(scheme, pointer);
  if (newSlot == scheme.slot) return false;
  scheme.state = dragState;
  if (scheme.modified && !SaveColourSchemeSlot(context)) {
    scheme.state = kStateIdle;
    return false;
  }
  scheme.slot = newSlot;
  NeedRedraw(redraw, SchemeRedraw::kSwatch);
  return true;
}

}  // namespace

SchemeRedraw ColourSchemeDrag(PluginContext* context) {
  SchemeRedraw redraw = SchemeRedraw::kNone;
  ColourSchemeState& scheme = GState.ColourScheme;
  SortColourScheme();
  const float pointer = PointerPosition();
  // Point edits need the selected point; a slot switch may have loaded a
  // scheme with fewer points, which only the switching itself may meet.
  const bool hasSelection = SelectedPoint() != nullptr;

  switch (scheme.state) {
    case kStateClick: {
      if (!hasSelection || !(std::fabs(scheme.pressPos - pointer) > kBoundaryDragStart)) return redraw;
      const int32_t s = scheme.selected;
      const ColourSchemePoint* dragged = nullptr;
      if (s < scheme.count - 1) {
        dragged = scheme.sorted[s + 1];
      } else if (s > 0) {
        dragged = scheme.sorted[s];
      }
      if (!dragged) return redraw;  // a single point has no boundary to drag
      scheme.gapLeft = dragged->position - pointer;
      scheme.state = kStateBoundaryDrag;
      return redraw;
    }
    case kStateBoundaryDrag:
      if (hasSelection) MoveBoundary(scheme, pointer + scheme.gapLeft, &redraw);
      return redraw;
    case kStateRightClick:
    case kStateSlotSwitch:
      if (scheme.state != kStateSlotSwitch && !(std::fabs(scheme.pressPos - pointer) > kSlotDragStart)) return redraw;
      if (MoveToSlotUnderDrag(context, scheme, pointer, kStateSlotSwitch, &redraw)) {
        LoadColourSchemeSlot(context);
        SortColourScheme();
      }
      return redraw;
    case kStateRightDouble:
    case kStateSlotCopy:
      // The scheme on show now belongs to the new slot.
      MoveToSlotUnderDrag(context, scheme, pointer, kStateSlotCopy, &redraw);
      return redraw;
    case kStateDoubleClick:
    case kStateSegmentMove:
      if (hasSelection) MoveSegment(scheme, pointer, &redraw);
      return redraw;
    default:
      return redraw;
  }
  return redraw;
}

SchemeRedraw ColourSchemeRelease(PluginContext* context) {
  SchemeRedraw redraw = SchemeRedraw::kNone;
  ColourSchemeState& scheme = GState.ColourScheme;
  SortColourScheme();
  const int32_t state = scheme.state;
  const bool quick = IsQuickPress(scheme);
  // Back to idle before any host call, so a re-entering call finds it so.
  scheme.state = kStateIdle;
  scheme.releaseTime = scheme.pressTime;

  switch (state) {
    case kStateClick:
      if (ColourSchemePoint* point = SelectedPoint()) {
        // The click picks the point's colour up as the current colour.
        scheme.spareColour = RgbToPixel(context, GState.CurrentRgb);
        SendAPen(context, point->colour);
        NeedRedraw(&redraw, SchemeRedraw::kPanel);
      }
      return redraw;
    case kStateRightClick:
      if (ColourSchemePoint* point = SelectedPoint()) {
        scheme.spareColour = point->colour;
        point->colour = RgbToPixel(context, GState.CurrentRgb);
        MarkEdited(scheme);
        NeedRedraw(&redraw, SchemeRedraw::kSwatch);
      }
      return redraw;
    case kStateDoubleClick:
      if (quick) {
        AddPoint(scheme, PointerPosition());
        // Undo the pick of the first click.
        SendAPen(context, scheme.spareColour);
        NeedRedraw(&redraw, SchemeRedraw::kPanel);
      }
      return redraw;
    case kStateRightDouble:
      if (quick) DeleteSelectedPoint(scheme, &redraw);
      return redraw;
    case kStateSlotCopy:
      MarkEdited(scheme);
      return redraw;
    default:
      return redraw;
  }
  return redraw;
}
