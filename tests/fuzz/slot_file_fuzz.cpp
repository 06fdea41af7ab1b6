// Fuzz target: the colour-scheme slot file, loaded from any values, saved
// and loaded again. The process runs in a comma-decimal locale.
//
// Properties: a load takes exactly what the C library reads from the values
// ("%d" for the count, an unsigned 32-bit colour and a position in 0..1 for
// each point) or, when a point is unreadable, shows one message and leaves
// the scheme as it was; a save writes "%lu %.4f" as printf does in the "C"
// locale; the saved scheme loads back to the same colours and the positions
// rounded to four decimals (colours opaque), and saving that writes the same
// file.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "fuzz_support.h"
#include "store/colour_scheme.h"
#include "support/plugin_holdings.h"

namespace {

constexpr int kMaxPoints = 8;
constexpr size_t kValueText = 255;  // a value read into 256 bytes
constexpr Pixel kOpaque = 0xFF000000u;
const char kPath[] = ".\\ColourScheme.cfg";  // the stand-in host's plug-in directory is "."

struct Point {
  Pixel colour;
  float position;
};

std::string Section(int32_t slot) { return "slot_" + std::to_string(slot); }

// A point as the reading should take it; false when unreadable.
bool ReferencePoint(const std::string& text, Point* point) {
  if (text == "-1 0") return false;  // what a missing key reads as
  size_t at = 0;
  while (at < text.size() && std::strchr(" \t\n\v\f\r", text[at])) ++at;
  if (at >= text.size() || text[at] < '0' || text[at] > '9') return false;
  uint64_t colour = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    colour = colour * 10 + static_cast<uint64_t>(text[at] - '0');
    if (colour > 0xFFFFFFFFull) return false;
    ++at;
  }
  // A decimal comma right after the position's digits stands for the point;
  // a finite position off the slider is moved onto it; -1 is a missing point.
  std::string rest = text.substr(at);
  size_t comma = 0;
  while (comma < rest.size() && (rest[comma] == ' ' || rest[comma] == '\t')) ++comma;
  if (comma < rest.size() && (rest[comma] == '-' || rest[comma] == '+')) ++comma;
  while (comma < rest.size() && rest[comma] >= '0' && rest[comma] <= '9') ++comma;
  if (comma + 1 < rest.size() && rest[comma] == ',' && rest[comma + 1] >= '0' && rest[comma + 1] <= '9') rest[comma] = '.';
  size_t consumed = 0;
  float position = ReferenceFloat(rest, &consumed);
  if (consumed == 0 || !std::isfinite(position) || position == -1.0f) return false;
  position = position < 0.0f ? 0.0f : position > 1.0f ? 1.0f : position;
  point->colour = static_cast<Pixel>(colour) | kOpaque;
  point->position = position == 0.0f ? 0.0f : position;
  return true;
}

std::vector<Point> UsedPoints() {
  std::vector<Point> points;
  for (const ColourSchemePoint& point : GState.ColourScheme.points) {
    if (point.used) points.push_back({point.colour, point.position});
  }
  return points;
}

std::vector<Point> SortedPoints() {
  SortColourScheme();
  std::vector<Point> points;
  for (int32_t i = 0; i < GState.ColourScheme.count; ++i) {
    points.push_back({GState.ColourScheme.sorted[static_cast<size_t>(i)]->colour,
                      GState.ColourScheme.sorted[static_cast<size_t>(i)]->position});
  }
  return points;
}

bool Same(const std::vector<Point>& a, const std::vector<Point>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].colour != b[i].colour || BitsOfFloat(a[i].position) != BitsOfFloat(b[i].position)) return false;
  }
  return true;
}

// The slot's values as the file now holds them: the count, then the points.
std::vector<std::string> FileValues(const simhost::SimHost& host, int32_t slot) {
  std::vector<std::string> values;
  values.push_back(host.ConfigFileValue(kPath, Section(slot), "pointCount").value_or("<none>"));
  for (int i = 0; i < kMaxPoints; ++i) {
    const auto value = host.ConfigFileValue(kPath, Section(slot), "csP_" + std::to_string(i));
    if (value) values.push_back(*value);
  }
  return values;
}

