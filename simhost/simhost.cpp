// simhost: the stand-in host's core: the context, the calls into the
// plug-in, the dispatcher with its record of every call, requesters and
// gadgets, images, the filter pass, overlays and the host's own messages.
//
// Pixel contract of the host side: layers hold straight colours; every
// Pixel handed to the plug-in (work image, project and layer reads, A pen)
// is premultiplied by alpha and laid out by the context's channel positions.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_protocol.h"
#include "simhost_impl.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace simhost {

namespace {

constexpr int32_t kEventArgWords = 16;  // argument words the host hands with every event
constexpr size_t kTextScanLimit = 1 << 16;

// The protocol row of a call, or a stand-in for a sub-operation the protocol
// doesn't know (one word recorded, the fault raised where it is served) or a
// function it doesn't know (null: nothing recorded).
const HostCallShape* ShapeOf(int32_t function, int32_t sub) {
  static const HostCallShape kUnknownRequesterOp{kFnRequesterOp, kNoSubOperation, "HostRequesterOp?", 1, 0, 0, 0,
                                                 0,              false,           false};
  static const HostCallShape kUnknownOverlayOp{kFnOverlayOp, kNoSubOperation, "HostOverlayOp?", 1, 0, 0, 0, 0,
                                               false,        false};
  if (const HostCallShape* shape = FindHostCall(function, sub)) return shape;
  if (function == kFnRequesterOp) return &kUnknownRequesterOp;
  if (function == kFnOverlayOp) return &kUnknownOverlayOp;
  return nullptr;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

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

uint8_t Premultiply(uint8_t c, uint8_t a) { return static_cast<uint8_t>((c * a + 127) / 255); }
uint8_t Unpremultiply(uint8_t c, uint8_t a) {
  if (a == 0) return 0;
  return static_cast<uint8_t>(std::min(255, (c * 255 + a / 2) / a));
}

std::string Indent(int32_t depth) { return std::string(static_cast<size_t>(std::max(0, depth)) * 2, ' '); }

std::vector<HostWord> PaddedArgs(std::vector<HostWord> args) {
  if (args.size() < kEventArgWords) args.resize(kEventArgWords, 0);
  return args;
}

}  // namespace

// ---------------------------------------------------------------- helpers

std::string ReadText(HostWord word, bool* terminated) {
  if (terminated) *terminated = true;
  const char* text = reinterpret_cast<const char*>(word);
  if (!text) return std::string();
  size_t n = 0;
  while (n < kTextScanLimit && text[n] != '\0') ++n;
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

void SimHost::Impl::Fault(const std::string& text) { self->faults_.push_back(text); }

void SimHost::Impl::Enter(const EntryRecord& entry) {
  ++depth;
  EntryRecord record = entry;
  record.depth = depth;
  sequence.emplace_back(false, self->entries_.size());
  self->entries_.push_back(record);
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
    record.pack.reserve(static_cast<size_t>(shape->packLength));
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
  const size_t index = self->calls_.size();
  sequence.emplace_back(true, index);
  self->calls_.push_back(std::move(record));

  if (self->callObserver_) self->callObserver_(self->calls_[index]);
  HostWord result = 0;
  if (!pack) {
    Fault(Format("host function %d called without a pack", function));
  } else if (!shape) {
    Fault(Format("unknown host function %d", function));
  } else {
    result = Act(function, self->calls_[index].subOperation, pack, index);
  }
  self->calls_[index].result = result;
  return result;
}

HostWord SimHost::Impl::Act(int32_t function, int32_t sub, HostWord* pack, size_t record) {
  PluginContext* context = &block.context;
  switch (function) {
    case kFnApplyFilter:
      return ApplyFilter();
    case kFnMessage:
      self->messages_.push_back(ReadText(pack[0]));
      return 1;
    case kFnAskInteger: {
      int32_t* value = reinterpret_cast<int32_t*>(pack[1]);
      if (!value) {
        Fault("HostAskInteger without a value pointer");
        return 0;
      }
      // Recorded as "preset -> answer" so the value offered can be checked.
      const std::string preset = std::to_string(*value);
      const std::optional<int32_t> given =
          self->askIntegerHandler_
              ? self->askIntegerHandler_(ReadText(pack[0]), *value, static_cast<int32_t>(pack[2]),
                                         static_cast<int32_t>(pack[3]))
              : self->askIntegerAnswer_;
      if (given) {
        const int32_t lo = static_cast<int32_t>(pack[2]);
        const int32_t hi = static_cast<int32_t>(pack[3]);
        int32_t answer = *given;
        if (lo <= hi) answer = std::max(lo, std::min(hi, answer));
        *value = answer;
        self->calls_[record].output = preset + " -> " + std::to_string(answer);
        return 1;
      }
      self->calls_[record].output = preset + " -> cancelled";
      return 0;
    }
    case kFnUpdateArea:
      return UpdateArea(pack);
    case kFnSendCommand: {
      const size_t commandRecord = self->commands_.size();
      std::string reply = Command(ReadText(pack[0]));
      if (self->replyTamper_) {
        const bool unterminated = self->replyTamper_(ReadText(pack[0]), &reply);
        // The record shows the reply the plug-in got.
        self->commands_[commandRecord].reply = reply.substr(0, 255);
        if (unterminated && pack[1]) {
          constexpr size_t kReplyBufferSize = 256;
          reply.resize(kReplyBufferSize, '#');
          std::memcpy(reinterpret_cast<char*>(pack[1]), reply.data(), kReplyBufferSize);
          self->commands_[commandRecord].reply = reply.substr(0, 255);
          self->calls_[record].output = reply + " (no terminator)";
          return 1;
        }
      }
      self->calls_[record].output = WriteBounded(reinterpret_cast<char*>(pack[1]), 256, reply);
      if (!pack[1]) self->calls_[record].output = reply.substr(0, 255);
      return 1;
    }
    case kFnReadProjectImage: {
      Pixel* pixels = reinterpret_cast<Pixel*>(pack[0]);
      const int32_t width = static_cast<int32_t>(pack[3]);
      const int32_t height = static_cast<int32_t>(pack[4]);
      if (!pixels || width <= 0 || height <= 0) {
        Fault("HostReadProjectImage without a buffer or size");
        return 0;
      }
      CopyImageOut(pixels, width, height, true, nullptr, static_cast<size_t>(width) * height);
      return 1;
    }
    case kFnOpenRequester:
      return OpenRequester(pack, false);
    case kFnCloseRequester:
      return CloseRequester(pack[0], self->pluginCloseWord4_);
    case kFnRequesterOp:
      return RequesterOp(sub, pack, record);
    case kFnOpenCallbackRequester:
      return OpenRequester(pack, true);
    case kFnStartCanvasEvents:
      self->canvasEvents = true;
      self->canvasEventMask = static_cast<int32_t>(pack[0]);
      return 1;
    case kFnStopCanvasEvents:
      self->canvasEvents = false;
      if (std::find(pending.begin(), pending.end(), kMsgCanvasEnd) == pending.end()) pending.push_back(kMsgCanvasEnd);
      return 1;
    case kFnUnpackImage: {
      const uint8_t* packed = reinterpret_cast<const uint8_t*>(pack[0]);
      Pixel* destination = reinterpret_cast<Pixel*>(pack[1]);
      const int32_t count = static_cast<int32_t>(pack[2]);
      if (!packed || !destination || count <= 0) {
        Fault("HostUnpackImage without data, destination or count");
        return 0;
      }
      // The host is given no length: a well-formed stream of `count` pixels
      // is at most 5 bytes a pixel (one-pixel literals), so no more is read.
      bool ok = true;
      const size_t consumed = UnpackPackBits(packed, 5u * static_cast<size_t>(count), destination, count, &ok);
      self->calls_[record].output = std::to_string(consumed);
      if (!ok) Fault("HostUnpackImage: malformed packed stream");
      return 1;
    }
    case kFnPopupMenu:
      return PopupMenu(pack, record);
    case kFnWriteUserString: {
      self->SetUserSetting(ReadText(pack[0]), ReadText(pack[1]), ReadText(pack[2]));
      return 1;
    }
    case kFnReadUserString: {
      const auto stored = self->UserSetting(ReadText(pack[0]), ReadText(pack[1]));
      const std::string value = stored ? *stored : ReadText(pack[3]);
      char* buffer = reinterpret_cast<char*>(pack[2]);
      if (!buffer) Fault("HostReadUserString without a buffer");
      self->calls_[record].output = WriteBounded(buffer, static_cast<int64_t>(pack[4]), value);
      return 1;
    }
    case kFnOpenConfigFile:
      return OpenConfigFile(reinterpret_cast<const char*>(pack[0]));
    case kFnCloseConfigFile:
      return CloseConfigFile(pack[0]);
    case kFnReadConfigString: {
      std::string path;
      ConfigDocument* document = FindConfig(pack[0], "HostReadConfigString", &path);
      std::string value = ReadText(pack[4]);
      if (document) {
        auto section = document->sections.find(ReadText(pack[1]));
        if (section != document->sections.end()) {
          auto key = section->second.find(ReadText(pack[2]));
          if (key != section->second.end()) value = key->second;
        }
      }
      char* buffer = reinterpret_cast<char*>(pack[3]);
      if (!buffer) Fault("HostReadConfigString without a buffer");
      self->calls_[record].output = WriteBounded(buffer, static_cast<int64_t>(pack[5]), value);
      return document ? 1 : 0;
    }
    case kFnWriteConfigString: {
      std::string path;
      ConfigDocument* document = FindConfig(pack[0], "HostWriteConfigString", &path);
      if (!document) return 0;
      document->sections[ReadText(pack[1])][ReadText(pack[2])] = ReadText(pack[3]);
      if (!SaveConfig(path, document->sections)) Fault("HostWriteConfigString: can't write " + path);
      return 1;
    }
    case kFnReadLayerImage: {
      Pixel* pixels = reinterpret_cast<Pixel*>(pack[0]);
      const int64_t bytes = static_cast<int64_t>(pack[1]);
      const Layer* layer = self->FindLayer(static_cast<int32_t>(pack[2]));
      if (!pixels || bytes < 4) {
        Fault("HostReadLayerImage without a buffer or size");
        return 0;
      }
      if (!layer) return 0;  // the host reads nothing for a layer it doesn't have
      CopyImageOut(pixels, self->options_.imageWidth, self->options_.imageHeight, false, layer,
                   static_cast<size_t>(bytes / 4));
      return 1;
    }
    case kFnAllocImage:
      return AllocImage(static_cast<int32_t>(pack[0]), static_cast<int32_t>(pack[1]));
    case kFnFreeImage:
      return FreeImage(reinterpret_cast<HostImage*>(pack[0]));
    case kFnAddShortcut:
      self->shortcuts_.emplace_back(ReadText(pack[0]), ReadText(pack[1]));
      return 1;
    case kFnOpenLocalisation:
      return OpenLocalisation(reinterpret_cast<const char*>(pack[0]));
    case kFnCloseLocalisation:
      return CloseLocalisation(pack[0]);
    case kFnLocalisedString: {
      const char* text = LocalisedString(pack[0], static_cast<int32_t>(pack[1]));
      if (text) self->calls_[record].output = text;
      return reinterpret_cast<HostWord>(text);
    }
    case kFnOverlayOp:
      return OverlayOp(sub, pack);
    case kFnGetAPenPixel: {
      Pixel* pixel = reinterpret_cast<Pixel*>(pack[0]);
      if (!pixel) {
        Fault("HostGetAPenPixel without a pixel pointer");
        return 0;
      }
      *pixel = self->ToPixel(self->aPen);
      return 1;
    }
    default:
      (void)context;
      return 0;
  }
}

// ---------------------------------------------------------------- requesters

HostWord SimHost::Impl::OpenRequester(HostWord* pack, bool callback) {
  if (self->failRequesterOpens_ > 0) {
    --self->failRequesterOpens_;
    return 0;
  }
  Requester requester;
  requester.width = static_cast<int32_t>(pack[0]);
  requester.height = static_cast<int32_t>(pack[1]);
  requester.x = static_cast<int32_t>(pack[2]);
  requester.y = static_cast<int32_t>(pack[3]);
  requester.flags = static_cast<int32_t>(pack[4]);
  requester.title = ReadText(pack[5]);
  requester.callback = callback;
  if (callback) {
    requester.callbackFn = reinterpret_cast<RequesterCallbackFn>(pack[6]);
    if (!requester.callbackFn) {
      Fault("HostOpenCallbackRequester without a callback");
      return 0;
    }
  }
  const RequesterHandle handle = nextRequester;
  nextRequester += 0x10;
  requester.handle = handle;
  requesters[handle] = requester;
  if (callback) {
    std::vector<HostWord> args = PaddedArgs({});
    CallCallback(requesters[handle], kEventOpened, args.data());
  }
  return handle;
}

HostWord SimHost::Impl::CloseRequester(RequesterHandle handle, HostWord word4) {
  auto it = requesters.find(handle);
  if (it == requesters.end()) {
    Fault(Format("HostCloseRequester: unknown requester %lld", static_cast<long long>(handle)));
    return 0;
  }
  if (it->second.closing) return 0;  // closed again from its own closing event
  if (it->second.callback) {
    it->second.closing = true;
    std::vector<HostWord> args = PaddedArgs({});
    args[4] = word4;
    CallCallback(it->second, kEventClosing, args.data());
  }
  requesters.erase(handle);
  return 1;
}

Requester* SimHost::Impl::FindRequester(RequesterHandle handle, const char* operation) {
  auto it = requesters.find(handle);
  if (it == requesters.end()) {
    Fault(Format("%s: unknown requester %lld", operation, static_cast<long long>(handle)));
    return nullptr;
  }
  return &it->second;
}

Gadget* SimHost::Impl::FindGadget(Requester* requester, int32_t id, const char* operation) {
  auto it = requester->gadgets.find(id);
  if (it == requester->gadgets.end()) {
    Fault(Format("%s: no gadget %d in requester %lld", operation, id, static_cast<long long>(requester->handle)));
    return nullptr;
  }
  return &it->second;
}

HostWord SimHost::Impl::RequesterOp(int32_t sub, HostWord* pack, size_t record) {
  const char* name = ShapeOf(kFnRequesterOp, sub)->name;
  const RequesterHandle handle = pack[1];
  if (sub == kReqSavePlace || sub == kReqRestorePlace) {
    if (handle == 0) return 0;  // nothing open to place (the plug-in passes 0 while the panel is closed)
  }
  if (sub == kReqGetPlace && self->failGetPlaces_ > 0) {
    --self->failGetPlaces_;
    return 0;
  }
  if (sub == kReqGetPlace && userClosedRequesters.count(handle)) {
    self->calls_[record].output = "no such requester";
    return 0;
  }
  Requester* requester = FindRequester(handle, name);
  if (!requester) return 0;
  switch (sub) {
    case kReqGetPlace:
      pack[2] = requester->x;
      pack[3] = requester->y;
      pack[4] = requester->width;
      pack[5] = requester->height;
      self->calls_[record].output =
          Format("%d %d %d %d", requester->x, requester->y, requester->width, requester->height);
      return 1;
    case kReqSetTitle:
      requester->title = ReadText(pack[2]);
      return 1;
    case kReqRaise:
      ++requester->raiseCount;
      return 1;
    case kReqSetPlace:
      requester->x = static_cast<int32_t>(pack[2]);
      requester->y = static_cast<int32_t>(pack[3]);
      requester->width = static_cast<int32_t>(pack[4]);
      requester->height = static_cast<int32_t>(pack[5]);
      return 1;
    case kReqAddGadget: {
      const int32_t id = static_cast<int32_t>(pack[6]);
      if (requester->gadgets.count(id)) {
        Fault(Format("HostAddGadget: gadget %d already in requester %lld", id, static_cast<long long>(handle)));
      }
      Gadget gadget;
      gadget.id = id;
      gadget.x = static_cast<int32_t>(pack[2]);
      gadget.y = static_cast<int32_t>(pack[3]);
      gadget.width = static_cast<int32_t>(pack[4]);
      gadget.height = static_cast<int32_t>(pack[5]);
      gadget.flags = static_cast<int32_t>(pack[7]);
      gadget.text = ReadText(pack[8]);
      requester->gadgets[id] = gadget;
      return 1;
    }
    case kReqRemoveGadget: {
      // Removing a gadget that is not there is harmless (the panel's
      // relayout removes every content gadget whatever is shown).
      const int32_t id = static_cast<int32_t>(pack[2]);
      return requester->gadgets.erase(id) != 0 ? 1 : 0;
    }
    case kReqSetGadgetHelp: {
      Gadget* gadget = FindGadget(requester, static_cast<int32_t>(pack[2]), name);
      if (!gadget) return 0;
      gadget->help = ReadText(pack[3]);
      return 1;
    }
    case kReqGetGadgetText: {
      Gadget* gadget = FindGadget(requester, static_cast<int32_t>(pack[2]), name);
      if (!gadget) return 0;
      self->calls_[record].output =
          WriteBounded(reinterpret_cast<char*>(pack[3]), static_cast<int64_t>(pack[4]), gadget->text);
      return 1;
    }
    case kReqSetGadgetText: {
      Gadget* gadget = FindGadget(requester, static_cast<int32_t>(pack[2]), name);
      if (!gadget) return 0;
      gadget->text = ReadText(pack[3]);
      return 1;
    }
    case kReqSetPointerTracking:
      requester->tracking = pack[2] != 0;
      return 1;
    case kReqSetGadgetImage: {
      Gadget* gadget = FindGadget(requester, static_cast<int32_t>(pack[2]), name);
      if (!gadget) return 0;
      HostImage* image = reinterpret_cast<HostImage*>(pack[3]);
      if (image && !self->IsLiveImage(image)) {
        Fault("HostSetGadgetImage: not a live image");
        return 0;
      }
      gadget->image = image;
      ++gadget->imageSetCount;
      gadget->imagePixels.clear();
      gadget->imageWidth = image ? image->Width : 0;
      gadget->imageHeight = image ? image->Height : 0;
      if (image) {
        gadget->imagePixels.assign(image->Pixels,
                                   image->Pixels + static_cast<size_t>(image->Width) * image->Height);
      }
      return 1;
    }
    case kReqSetGadgetState: {
      Gadget* gadget = FindGadget(requester, static_cast<int32_t>(pack[2]), name);
      if (!gadget) return 0;
      gadget->flags = static_cast<int32_t>(pack[3]);
      return 1;
    }
    case kReqSavePlace:
      self->SetUserSetting(
          ReadText(pack[2]), ReadText(pack[3]),
          Format("%d %d %d %d", requester->x, requester->y, requester->width, requester->height));
      return 1;
    case kReqRestorePlace: {
      const auto stored = self->UserSetting(ReadText(pack[2]), ReadText(pack[3]));
      if (!stored) return 0;
      int x, y, width, height;
      if (std::sscanf(stored->c_str(), "%d %d %d %d", &x, &y, &width, &height) != 4) return 0;
      requester->x = x;
      requester->y = y;
      requester->width = width;
      requester->height = height;
      return 1;
    }
    case kReqShow:
      ++requester->showCount;
      return 1;
    default:
      Fault(Format("HostRequesterOp: unknown sub-operation %d", sub));
      return 0;
  }
}

// ---------------------------------------------------------------- overlays

HostWord SimHost::Impl::OverlayOp(int32_t sub, HostWord* pack) {
  OverlayRecord overlay;
  overlay.subOperation = sub;
  switch (sub) {
    case kOverlayRedraw:
      if (std::find(pending.begin(), pending.end(), kMsgOverlayDraw) == pending.end()) {
        pending.push_back(kMsgOverlayDraw);
      }
      break;
    case kOverlayLine:
      for (int i = 1; i <= 4; ++i) overlay.coordinates.push_back(WordFloat(pack[i]));
      overlay.colour = static_cast<Pixel>(pack[5]);
      break;
    case kOverlayDot:
      overlay.coordinates = {WordFloat(pack[1]), WordFloat(pack[2])};
      overlay.size = static_cast<int32_t>(pack[3]);
      overlay.colour = static_cast<Pixel>(pack[4]);
      break;
    case kOverlayImage:
      for (int i = 1; i <= 10; ++i) overlay.coordinates.push_back(WordFloat(pack[i]));
      overlay.image = reinterpret_cast<HostImage*>(pack[11]);
      if (!self->IsLiveImage(overlay.image)) Fault("HostOverlayImage: not a live image");
      break;
    default:
      Fault(Format("HostOverlayOp: unknown sub-operation %d", sub));
      return 0;
  }
  self->overlays_.push_back(overlay);
  return 1;
}

// ---------------------------------------------------------------- images

HostWord SimHost::Impl::AllocImage(int32_t width, int32_t height) {
  if (self->failImageAllocs_ > 0) {
    --self->failImageAllocs_;
    return 0;
  }
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return 0;
  auto image = std::make_unique<ImageBlock>();
  image->pixels.assign(static_cast<size_t>(width) * height, 0);
  image->image.Width = width;
  image->image.Height = height;
  image->image.ChannelPositions[0] = static_cast<uint8_t>(block.context.RedPosition);
  image->image.ChannelPositions[1] = static_cast<uint8_t>(block.context.GreenPosition);
  image->image.ChannelPositions[2] = static_cast<uint8_t>(block.context.BluePosition);
  image->image.ChannelPositions[3] = static_cast<uint8_t>(block.context.AlphaPosition);
  image->image.Pixels = image->pixels.data();
  HostImage* pointer = &image->image;
  freedImages.erase(pointer);
  images[pointer] = std::move(image);
  return reinterpret_cast<HostWord>(pointer);
}

HostWord SimHost::Impl::FreeImage(HostImage* image) {
  if (!image) return 0;  // like free(NULL)
  auto it = images.find(image);
  if (it == images.end()) {
    if (workImage && image == &workImage->image) {
      Fault("HostFreeImage: the filter's work image belongs to the host");
    } else if (freedImages.count(image)) {
      Fault("HostFreeImage: image already freed");
    } else {
      Fault("HostFreeImage: unknown image");
    }
    return 0;
  }
  images.erase(it);
  freedImages.insert(image);
  for (auto& requester : requesters) {
    for (auto& gadget : requester.second.gadgets) {
      if (gadget.second.image == image) gadget.second.image = nullptr;
    }
  }
  return 1;
}

void SimHost::Impl::CopyImageOut(Pixel* destination, int32_t width, int32_t height, bool display,
                                 const Layer* layer, size_t pixelLimit) {
  const int32_t w = std::min(width, self->options_.imageWidth);
  const int32_t h = std::min(height, self->options_.imageHeight);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const size_t index = static_cast<size_t>(x) + static_cast<size_t>(width) * y;
      if (index >= pixelLimit) return;
      const Rgba colour = display ? self->DisplayPixel(x, y) : self->LayerPixel(*layer, x, y);
      destination[index] = self->ToPixel(colour);
    }
  }
}

