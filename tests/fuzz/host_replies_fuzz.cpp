// Fuzz target: the replies of the host's command language, each scanned by
// the plug-in's own code the way it scans it: pens, the A-B range, the
// plug-in directory, the active shape. Replies come from the input, as the
// host writes them or filling the whole buffer with no terminator.
//
// Properties: what the plug-in takes from a reply equals the C library's
// reading of the text the plug-in's buffer holds (at most 255 bytes); the
// stand-in host sees no protocol fault; no buffer is read or written past.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "colour/colour_mixing.h"
#include "colour/pens.h"
#include "core/plugin_state.h"
#include "fuzz_support.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/canvas_modes.h"
#include "store/colour_scheme.h"
#include "support/plugin_holdings.h"

namespace {

constexpr size_t kReplyText = 255;  // what a reply buffer of 256 bytes holds before its terminator

struct Reply {
  std::string text;
  bool terminated;
};

// Replies handed out in turn, and what each command's buffer then held.
struct ReplyScript {
  std::vector<Reply> replies;
  size_t next = 0;
  std::vector<std::pair<std::string, std::string>> seen;  // command, text the plug-in's buffer holds
};

// The host's command channel, answered from the script; every other host
// function goes to the stand-in host. (Answering here rather than through
// the stand-in host's reply hook keeps the 256 commands of the A-B range
// cheap.)
ReplyScript* gScript = nullptr;

HostWord TW_CALL ReplyDispatch(PluginContext* context, int32_t function, HostWord* pack) {
  if (function != kFnSendCommand) return simhost::SimHost::Dispatch(context, function, pack);
  const char* command = reinterpret_cast<const char*>(pack[0]);
  char* buffer = reinterpret_cast<char*>(pack[1]);
  FUZZ_CHECK(command, "command without text");
  if (!buffer) return 1;
  ReplyScript& script = *gScript;
  const Reply& given = script.replies[script.next++ % script.replies.size()];
  if (given.terminated) {
    const size_t length = std::min(given.text.size(), kReplyText);
    std::memcpy(buffer, given.text.data(), length);
    buffer[length] = '\0';
  } else {
    // All 256 bytes, no terminator: the plug-in's own last byte must end it.
    std::string filled = given.text;
    filled.resize(kReplyText + 1, '#');
    std::memcpy(buffer, filled.data(), filled.size());
  }
  script.seen.emplace_back(command, BoundedText(buffer, kReplyText));
  return 1;
}

void Install(simhost::SimHost& host, ReplyScript& script) {
  gScript = &script;
  host.Context()->HostDispatch = ReplyDispatch;
}

uint8_t Clamp(int32_t value) { return value < 0 ? 0 : value > 255 ? 255 : static_cast<uint8_t>(value); }

Pixel ExpectedColour(PluginContext* context, const std::string& text, bool withAlpha) {
  int32_t values[4];
  ReferenceInts(text, values, 4);
  return MakePixel(context, Clamp(values[0]), Clamp(values[1]), Clamp(values[2]), withAlpha ? Clamp(values[3]) : 255);
}

const std::string* SeenFor(const ReplyScript& script, const std::string& command) {
  for (const auto& [sent, held] : script.seen) {
    if (sent == command) return &held;
  }
  return nullptr;
}

void CheckPens(simhost::SimHost& host, const ReplyScript& script) {
  PluginContext* context = host.Context();
  const Pixel a = GetAPen(context);
  const Pixel b = GetBPen(context);
  const std::string* aText = SeenFor(script, "tv_GetAPen");
  const std::string* bText = SeenFor(script, "tv_GetBPen");
  FUZZ_CHECK(aText && bText, "pen commands not sent");
  FUZZ_CHECK(a == ExpectedColour(context, *aText, false), "A pen from \"" + *aText + "\"");
  FUZZ_CHECK(b == ExpectedColour(context, *bText, false), "B pen from \"" + *bText + "\"");
}

void CheckRange(simhost::SimHost& host, const ReplyScript& script) {
  PluginContext* context = host.Context();
  LoadGradientTable(context);
  int32_t checked = 0;
  for (const auto& [command, held] : script.seen) {
    int32_t position = -1;
    FUZZ_CHECK(std::sscanf(command.c_str(), "tv_RangeGrab %d", &position) == 1, "unexpected command " + command);
    FUZZ_CHECK(position >= 0 && position <= 255, command);
    FUZZ_CHECK(GState.GradientTable[static_cast<size_t>(255 - position)] == ExpectedColour(context, held, true),
               "range entry from \"" + held + "\"");
    ++checked;
  }
  FUZZ_CHECK(checked == 256, "the range is read at 256 positions");
}

void CheckPath(simhost::SimHost& host, const ReplyScript& script) {
  PluginContext* context = host.Context();
  InitColourScheme(context);  // loads slot 0
  GState.ColourScheme.modified = 1;
  SaveColourSchemeSlot(context);
  std::vector<std::string> opened;
  for (const simhost::DispatchRecord& call : host.Calls()) {
    if (call.function == kFnOpenConfigFile) opened.push_back(call.texts.at(0));
  }
  size_t open = 0;
  for (const auto& [command, held] : script.seen) {
    FUZZ_CHECK(command == "tv_GetPath PLUGIN", "unexpected command " + command);
    if (held.empty()) continue;  // no directory: the file is left alone
    FUZZ_CHECK(open < opened.size(), "no file opened for directory \"" + held + "\"");
    const std::string expected = ReferenceFormat("%.1000s\\%.256s.cfg", held.c_str(), "ColourScheme");
    FUZZ_CHECK(opened[open] == expected, "path " + opened[open]);
    ++open;
  }
  FUZZ_CHECK(open == opened.size(), "a file opened without a directory");
}

void CheckShape(simhost::SimHost& host, const ReplyScript& script) {
  PluginContext* context = host.Context();
  GState.RingLockBits = kLockRing;
  UpdateFxBrushWatch(context);
  const std::string* shape = SeenFor(script, "tv_getactiveshape");
  FUZZ_CHECK(shape, "shape not asked");
  const bool freehand = strcasecmp(shape->c_str(), "freehandline") == 0;
  FUZZ_CHECK((GState.RingLockBits == kLockRing) == freehand, "shape \"" + *shape + "\"");
  FUZZ_CHECK((GState.PickRequester != 0) == freehand, "watch window for shape \"" + *shape + "\"");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int scenario = input.ConsumeIntegralInRange(0, 3);
  ReplyScript script;
  while (input.remaining_bytes() > 0 && script.replies.size() < 8) {
    Reply reply;
    reply.terminated = input.ConsumeBool();
    reply.text = input.ConsumeRandomLengthString(300);
    script.replies.push_back(reply);
  }
  if (script.replies.empty()) script.replies.push_back({"", true});

  std::unique_ptr<simhost::SimHost> host = MakeFuzzHost();
  Install(*host, script);
  switch (scenario) {
    case 0: CheckPens(*host, script); break;
    case 1: CheckRange(*host, script); break;
    case 2: CheckPath(*host, script); break;
    default: CheckShape(*host, script); break;
  }
  FUZZ_CHECK(host->Faults().empty(), "host fault: " + host->Faults().front());
  const std::string holdings = CheckPluginHoldings(*host);
  FUZZ_CHECK(holdings.empty(), holdings);
  return 0;
}
