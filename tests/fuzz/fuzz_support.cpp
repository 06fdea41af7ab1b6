// Fuzz targets' shared support.
#include "fuzz_support.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <algorithm>

#include "core/plugin_state.h"
#include "host/host_functions.h"

locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

namespace {

// Leading white space as isspace sees it in the "C" locale, and a sign.
size_t SkipSpaceAndSign(const std::string& text, size_t at) {
  while (at < text.size() && std::strchr(" \t\n\v\f\r", text[at]) && text[at] != '\0') ++at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  return at;
}

bool StartsWithNoCase(const std::string& text, size_t at, const char* word) {
  for (size_t i = 0; word[i]; ++i) {
    if (at + i >= text.size()) return false;
    char c = text[at + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != word[i]) return false;
  }
  return true;
}

}  // namespace

namespace {
const simhost::SimHost* gDialogueHost = nullptr;
}  // namespace

void ShowDialogueOnFinding(const simhost::SimHost* host) { gDialogueHost = host; }

void FuzzFail(const char* file, int line, const std::string& what) {
  const char* lines = std::getenv("TINTWELL_FUZZ_DIALOGUE");
  if (lines && gDialogueHost) {
    const std::vector<std::string> dialogue = gDialogueHost->Dialogue();
    const size_t shown = std::min(dialogue.size(), static_cast<size_t>(std::atoi(lines)));
    for (size_t i = dialogue.size() - shown; i < dialogue.size(); ++i) std::fprintf(stderr, "%s\n", dialogue[i].c_str());
  }
  std::fprintf(stderr, "\n==FINDING== %s:%d: %s\n", file, line, what.c_str());
  std::fflush(stderr);
  std::abort();
}

void UseCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
    if (std::setlocale(LC_ALL, name)) return;
  }
}

std::string BoundedText(const char* text, size_t size) {
  if (!text) return std::string();
  return std::string(text, strnlen(text, size));
}

int32_t ReferenceInt(const std::string& text) {
  int32_t value = 0;
  ReferenceInts(text, &value, 1);
  return value;
}

int ReferenceInts(const std::string& text, int32_t* values, int count, size_t* rest) {
  for (int i = 0; i < count; ++i) values[i] = 0;
  const std::string terminated = text.c_str();  // up to the first NUL
  const char* at = terminated.c_str();
  int read = 0;
  while (read < count) {
    char* end = nullptr;
    errno = 0;
    const long long value = strtoll_l(at, &end, 10, CLocale());
    if (end == at) break;
    values[read++] = value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
    at = end;
  }
  if (rest) *rest = static_cast<size_t>(at - terminated.c_str());
  return read;
}

float ReferenceFloat(const std::string& text, size_t* consumed) {
  const std::string terminated = text.c_str();
  const size_t body = SkipSpaceAndSign(terminated, 0);
  std::string readable = terminated;
  // Not numbers to the plug-in: infinities, NaNs and hexadecimal.
  if (StartsWithNoCase(terminated, body, "inf") || StartsWithNoCase(terminated, body, "nan")) {
    if (consumed) *consumed = 0;
    return 0.0f;
  }
  if (StartsWithNoCase(terminated, body, "0x")) readable = terminated.substr(0, body + 1);
  char* end = nullptr;
  float value = strtof_l(readable.c_str(), &end, CLocale());
  if (consumed) *consumed = static_cast<size_t>(end - readable.c_str());
  if (std::isinf(value)) value = value > 0 ? FLT_MAX : -FLT_MAX;
  if (value == 0.0f) value = 0.0f;
  return value;
}

std::string ReferenceFormat(const char* format, ...) {
  const locale_t previous = uselocale(CLocale());
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  uselocale(previous);
  return text;
}

ExactBytes::ExactBytes(const std::string& bytes) : data_(new char[bytes.size() ? bytes.size() : 1]), size_(bytes.size()) {
  if (!bytes.empty()) std::memcpy(data_.get(), bytes.data(), bytes.size());
}

namespace {

simhost::SimHost* gRangeHost = nullptr;

HostWord TW_CALL FastRangeDispatch(PluginContext* context, int32_t function, HostWord* pack) {
  constexpr char kRangeGrab[] = "tv_RangeGrab ";
  const char* command = function == kFnSendCommand ? reinterpret_cast<const char*>(pack[0]) : nullptr;
  char* reply = function == kFnSendCommand ? reinterpret_cast<char*>(pack[1]) : nullptr;
  if (!gRangeHost || context != gRangeHost->Context() || !command || !reply ||
      std::strncmp(command, kRangeGrab, sizeof kRangeGrab - 1) != 0) {
    return simhost::SimHost::Dispatch(context, function, pack);
  }
  const simhost::Rgba colour = gRangeHost->RangeColour(std::atoi(command + sizeof kRangeGrab - 1));
  std::snprintf(reply, 256, "%d %d %d %d", colour.r, colour.g, colour.b, colour.a);
  return 1;
}

}  // namespace

std::unique_ptr<simhost::SimHost> MakeFuzzHost(simhost::HostOptions options, bool pictures) {
  ResetPluginState();
  options.settingsPath.clear();
  options.configFilesInMemory = true;
  auto host = std::make_unique<simhost::SimHost>(simhost::LinkedPluginApi(), options);
  gRangeHost = host.get();
  ShowDialogueOnFinding(host.get());
  host->Context()->HostDispatch = FastRangeDispatch;
  if (!pictures) host->FailNextImageAlloc(INT32_MAX);
  return host;
}

float FloatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint32_t BitsOfFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