// ---------------------------------------------------------------- filter pass

HostWord SimHost::Impl::ApplyFilter() {
  if (workImage) {
    Fault("HostApplyFilter called inside the filter pass");
    return 0;
  }
  Layer* layer = self->CurrentLayer();
  if (!layer) return 0;
  const int32_t width = self->options_.imageWidth;
  const int32_t height = self->options_.imageHeight;
  PushUndo("filter");
  workImage = std::make_unique<ImageBlock>();
  workImage->pixels.resize(static_cast<size_t>(width) * height);
  workImage->image.Width = width;
  workImage->image.Height = height;
  workImage->image.ChannelPositions[0] = static_cast<uint8_t>(block.context.RedPosition);
  workImage->image.ChannelPositions[1] = static_cast<uint8_t>(block.context.GreenPosition);
  workImage->image.ChannelPositions[2] = static_cast<uint8_t>(block.context.BluePosition);
  workImage->image.ChannelPositions[3] = static_cast<uint8_t>(block.context.AlphaPosition);
  workImage->image.Pixels = workImage->pixels.data();
  CopyImageOut(workImage->pixels.data(), width, height, false, layer, workImage->pixels.size());
  filterLayerId = layer->id;

  PluginContext* context = &block.context;
  context->WorkImage = &workImage->image;
  context->WorkArea[0] = 0;
  context->WorkArea[1] = 0;
  context->WorkArea[2] = width;
  context->WorkArea[3] = height;
  EntryRecord entry;
  if (self->api_.Start) {
    entry.entry = "PI_Start";
    Enter(entry);
    self->api_.Start(context, 0, 0, 0, 0);
    Leave();
  }
  if (self->api_.Work) {
    entry.entry = "PI_Work";
    Enter(entry);
    self->api_.Work(context);
    Leave();
  }
  if (self->api_.Finish) {
    entry.entry = "PI_Finish";
    Enter(entry);
    self->api_.Finish(context);
    Leave();
  }
  context->WorkImage = nullptr;
  for (int i = 0; i < 4; ++i) context->WorkArea[i] = 0;
  workImage.reset();
  return 1;
}

