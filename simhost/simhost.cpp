// simhost: the stand-in host's front end: the host's construction, the calls
// a test or a desktop host makes into the plug-in, the records and the state
// it reads back. The dispatcher, requesters, images, commands, settings and
// library loading each have their own file (see simhost_impl.h).
#include <algorithm>
#include <cstring>

#include "host/host_protocol.h"
#include "simhost_impl.h"

namespace simhost {

namespace {

uint8_t Premultiply(uint8_t c, uint8_t a) { return static_cast<uint8_t>((c * a + 127) / 255); }
uint8_t Unpremultiply(uint8_t c, uint8_t a) {
  if (a == 0) return 0;
  return static_cast<uint8_t>(std::min(255, (c * 255 + a / 2) / a));
}

// The live hosts, newest last (normally one).
std::vector<SimHost*> gHosts;

std::string Indent(int32_t depth) { return std::string(static_cast<size_t>(std::max(0, depth)) * 2, ' '); }

}  // namespace

// ---------------------------------------------------------------- SimHost


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
    if (item.first == Impl::Happening::kCall) {
      const DispatchRecord& call = impl_->calls[item.second];
      lines.push_back(Indent(call.depth) + DescribeCall(call));
    } else if (item.first == Impl::Happening::kEntry) {
      const EntryRecord& entry = impl_->entries[item.second];
      lines.push_back(Indent(entry.depth - 1) + DescribeEntry(entry));
    } else {
      lines.push_back(Indent(impl_->noteDepths[item.second]) + "host: not carried out: " + impl_->notes[item.second]);
    }
  }
  return lines;
}

std::vector<std::string> SimHost::CommandTexts() const {
  std::vector<std::string> texts;
  texts.reserve(impl_->commands.size());
  for (const auto& command : impl_->commands) texts.push_back(command.command);
  return texts;
}

void SimHost::ClearRecords() {
  impl_->calls.clear();
  impl_->commands.clear();
  impl_->entries.clear();
  impl_->overlays.clear();
  impl_->messages.clear();
  impl_->shortcuts.clear();
  impl_->popupMenus.clear();
  impl_->sequence.clear();
  impl_->faults.clear();
  impl_->notes.clear();
  impl_->noteDepths.clear();
}

void SimHost::ScriptReply(const std::string& command, const std::string& reply) {
  impl_->scriptedReplies[command].push_back(reply);
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

// ---------------------------------------------------------------- records and scripted answers

const std::vector<DispatchRecord>& SimHost::Calls() const { return impl_->calls; }
const std::vector<CommandRecord>& SimHost::Commands() const { return impl_->commands; }
const std::vector<EntryRecord>& SimHost::Entries() const { return impl_->entries; }
const std::vector<OverlayRecord>& SimHost::Overlays() const { return impl_->overlays; }
const std::vector<std::string>& SimHost::Messages() const { return impl_->messages; }
const std::vector<std::pair<std::string, std::string>>& SimHost::Shortcuts() const { return impl_->shortcuts; }
const std::vector<PopupMenuRecord>& SimHost::PopupMenus() const { return impl_->popupMenus; }
const std::vector<std::string>& SimHost::Faults() const { return impl_->faults; }
const std::vector<std::string>& SimHost::Notes() const { return impl_->notes; }
bool SimHost::localisationOpen() const { return impl_->localisationOpen; }

void SimHost::SetPopupMenuAnswer(int32_t id) { impl_->popupAnswer = id; }
void SimHost::SetAskIntegerAnswer(std::optional<int32_t> value) { impl_->askIntegerAnswer = value; }
void SimHost::ObserveCalls(std::function<void(const DispatchRecord&)> observer) {
  impl_->callObserver = std::move(observer);
}
void SimHost::FailNextRequesterOpen(int32_t count) { impl_->failRequesterOpens = count; }
void SimHost::FailNextImageAlloc(int32_t count) { impl_->failImageAllocs = count; }
void SimHost::FailNextGetRequesterPlace(int32_t count) { impl_->failGetPlaces = count; }
void SimHost::FailNextConfigFileOpen(int32_t count) { impl_->failConfigOpens = count; }
void SimHost::FailConfigWrites(int32_t after, int32_t count) {
  impl_->failWritesAfter = after;
  impl_->failWrites = count;
}
void SimHost::FailConfigWritesOfKey(const std::string& key, int32_t count) {
  impl_->failWriteKey = key;
  impl_->failWriteKeyCount = count;
}
int64_t SimHost::FailedConfigWrites() const { return impl_->failedWrites; }
void SimHost::AnswerStoredConfigWrites(HostWord answer) { impl_->storedWriteAnswer = answer; }
void SimHost::ReuseRequesterHandles(bool reuse) { impl_->reuseHandles = reuse; }
void SimHost::SetReplyTamper(ReplyTamper tamper) { impl_->replyTamper = std::move(tamper); }
void SimHost::SetPopupMenuHandler(PopupMenuHandler handler) { impl_->popupHandler = std::move(handler); }
void SimHost::SetAskIntegerHandler(AskIntegerHandler handler) { impl_->askIntegerHandler = std::move(handler); }

}  // namespace simhost
