// simhost: the dispatcher. Every call the plug-in makes is recorded by its
// row of the protocol table (words, texts, result), printed in the readable
// dialogue form, and served by the handler of its function; calls into the
// plug-in are recorded the same way, nested by depth.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_protocol.h"
#include "simhost_impl.h"

namespace simhost {

namespace {

constexpr size_t kTextScanLimit = 1 << 16;
// Argument word 4 of event 101 when the plug-in closes its own callback
// requester (the user's close passes its own word).
constexpr HostWord kPluginCloseWord4 = 1;

// Printable, single-line form of a text: bytes outside ASCII as \xHH.
std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c >= 0x7f) {
      out += Format("\\x%02x", c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace

// ---------------------------------------------------------------- shared

// The protocol row of a call, or a stand-in for a sub-operation the protocol
// doesn't know (one word recorded, the fault raised where it is served) or a
// function it doesn't know (null: nothing recorded).
const HostCallShape* ShapeOf(int32_t function, int32_t sub) {
  static const HostCallShape kUnknownRequesterOp{kFnRequesterOp, kNoSubOperation, "HostRequesterOp?", 1, 0, 0, 0,
                                                 0,              false,           false,                false};
  static const HostCallShape kUnknownOverlayOp{kFnOverlayOp, kNoSubOperation, "HostOverlayOp?", 1, 0, 0, 0, 0,
                                               false,        false,           false};
  if (const HostCallShape* shape = FindHostCall(function, sub)) return shape;
  if (function == kFnRequesterOp) return &kUnknownRequesterOp;
  if (function == kFnOverlayOp) return &kUnknownOverlayOp;
  return nullptr;
}

std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

std::vector<HostWord> PaddedArgs(std::vector<HostWord> args) {
  if (args.size() < kEventArgWords) args.resize(kEventArgWords, 0);
  return args;
}

// ---------------------------------------------------------------- helpers

std::string ReadText(HostWord word, bool* terminated) {
  if (terminated) *terminated = true;
  const char* text = reinterpret_cast<const char*>(word);
  if (!text) return std::string();
  const size_t n = strnlen(text, kTextScanLimit);
  if (n == kTextScanLimit && terminated) *terminated = false;
  return std::string(text, n);
}

std::string WriteBounded(char* buffer, int64_t size, const std::string& text) {
  if (!buffer || size < 1) return std::string();
  const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(std::min<int64_t>(size - 1, 255)));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return text.substr(0, n);
}

std::string DescribeEntry(const EntryRecord& entry) {
  std::string line = "> " + entry.entry;
  if (entry.entry == "PI_Parameters") line += "(" + (entry.text == "(null)" ? entry.text : Quote(entry.text)) + ")";
  if (entry.entry == "PI_Msg" || entry.entry == "callback") {
    line += Format("(%d, %lld)", entry.kind, static_cast<long long>(entry.requester));
  }
  return line;
}

std::string DescribeCall(const DispatchRecord& call) {
  const HostCallShape* shape = ShapeOf(call.function, call.subOperation);
  std::string line = shape ? std::string(shape->name) : Format("HostFunction%d", call.function);
  line += "(";
  const uint32_t pointers = shape ? shape->pointerWords : 0;
  const uint32_t floats = shape ? shape->floatWords : 0;
  size_t text = 0;
  bool first = true;
  for (size_t i = HasSubOperation(call.function) ? 1 : 0; i < call.pack.size(); ++i) {
    if (!first) line += ", ";
    first = false;
    if (text < call.textWords.size() && call.textWords[text] == static_cast<int32_t>(i)) {
      line += call.pack[i] ? Quote(call.texts[text]) : std::string("null");
      ++text;
    } else if (pointers & (1u << i)) {
      line += call.pack[i] ? "ptr" : "null";
    } else if (floats & (1u << i)) {
      line += Format("%g", static_cast<double>(WordFloat(call.pack[i])));
    } else {
      line += Format("%lld", static_cast<long long>(call.pack[i]));
    }
  }
  if (shape && shape->pointerResult) {
    line += call.result ? ") -> ptr" : ") -> null";
  } else {
    line += Format(") -> %lld", static_cast<long long>(call.result));
  }
  if (!call.output.empty() || (shape && shape->textReply)) {
    line += " " + Quote(call.output);
  }
  return line;
}

// ---------------------------------------------------------------- Impl

SimHost::Impl::Impl(SimHost* owner) : self(owner) {}

void SimHost::Impl::Fault(const std::string& text) { faults.push_back(text); }

void SimHost::Impl::Note(const std::string& command, const std::string& reason) {
  sequence.emplace_back(Happening::kNote, notes.size());
  notes.push_back(command + ": " + reason);
  noteDepths.push_back(depth);
}

void SimHost::Impl::Enter(const EntryRecord& entry) {
  ++depth;
  EntryRecord record = entry;
  record.depth = depth;
  sequence.emplace_back(Happening::kEntry, entries.size());
  entries.push_back(record);
}

void SimHost::Impl::Leave() {
  --depth;
  if (depth == 0 && !delivering) {
    CheckUnclosedFiles("after the plug-in call returned");
    self->DeliverPendingMessages();
  }
}

int32_t SimHost::Impl::CallMsg(int32_t kind, RequesterHandle requester, HostWord* args) {
  if (!self->api_.Msg) return 0;
  EntryRecord entry;
  entry.entry = "PI_Msg";
  entry.kind = kind;
  entry.requester = requester;
  Enter(entry);
  const int32_t result = self->api_.Msg(&block.context, kind, requester, args);
  Leave();
  return result;
}

int32_t SimHost::Impl::CallParameters(const char* text) {
  if (!self->api_.Parameters) return 0;
  EntryRecord entry;
  entry.entry = "PI_Parameters";
  entry.text = text ? text : "(null)";
  Enter(entry);
  const int32_t result = self->api_.Parameters(&block.context, text);
  Leave();
  return result;
}

void SimHost::Impl::CallCallback(Requester& requester, int32_t event, HostWord* args) {
  RequesterCallbackFn fn = requester.callbackFn;
  const RequesterHandle handle = requester.handle;
  if (!fn) return;
  EntryRecord entry;
  entry.entry = "callback";
  entry.kind = event;
  entry.requester = handle;
  Enter(entry);
  fn(&block.context, event, handle, args);  // `requester` may be gone after this
  Leave();
}

HostWord SimHost::Impl::Serve(int32_t function, HostWord* pack) {
  DispatchRecord record;
  record.function = function;
  record.depth = depth;
  if (HasSubOperation(function) && pack) {
    record.subOperation = static_cast<int32_t>(pack[0]);
  }
  const HostCallShape* shape = ShapeOf(function, record.subOperation);
  if (pack && shape) {
    for (int32_t i = 0; i < shape->packLength; ++i) {
      record.pack.push_back(pack[i]);
      if (shape->textWords & (1u << i)) {
        bool terminated = true;
        record.texts.push_back(ReadText(pack[i], &terminated));
        record.textWords.push_back(i);
        if (!terminated) Fault(Format("%s: text in word %d has no terminator", shape->name, i));
      }
    }
  }
  const size_t index = calls.size();
  sequence.emplace_back(Happening::kCall, index);
  calls.push_back(std::move(record));

  if (callObserver) callObserver(calls[index]);
  HostWord result = 0;
  if (!pack) {
    Fault(Format("host function %d called without a pack", function));
  } else if (!shape) {
    Fault(Format("unknown host function %d", function));
  } else {
    result = Act(function, calls[index].subOperation, pack, index);
  }
  calls[index].result = result;
  return result;
}

// One line a function: the handler that serves it (the sub-operations of the
// two families are served in simhost_requesters.cpp).
HostWord SimHost::Impl::Act(int32_t function, int32_t sub, HostWord* pack, size_t record) {
  switch (function) {
    case kFnApplyFilter: return ApplyFilter();
    case kFnMessage: messages.push_back(ReadText(pack[0])); return 1;
    case kFnAskInteger: return AskInteger(pack, record);
    case kFnUpdateArea: return UpdateArea(pack);
    case kFnSendCommand: return SendCommand(pack, record);
    case kFnReadProjectImage: return ReadProjectImage(pack);
    case kFnOpenRequester: return OpenRequester(pack, false);
    case kFnCloseRequester: return CloseRequester(pack[0], kPluginCloseWord4);
    case kFnRequesterOp: return RequesterOp(sub, pack, record);
    case kFnOpenCallbackRequester: return OpenRequester(pack, true);
    case kFnStartCanvasEvents:
      self->canvasEvents = true;
      self->canvasEventMask = static_cast<int32_t>(pack[0]);
      return 1;
    case kFnStopCanvasEvents:
      self->canvasEvents = false;
      if (std::find(pending.begin(), pending.end(), kMsgCanvasEnd) == pending.end()) pending.push_back(kMsgCanvasEnd);
      return 1;
    case kFnUnpackImage: return UnpackImage(pack, record);
    case kFnPopupMenu: return PopupMenu(pack, record);
    case kFnWriteUserString: self->SetUserSetting(ReadText(pack[0]), ReadText(pack[1]), ReadText(pack[2])); return 1;
    case kFnReadUserString: return ReadUserString(pack, record);
    case kFnOpenConfigFile: return OpenConfigFile(reinterpret_cast<const char*>(pack[0]));
    case kFnCloseConfigFile: return CloseConfigFile(pack[0]);
    case kFnReadConfigString: return ReadConfigString(pack, record);
    case kFnWriteConfigString: return WriteConfigString(pack, record);
    case kFnReadLayerImage: return ReadLayerImage(pack);
    case kFnAllocImage: return AllocImage(static_cast<int32_t>(pack[0]), static_cast<int32_t>(pack[1]));
    case kFnFreeImage: return FreeImage(reinterpret_cast<HostImage*>(pack[0]));
    case kFnAddShortcut: shortcuts.emplace_back(ReadText(pack[0]), ReadText(pack[1])); return 1;
    case kFnOpenLocalisation: return OpenLocalisation(reinterpret_cast<const char*>(pack[0]));
    case kFnCloseLocalisation: return CloseLocalisation(pack[0]);
    case kFnLocalisedString: {
      const char* text = LocalisedString(pack[0], static_cast<int32_t>(pack[1]));
      if (text) calls[record].output = text;
      return reinterpret_cast<HostWord>(text);
    }
    case kFnOverlayOp: return OverlayOp(sub, pack);
    case kFnGetAPenPixel: return GetAPenPixel(pack);
    default: return 0;
  }
}

HostWord SimHost::Impl::AskInteger(HostWord* pack, size_t record) {
  int32_t* value = reinterpret_cast<int32_t*>(pack[1]);
  if (!value) {
    Fault("HostAskInteger without a value pointer");
    return 0;
  }
  // Recorded as "preset -> answer" so the value offered can be checked.
  const std::string preset = std::to_string(*value);
  const std::optional<int32_t> given =
      askIntegerHandler
          ? askIntegerHandler(ReadText(pack[0]), *value, static_cast<int32_t>(pack[2]),
                                     static_cast<int32_t>(pack[3]))
          : askIntegerAnswer;
  if (given) {
    const int32_t lo = static_cast<int32_t>(pack[2]);
    const int32_t hi = static_cast<int32_t>(pack[3]);
    int32_t answer = *given;
    if (lo <= hi) answer = std::max(lo, std::min(hi, answer));
    *value = answer;
    calls[record].output = preset + " -> " + std::to_string(answer);
    return 1;
  }
  calls[record].output = preset + " -> cancelled";
  return 0;
}

HostWord SimHost::Impl::SendCommand(HostWord* pack, size_t record) {
  const size_t commandRecord = commands.size();
  std::string reply = Command(ReadText(pack[0]));
  if (replyTamper) {
    const bool unterminated = replyTamper(ReadText(pack[0]), &reply);
    // The record shows the reply the plug-in got.
    commands[commandRecord].reply = reply.substr(0, 255);
    if (unterminated && pack[1]) {
      constexpr size_t kReplyBufferSize = 256;
      reply.resize(kReplyBufferSize, '#');
      std::memcpy(reinterpret_cast<char*>(pack[1]), reply.data(), kReplyBufferSize);
      commands[commandRecord].reply = reply.substr(0, 255);
      calls[record].output = reply + " (no terminator)";
      return 1;
    }
  }
  calls[record].output = WriteBounded(reinterpret_cast<char*>(pack[1]), 256, reply);
  if (!pack[1]) calls[record].output = reply.substr(0, 255);
  return 1;
}

}  // namespace simhost