HostWord SimHost::Impl::UpdateArea(HostWord* pack) {
  if (!workImage) {
    Fault("HostUpdateArea outside a filter pass");
    return 0;
  }
  Layer* layer = self->FindLayer(filterLayerId);
  if (!layer) return 0;
  const HostImage& image = workImage->image;
  const int32_t x0 = std::max<int32_t>(0, static_cast<int32_t>(pack[0]));
  const int32_t y0 = std::max<int32_t>(0, static_cast<int32_t>(pack[1]));
  const int32_t x1 = std::min<int64_t>(image.Width, static_cast<int64_t>(pack[0]) + pack[2]);
  const int32_t y1 = std::min<int64_t>(image.Height, static_cast<int64_t>(pack[1]) + pack[3]);
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = x0; x < x1; ++x) {
      const size_t index = static_cast<size_t>(x) + static_cast<size_t>(image.Width) * y;
      layer->pixels[index] = self->FromPixel(image.Pixels[index]);
    }
  }
  return 1;
}

// ---------------------------------------------------------------- pop-up menu

HostWord SimHost::Impl::PopupMenu(HostWord* pack, size_t record) {
  const MenuItem* items = reinterpret_cast<const MenuItem*>(pack[0]);
  const int32_t count = static_cast<int32_t>(pack[1]);
  PopupMenuRecord menu;
  if (!items || count < 0 || count > 1000) {
    Fault("HostPopupMenu without items or with a bad count");
    return 0;
  }
  for (int32_t i = 0; i < count; ++i) {
    MenuItemRecord item;
    item.text = ReadText(items[i].Words[0]);
    item.id = static_cast<int32_t>(items[i].Words[1]);
    item.flags = static_cast<int32_t>(items[i].Words[2]);
    menu.items.push_back(item);
    for (int w = 3; w < 13; ++w) {
      if (items[i].Words[w] != 0) {
        Fault(Format("HostPopupMenu: item %d has a non-zero word %d", i, w));
        break;
      }
    }
  }
  for (int w = 0; w < 13; ++w) {
    if (items[count].Words[w] != 0) {
      Fault("HostPopupMenu: the item after the last is not an all-zero terminator");
      break;
    }
  }
  menu.answer = self->popupHandler_ ? self->popupHandler_(menu) : self->popupAnswer_;
  self->popupMenus_.push_back(menu);
  self->calls_[record].output = std::to_string(menu.answer);
  return menu.answer;
}