void CheckHostClean(const simhost::SimHost& host) {
  FUZZ_CHECK(host.Faults().empty(), "host fault: " + host.Faults().front());
  const std::string holdings = CheckPluginHoldings(host);
  FUZZ_CHECK(holdings.empty(), holdings);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int32_t slot = input.ConsumeIntegralInRange<int32_t>(0, 5);
  const Pixel base = input.ConsumeIntegral<uint32_t>();
  const bool hasCount = input.ConsumeBool();
  const std::string countText = input.ConsumeRandomLengthString(40);
  std::vector<std::pair<bool, std::string>> pointTexts;
  for (int i = 0; i < kMaxPoints + 1; ++i) {
    const bool present = input.ConsumeBool();
    pointTexts.emplace_back(present, input.ConsumeRandomLengthString(300));
  }

  std::unique_ptr<simhost::SimHost> host = MakeFuzzHost();
  PluginContext* context = host->Context();
  if (hasCount) host->SetConfigFileValue(kPath, Section(slot), "pointCount", countText);
  for (size_t i = 0; i < pointTexts.size(); ++i) {
    if (pointTexts[i].first) {
      host->SetConfigFileValue(kPath, Section(slot), "csP_" + std::to_string(i), pointTexts[i].second);
    }
  }

  // Load.
  GState.BasePixel = base;
  InitColourScheme(context);  // slot 0
  if (slot != 0) {
    GState.ColourScheme.slot = slot;
    LoadColourSchemeSlot(context);
  }
  const int32_t count = ReferenceInt(hasCount ? countText.substr(0, kValueText) : std::string("0"));
  const int32_t toRead = count < 0 ? 0 : count > kMaxPoints ? kMaxPoints : count;
  std::vector<Point> expected = {{base, 0.0f}};
  bool failed = false;
  if (toRead > 0) {
    std::vector<Point> read;
    for (int32_t i = 0; i < toRead && !failed; ++i) {
      const auto& [present, text] = pointTexts[static_cast<size_t>(i)];
      Point point{};
      failed = !ReferencePoint(present ? BoundedText(text.c_str(), kValueText) : std::string("-1 0"), &point);
      read.push_back(point);
    }
    if (!failed) expected = read;
  }
  FUZZ_CHECK(Same(UsedPoints(), expected), "points after the load");
  FUZZ_CHECK(host->Messages().size() == (failed ? 1u : 0u), "a message exactly when a point is unreadable");
  CheckHostClean(*host);

  // Save: "%lu %.4f" of the points in slider order.
  const std::vector<Point> saved = SortedPoints();
  if (failed) {
    // A slot that could not be read keeps what it holds until the artist edits.
    const std::vector<std::string> before = FileValues(*host, slot);
    SaveColourSchemeSlot(context);
    FUZZ_CHECK(FileValues(*host, slot) == before, "an unread slot saved over without an edit");
  }
  GState.ColourScheme.modified = 1;
  GState.ColourScheme.fromOtherSlot = 0;  // the artist's edit
  SaveColourSchemeSlot(context);
  FUZZ_CHECK(GState.ColourScheme.modified == 0, "saving clears the modified flag");
  const std::vector<std::string> written = FileValues(*host, slot);
  FUZZ_CHECK(written[0] == std::to_string(saved.size()), "point count written " + written[0]);
  std::vector<Point> rounded;
  for (size_t i = 0; i < saved.size(); ++i) {
    const std::string expectedText =
        ReferenceFormat("%lu %.4f", static_cast<unsigned long>(saved[i].colour), static_cast<double>(saved[i].position));
    FUZZ_CHECK(i + 1 < written.size() && written[i + 1] == expectedText, "point written " + expectedText);
    Point point{};
    FUZZ_CHECK(ReferencePoint(expectedText, &point), "a written point must read back " + expectedText);
    rounded.push_back(point);
  }

  // Load again into a fresh plug-in, and save once more.
  ResetPluginState();
  GState.BasePixel = ~base;
  InitColourScheme(context);
  if (slot != 0) {
    GState.ColourScheme.slot = slot;
    LoadColourSchemeSlot(context);
  }
  FUZZ_CHECK(Same(SortedPoints(), rounded), "the saved scheme loads back");
  GState.ColourScheme.modified = 1;
  SaveColourSchemeSlot(context);
  const std::vector<std::string> rewritten = FileValues(*host, slot);
  FUZZ_CHECK(rewritten.size() >= saved.size() + 1, "points lost on the second save");
  FUZZ_CHECK(rewritten[0] == written[0], "second save's count differs: " + rewritten[0]);
  for (size_t i = 0; i < rounded.size(); ++i) {
    // The same, but that colours load opaque.
    const std::string expectedText = ReferenceFormat("%lu %.4f", static_cast<unsigned long>(rounded[i].colour),
                                                     static_cast<double>(rounded[i].position));
    FUZZ_CHECK(rewritten[i + 1] == expectedText, "second save differs: " + rewritten[i + 1]);
    if ((saved[i].colour & kOpaque) == kOpaque) FUZZ_CHECK(rewritten[i + 1] == written[i + 1], "not stable");
  }
  CheckHostClean(*host);
  return 0;
}
