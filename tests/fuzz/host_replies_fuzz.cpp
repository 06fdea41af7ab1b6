// Fuzz target: the replies of the host's command language, each scanned by
// the plug-in's own code the way it scans it: pens, the A-B range, the
// plug-in directory, the active shape, the active tool, the draw mode, layer
// and image ids (sampling and Smart Fill), canvas pixels. Replies come from the input, as the
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
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "colour/pens.h"
#include "core/plugin_state.h"
#include "fuzz_support.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/canvas_modes.h"
#include "interact/draw_mode.h"
#include "interact/paint_mode.h"
#include "interact/panel_pointer.h"
#include "interact/smart_fill.h"
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
  std::vector<std::string> sent;                           // every command, in order
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
  ReplyScript& script = *gScript;
  script.sent.push_back(command);
  if (!buffer) return 1;
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

// The reply's first word as the draw-mode code takes it: leading spaces
// skipped, cut at the next space.
std::string FirstWord(const std::string& reply) {
  size_t start = 0;
  while (start < reply.size() && reply[start] == ' ') ++start;
  const size_t end = reply.find(' ', start);
  return reply.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsFillShape(const std::string& reply) {
  const std::string word = Lower(FirstWord(reply));
  for (const char* fill : {"freehandfill", "linefill", "rectanglefill", "ellipsefill", "circle2ptsfill",
                           "circle3ptsfill", "flood", "bezierfill", "bsplinefill"}) {
    if (word == fill) return true;
  }
  return false;
}

// The draw mode the host reports is on when its first word (ended by white
// space) is the mode's word.
bool ModeIs(const std::string& reply, const char* word) {
  size_t start = 0;
  while (start < reply.size() && reply[start] == ' ') ++start;
  const size_t end = reply.find_first_of(" \t\r\n", start);
  return Lower(reply.substr(start, end == std::string::npos ? std::string::npos : end - start)) == word;
}

// The tool form of a draw-mode change: "<tool> mode <word>" for the tool the
// host named, none when it named none.
void CheckToolCommand(const ReplyScript& script, size_t toolReply, const std::string& word) {
  const std::string tool = FirstWord(script.seen.at(toolReply).second);
  const auto sent = std::find(script.sent.begin(), script.sent.end(), "tv_GetActiveTool");
  FUZZ_CHECK(sent != script.sent.end(), "tool not asked");
  if (tool.empty()) {
    FUZZ_CHECK(sent + 1 == script.sent.end(), "a tool command without a tool");
  } else {
    FUZZ_CHECK(sent + 1 != script.sent.end() && *(sent + 1) == tool + " mode " + word, "tool command " + tool);
  }
}

void CheckToolReply(simhost::SimHost& host, ReplyScript& script) {
  SetPaintDrawMode(host.Context(), false, kDrawModeDarken);
  FUZZ_CHECK(script.seen.size() == 1 && script.seen[0].first == "tv_GetActiveTool", "tool asked once");
  CheckToolCommand(script, 0, kDrawModeDarken);
}

void CheckFillShape(simhost::SimHost& host, ReplyScript& script) {
  const bool fill = ActiveShapeIsFill(host.Context());
  FUZZ_CHECK(script.seen.size() == 1, "shape asked once");
  FUZZ_CHECK(fill == IsFillShape(script.seen[0].second), "fill shape \"" + script.seen[0].second + "\"");
}

void CheckDrawModeReply(simhost::SimHost& host, ReplyScript& script) {
  GState.LightMode = kLightNative;
  GState.PaintModeBits = 0;
  PaintModeCornerPress(host.Context(), kPanelButtonLeft, 0);
  FUZZ_CHECK(script.seen.size() >= 2, "shape and draw mode asked");
  const bool fill = IsFillShape(script.seen[0].second);
  const std::string& mode = script.seen[1].second;
  FUZZ_CHECK(script.seen[1].first == "tv_getDrawMode", "draw mode asked second");
  const bool hostModeOn = ModeIs(mode, kDrawModeLighten) || ModeIs(mode, kDrawModeDarken);
  FUZZ_CHECK((GState.PaintModeBits & (kPaintCieLighten | kPaintCieDarken)) == (hostModeOn ? 0 : kPaintCieLighten),
             "draw mode \"" + mode + "\"");
  const std::string word = hostModeOn ? kDrawModeColor : kDrawModeLighten;
  if (fill) {
    FUZZ_CHECK(std::find(script.sent.begin(), script.sent.end(), "tv_setdrawmode " + word) != script.sent.end(),
               "shape command");
  } else {
    CheckToolCommand(script, 2, word);
  }
}

void CheckLayerReply(simhost::SimHost& host, ReplyScript& script) {
  GState.SampleSourceFlags = kSampleSingleLayer;  // the current layer's image, named by the host
  LoadSampleBuffer(host.Context());
  FUZZ_CHECK(script.seen.size() == 1 && script.seen[0].first == "tv_LayerGetImage", "image asked once");
  int32_t image = 0;
  const bool named = ReferenceInts(script.seen[0].second, &image, 1) == 1;
  const simhost::DispatchRecord* read = nullptr;
  for (const simhost::DispatchRecord& call : host.Calls()) {
    if (call.function == kFnReadLayerImage) read = &call;
  }
  FUZZ_CHECK(named == (read != nullptr) && named == (GState.SampleBuffer != nullptr),
             "layer image from \"" + script.seen[0].second + "\"");
  if (read) FUZZ_CHECK(read->pack[2] == image, "layer read");
}

void CheckPixelReply(simhost::SimHost& host, ReplyScript& script, int32_t x, int32_t y) {
  PluginContext* context = host.Context();
  GState.SampleSourceFlags = 0;
  const Pixel pixel = SamplePixel(x, y, context);
  FUZZ_CHECK(script.seen.size() == 1, "pixel asked once");
  FUZZ_CHECK(script.seen[0].first == "tv_GetPixelDisplay " + std::to_string(x / 65536) + " " + std::to_string(y / 65536),
             "pixel command " + script.seen[0].first);
  FUZZ_CHECK(pixel == ExpectedColour(context, script.seen[0].second, true), "pixel from \"" + script.seen[0].second + "\"");
}

// Smart Fill asks for four numbers; every command after them that carries
// a number carries one of those read (or the click), and a reply without a
// number ends the run with nothing but the commands that put things back.
void CheckSmartFill(simhost::SimHost& host, ReplyScript& script) {
  GState.SmartFillPoint[0] = 12;
  GState.SmartFillPoint[1] = 34;
  SmartFill(host.Context());
  if (script.seen.empty() || strcasecmp(script.seen[0].second.c_str(), "freehandline") != 0) {
    FUZZ_CHECK(script.sent.size() == 1, "Smart Fill without a freehand line did something");
    return;
  }
  std::vector<int32_t> known = {12, 34};
  bool failed = false;
  for (size_t i = 1; i < script.seen.size(); ++i) {
    const std::string& command = script.seen[i].first;
    const bool asks = command == "tv_LayerGetImage" || command == "tv_LayerCurrentID" ||
                      command.rfind("tv_LayerCreate ", 0) == 0;
    if (failed) {
      FUZZ_CHECK(command.rfind("tv_LayerDisplay ", 0) == 0 || command == "tv_undoclosestack \"Smart Fill\"" ||
                     command == "tv_undo" || command == "tv_reapply",
                 "after a reply without a number: " + command);
      FUZZ_CHECK(!asks, "asked on after a reply without a number");
    }
    if (command.rfind("tv_pixelmatrix", 0) != 0 && command.rfind("tv_undoclosestack", 0) != 0) {
      int32_t numbers[2];
      size_t at = command.find(' ');
      const int read = at == std::string::npos ? 0 : ReferenceInts(command.substr(at), numbers, 2);
      for (int k = 0; k < read; ++k) {
        FUZZ_CHECK(std::find(known.begin(), known.end(), numbers[k]) != known.end(), "number not read: " + command);
      }
    }
    if (asks) {
      int32_t value = 0;
      if (ReferenceInts(script.seen[i].second, &value, 1) == 1) {
        known.push_back(value);
      } else {
        failed = true;
      }
    }
  }
  FUZZ_CHECK(host.undoStackDepth == 0, "undo group left open");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int scenario = input.ConsumeIntegralInRange(0, 9);
  const int32_t x = input.ConsumeIntegral<int32_t>();
  const int32_t y = input.ConsumeIntegral<int32_t>();
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
    case 3: CheckShape(*host, script); break;
    case 4: CheckToolReply(*host, script); break;
    case 5: CheckFillShape(*host, script); break;
    case 6: CheckDrawModeReply(*host, script); break;
    case 7: CheckLayerReply(*host, script); break;
    case 8: CheckPixelReply(*host, script, x, y); break;
    default: CheckSmartFill(*host, script); break;
  }
  FUZZ_CHECK(host->Faults().empty(), "host fault: " + host->Faults().front());
  const std::string holdings = CheckPluginHoldings(*host);
  FUZZ_CHECK(holdings.empty(), holdings);
  return 0;
}