// ---------------------------------------------------------------- SimHost

namespace {
// The live hosts, newest last (normally one).
std::vector<SimHost*> gHosts;
}  // namespace

SimHost::SimHost(PluginApi api, HostOptions options)
    : impl_(std::make_unique<Impl>(this)), api_(api), options_(std::move(options)) {
  if (options_.imageWidth < 1) options_.imageWidth = 1;
  if (options_.imageHeight < 1) options_.imageHeight = 1;
  HostBlock& block = impl_->block;
  std::memset(&block.context, 0, sizeof block.context);
  block.magic = kHostBlockMagic;
  block.host = this;
  PluginContext& context = block.context;
  context.HostDispatch = &SimHost::Dispatch;
  context.ImageWidth = options_.imageWidth;
  context.ImageHeight = options_.imageHeight;
  context.RedPosition = static_cast<int8_t>(options_.channelPositions[0] & 3);
  context.GreenPosition = static_cast<int8_t>(options_.channelPositions[1] & 3);
  context.BluePosition = static_cast<int8_t>(options_.channelPositions[2] & 3);
  context.AlphaPosition = static_cast<int8_t>(options_.channelPositions[3] & 3);

  Layer layer;
  layer.id = 1;
  layer.name = "Layer 1";
  layer.pixels.assign(static_cast<size_t>(options_.imageWidth) * options_.imageHeight, Rgba{0, 0, 0, 0});
  layers.push_back(layer);
  currentLayerId = 1;
  sparePage.assign(layer.pixels.size(), Rgba{0, 0, 0, 0});

  impl_->LoadUserSettings();
  gHosts.push_back(this);
}

SimHost::~SimHost() {
  gHosts.erase(std::remove(gHosts.begin(), gHosts.end(), this), gHosts.end());
  impl_->SaveUserSettings();
  // The user block the plug-in handed over belongs to the host.
  if (impl_->block.context.UserBlock) {
    std::free(impl_->block.context.UserBlock);
    impl_->block.context.UserBlock = nullptr;
  }
}

PluginContext* SimHost::Context() { return &impl_->block.context; }

HostWord TW_CALL SimHost::Dispatch(PluginContext* context, int32_t function, HostWord* pack) {
  // The context the host handed out leads back to its host; any other
  // context pointer is a protocol fault, served by the newest host.
  for (SimHost* host : gHosts) {
    if (context == &host->impl_->block.context) return host->impl_->Serve(function, pack);
  }
  if (gHosts.empty()) return 0;
  SimHost* host = gHosts.back();
  host->impl_->Fault(Format("host function %d called with a context the host didn't hand out", function));
  return 0;
}

int32_t SimHost::Open() {
  if (!api_.Open) return 0;
  EntryRecord entry;
  entry.entry = "PI_Open";
  impl_->Enter(entry);
  const int32_t result = api_.Open(Context());
  impl_->Leave();
  return result;
}

void SimHost::Close() {
  if (!api_.Close) return;
  // Messages queued before the close reach the plug-in first, as the host's
  // message loop would deliver them; whatever the close itself queues is
  // dropped, since a closed plug-in hears nothing more.
  DeliverPendingMessages();
  EntryRecord entry;
  entry.entry = "PI_Close";
  impl_->Enter(entry);
  api_.Close(Context());
  impl_->pending.clear();
  impl_->Leave();
  if (!impl_->localisations.empty()) impl_->Fault("a localisation handle is still open after PI_Close");
  PluginContext* context = Context();
  if (context->UserBlock) {
    std::free(context->UserBlock);
    context->UserBlock = nullptr;
    context->UserBlockSize = 0;
  }
}

int32_t SimHost::About() {
  if (!api_.About) return 0;
  EntryRecord entry;
  entry.entry = "PI_About";
  impl_->Enter(entry);
  const int32_t result = api_.About(Context());
  impl_->Leave();
  return result;
}

int32_t SimHost::Parameters(const char* command) { return impl_->CallParameters(command); }

int32_t SimHost::UseShortcut(const std::string& key) { return impl_->CallParameters(key.c_str()); }

int32_t SimHost::Message(int32_t kind, RequesterHandle requester, std::vector<HostWord> args) {
  args = PaddedArgs(std::move(args));
  return impl_->CallMsg(kind, requester, args.data());
}

int32_t SimHost::SendEvent(RequesterHandle requester, int32_t event, std::vector<HostWord> args) {
  args = PaddedArgs(std::move(args));
  auto it = impl_->requesters.find(requester);
  if (it == impl_->requesters.end()) {
    impl_->Fault(Format("SendEvent: no requester %lld", static_cast<long long>(requester)));
    return 0;
  }
  if (!it->second.callback) return impl_->CallMsg(event, requester, args.data());
  impl_->CallCallback(it->second, event, args.data());
  return 1;
}

void SimHost::UserClosesRequester(RequesterHandle requester, HostWord closeWord4) {
  if (!impl_->requesters.count(requester)) {
    impl_->Fault(Format("UserClosesRequester: no requester %lld", static_cast<long long>(requester)));
    return;
  }
  impl_->CloseRequester(requester, closeWord4);
  impl_->userClosedRequesters.insert(requester);
  if (impl_->depth == 0) DeliverPendingMessages();
}

int32_t SimHost::ChangeRoom(const std::string& roomName) {
  std::vector<HostWord> args = PaddedArgs({reinterpret_cast<HostWord>(roomName.c_str())});
  return impl_->CallMsg(kMsgRoomChange, 0, args.data());
}

int32_t SimHost::EndCanvasEvents() {
  canvasEvents = false;
  auto& pending = impl_->pending;
  pending.erase(std::remove(pending.begin(), pending.end(), kMsgCanvasEnd), pending.end());
  std::vector<HostWord> args = PaddedArgs({});
  return impl_->CallMsg(kMsgCanvasEnd, 0, args.data());
}

void SimHost::DeliverPendingMessages() {
  if (impl_->delivering) return;
  impl_->delivering = true;
  for (int guard = 0; !impl_->pending.empty(); ++guard) {
    if (guard == 256) {
      impl_->Fault("the plug-in keeps raising host messages; 256 delivered, the rest dropped");
      impl_->pending.clear();
      break;
    }
    const int32_t kind = impl_->pending.front();
    impl_->pending.pop_front();
    std::vector<HostWord> args = PaddedArgs({});
    impl_->CallMsg(kind, 0, args.data());
  }
  impl_->delivering = false;
  if (impl_->depth == 0) impl_->CheckUnclosedFiles("after the host's messages");
}

const std::deque<int32_t>& SimHost::PendingMessages() const { return impl_->pending; }

std::vector<std::string> SimHost::Dialogue() const {
  std::vector<std::string> lines;
  lines.reserve(impl_->sequence.size());
  for (const auto& item : impl_->sequence) {
    if (item.first) {
      const DispatchRecord& call = calls_[item.second];
      lines.push_back(Indent(call.depth) + DescribeCall(call));
    } else {
      const EntryRecord& entry = entries_[item.second];
      lines.push_back(Indent(entry.depth - 1) + DescribeEntry(entry));
    }
  }
  return lines;
}

std::vector<std::string> SimHost::CommandTexts() const {
  std::vector<std::string> texts;
  texts.reserve(commands_.size());
  for (const auto& command : commands_) texts.push_back(command.command);
  return texts;
}

void SimHost::ClearRecords() {
  calls_.clear();
  commands_.clear();
  entries_.clear();
  overlays_.clear();
  messages_.clear();
  shortcuts_.clear();
  popupMenus_.clear();
  impl_->sequence.clear();
  faults_.clear();
}

void SimHost::ScriptReply(const std::string& command, const std::string& reply) {
  scriptedReplies_[command].push_back(reply);
}

void SimHost::SetGadgetTextAsUser(RequesterHandle requester, int32_t gadgetId, const std::string& text) {
  Requester* found = impl_->FindRequester(requester, "SetGadgetTextAsUser");
  if (!found) return;
  Gadget* gadget = impl_->FindGadget(found, gadgetId, "SetGadgetTextAsUser");
  if (gadget) gadget->text = text;
}

void SimHost::MoveRequester(RequesterHandle requester, int32_t x, int32_t y, int32_t width, int32_t height) {
  Requester* found = impl_->FindRequester(requester, "MoveRequester");
  if (!found) return;
  found->x = x;
  found->y = y;
  found->width = width;
  found->height = height;
}

bool SimHost::ClosedByUser(RequesterHandle handle) const { return impl_->userClosedRequesters.count(handle) != 0; }

const Requester* SimHost::FindRequester(RequesterHandle handle) const {
  auto it = impl_->requesters.find(handle);
  return it == impl_->requesters.end() ? nullptr : &it->second;
}

const Requester* SimHost::FindRequesterByTitle(const std::string& title) const {
  for (const auto& requester : impl_->requesters) {
    if (requester.second.title == title) return &requester.second;
  }
  return nullptr;
}

int32_t SimHost::OpenRequesterCount() const { return static_cast<int32_t>(impl_->requesters.size()); }

std::vector<RequesterHandle> SimHost::OpenRequesters() const {
  std::vector<RequesterHandle> handles;
  for (const auto& requester : impl_->requesters) handles.push_back(requester.first);
  return handles;
}

int32_t SimHost::LiveImageCount() const { return static_cast<int32_t>(impl_->images.size()); }

bool SimHost::IsLiveImage(const HostImage* image) const {
  if (!image) return false;
  if (impl_->workImage && image == &impl_->workImage->image) return true;
  return impl_->images.count(image) != 0;
}

Pixel SimHost::ToPixel(Rgba colour) const {
  const PluginContext& context = impl_->block.context;
  uint8_t bytes[4] = {0, 0, 0, 0};
  bytes[context.RedPosition & 3] = Premultiply(colour.r, colour.a);
  bytes[context.GreenPosition & 3] = Premultiply(colour.g, colour.a);
  bytes[context.BluePosition & 3] = Premultiply(colour.b, colour.a);
  bytes[context.AlphaPosition & 3] = colour.a;
  return static_cast<Pixel>(bytes[0]) | static_cast<Pixel>(bytes[1]) << 8 | static_cast<Pixel>(bytes[2]) << 16 |
         static_cast<Pixel>(bytes[3]) << 24;
}

Rgba SimHost::FromPixel(Pixel pixel) const {
  const PluginContext& context = impl_->block.context;
  auto byte = [pixel](int8_t position) { return static_cast<uint8_t>(pixel >> (8 * (position & 3))); };
  const uint8_t a = byte(context.AlphaPosition);
  if (a == 0) return Rgba{0, 0, 0, 0};
  return Rgba{Unpremultiply(byte(context.RedPosition), a), Unpremultiply(byte(context.GreenPosition), a),
              Unpremultiply(byte(context.BluePosition), a), a};
}

// ---------------------------------------------------------------- Win32 loading

// The eight entry points looked up by name; the names not found are listed
// in missing, separated by commas.
template <typename Lookup>
PluginApi FindEntryPoints(Lookup lookup, std::string* missing) {
  PluginApi loaded;
  auto find = [&](const char* name) {
    void* symbol = lookup(name);
    if (!symbol) *missing += std::string(missing->empty() ? "" : ", ") + name;
    return symbol;
  };
  loaded.Open = reinterpret_cast<decltype(loaded.Open)>(find("PI_Open"));
  loaded.Close = reinterpret_cast<decltype(loaded.Close)>(find("PI_Close"));
  loaded.About = reinterpret_cast<decltype(loaded.About)>(find("PI_About"));
  loaded.Parameters = reinterpret_cast<decltype(loaded.Parameters)>(find("PI_Parameters"));
  loaded.Start = reinterpret_cast<decltype(loaded.Start)>(find("PI_Start"));
  loaded.Work = reinterpret_cast<decltype(loaded.Work)>(find("PI_Work"));
  loaded.Finish = reinterpret_cast<decltype(loaded.Finish)>(find("PI_Finish"));
  loaded.Msg = reinterpret_cast<decltype(loaded.Msg)>(find("PI_Msg"));
  return loaded;
}

bool LoadPluginLibrary(const char* path, PluginApi* api, std::string* error) {
#if defined(_WIN32)
  HMODULE module = LoadLibraryA(path);
  if (!module) {
    if (error) *error = Format("LoadLibrary(%s) failed with error %lu", path, GetLastError());
    return false;
  }
  std::string missing;
  PluginApi loaded = FindEntryPoints(
      [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); }, &missing);
  if (!missing.empty()) {
    if (error) *error = std::string(path) + " lacks the exports " + missing;
    FreeLibrary(module);
    return false;
  }
  loaded.module = module;
  if (api) *api = loaded;
  return true;
#else
  void* module = path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
  if (!module) {
    const char* reason = dlerror();
    if (error) *error = Format("dlopen(%s) failed: %s", path ? path : "", reason ? reason : "no library");
    return false;
  }
  std::string missing;
  PluginApi loaded = FindEntryPoints([&](const char* name) { return dlsym(module, name); }, &missing);
  if (!missing.empty()) {
    if (error) *error = std::string(path) + " lacks the exports " + missing;
    dlclose(module);
    return false;
  }
  loaded.module = module;
  if (api) *api = loaded;
  return true;
#endif
}

void UnloadPluginLibrary(PluginApi* api) {
  if (!api) return;
#if defined(_WIN32)
  if (api->module) FreeLibrary(static_cast<HMODULE>(api->module));
#else
  if (api->module) dlclose(api->module);
#endif
  *api = PluginApi{};
}

}  // namespace simhost
