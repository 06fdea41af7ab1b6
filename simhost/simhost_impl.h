// simhost: the stand-in host's private state, shared by its source files.
// Nothing outside simhost/ includes this.
//
// The files, one section of the host each:
//   simhost.cpp             the front end: construction, calls into the plug-in, records and state read back
//   simhost_dispatch.cpp    the dispatcher: recording every call by the protocol table, serving it
//   simhost_requesters.cpp  requesters and gadgets, overlays, the pop-up menu
//   simhost_images.cpp      host-owned images and the filter pass
//   simhost_commands.cpp    the command language (a table of command word to handler) and the canvas model
//   simhost_paint.cpp       what the tool paints in each draw mode, undo, fill, re-apply, the FX stack and the active tool
//   simhost_store.cpp       user settings, settings files, localisation
//   simhost_user.cpp        a person at the host (menu and question handlers, host commands, strokes)
//   simhost_canvas.cpp, simhost_pictures.cpp  pictures of requesters and the canvas as PNG files
//   simhost_library.cpp     loading a plug-in library
//   linked_plugin.cpp, panel_states.cpp  the linked plug-in's entry points and the panel's named states
//                           (for programs that link the plug-in)
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/host_protocol.h"
#include "simhost.h"

namespace simhost {

// The context the plug-in sees is the first member of a larger block that
// also leads back to its SimHost; the static dispatcher finds its host by the
// context's address among the live hosts.
struct HostBlock {
  PluginContext context;
  uint32_t magic;
  SimHost* host;
};
constexpr uint32_t kHostBlockMagic = 0x53494d48;  // "SIMH"

// A host-owned image and its pixels.
struct ImageBlock {
  HostImage image{};
  std::vector<Pixel> pixels;
};

// Section and key names compare without regard to ASCII letter case, as in
// the Windows profile files the real host keeps its settings in.
inline bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// A map by name that keeps its entries in the order they were first stored
// (and the spelling they were first stored with), so files are written in the
// order the plug-in wrote them.
template <typename V>
class InsertionMap {
 public:
  using Entries = std::vector<std::pair<std::string, V>>;
  using iterator = typename Entries::iterator;
  using const_iterator = typename Entries::const_iterator;

  V& operator[](const std::string& key) {
    auto it = find(key);
    if (it != end()) return it->second;
    entries_.emplace_back(key, V{});
    return entries_.back().second;
  }
  iterator find(const std::string& key) {
    return std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return SameNameIgnoringCase(e.first, key); });
  }
  const_iterator find(const std::string& key) const {
    return std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return SameNameIgnoringCase(e.first, key); });
  }
  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  void erase(const std::string& key) {
    auto it = find(key);
    if (it != end()) entries_.erase(it);
  }
  iterator erase(iterator it) { return entries_.erase(it); }
  bool empty() const { return entries_.empty(); }
  void clear() { entries_.clear(); }

 private:
  Entries entries_;
};

// Sections of keys, as user settings and settings files hold them.
using SectionMap = InsertionMap<InsertionMap<std::string>>;

// A settings file open through one or more handles.
struct ConfigDocument {
  SectionMap sections;
  int32_t openCount = 0;
};

struct SimHost::Impl {
  explicit Impl(SimHost* owner);

  SimHost* self;
  HostBlock block{};

  // ---- records: what the plug-in did, in order ----
  std::vector<DispatchRecord> calls;
  std::vector<CommandRecord> commands;
  std::vector<EntryRecord> entries;
  std::vector<OverlayRecord> overlays;
  std::vector<std::string> messages;
  std::vector<std::pair<std::string, std::string>> shortcuts;
  std::vector<PopupMenuRecord> popupMenus;
  std::vector<std::string> faults;
  std::vector<std::string> notes;  // commands not carried out, with the reason
  std::vector<int32_t> noteDepths;  // the plug-in calls each note was made in

  // ---- scripted answers and failures a test or person asks for ----
  std::map<std::string, std::deque<std::string>> scriptedReplies;
  int32_t popupAnswer = 0;
  std::optional<int32_t> askIntegerAnswer;
  PopupMenuHandler popupHandler;
  AskIntegerHandler askIntegerHandler;
  std::function<void(const DispatchRecord&)> callObserver;
  int32_t failRequesterOpens = 0;
  int32_t failImageAllocs = 0;
  int32_t failGetPlaces = 0;
  int32_t failConfigOpens = 0;
  int32_t failWritesAfter = 0;  // settings-file writes that still succeed before failWrites begin
  int32_t failWrites = 0;       // settings-file writes to refuse
  std::string failWriteKey;     // a key whose writes are refused failWriteKeyCount times
  int32_t failWriteKeyCount = 0;
  int64_t failedWrites = 0;     // writes refused so far
  HostWord storedWriteAnswer = 1;  // what a write that stored its value answers
  bool reuseHandles = false;    // the lowest free requester handle, as table-keeping hosts do
  ReplyTamper replyTamper;
  bool localisationOpen = false;

  // ---- live state ----

  // Plug-in calls in progress, and the host messages waiting for the
  // outermost one to return.
  int32_t depth = 0;
  std::deque<int32_t> pending;
  bool delivering = false;
  // Plug-in entries, host calls and the host's notes in the order they
  // began, each an index into its own record list.
  enum class Happening : uint8_t { kEntry, kCall, kNote };
  std::vector<std::pair<Happening, size_t>> sequence;

  std::map<RequesterHandle, Requester> requesters;
  static constexpr RequesterHandle kFirstRequesterHandle = 0x1000;
  static constexpr RequesterHandle kRequesterHandleStep = 0x10;
  RequesterHandle nextRequester = kFirstRequesterHandle;
  // Requesters the user closed. Asking for the place of one is how a plug-in
  // finds out that a plain requester is gone (the answer is 0); any other
  // use of such a handle is a fault.
  std::set<RequesterHandle> userClosedRequesters;

  std::map<const HostImage*, std::unique_ptr<ImageBlock>> images;
  std::set<const HostImage*> freedImages;
  std::unique_ptr<ImageBlock> workImage;  // the filter's image while HostApplyFilter runs
  int32_t filterLayerId = 0;               // the layer the filter pass takes back into

  SectionMap userSettings;

  std::map<HostWord, std::string> configHandles;  // handle -> file path as opened
  std::map<std::string, SectionMap> memoryConfigFiles;  // by file path, with configFilesInMemory
  std::map<std::string, ConfigDocument> configDocuments;  // by file path as opened
  HostWord nextConfigHandle = 0x2000;

  std::map<HostWord, std::map<int32_t, std::string>> localisations;
  std::list<std::map<int32_t, std::string>> closedLocalisations;  // texts stay valid until the host goes
  HostWord nextLocalisation = 0x3000;

  std::vector<UndoStep> undoStack;  // oldest first
  UndoStep undoGroup;               // the canvas at the opening of the outermost open group
  bool undoGroupChanged = false;    // the open group gathered a change
  std::string commandWord;          // lower-case word of the command being served
  int32_t nextLayerId = 2;

  // ---- calling the plug-in ----
  void Enter(const EntryRecord& entry);
  void Leave();
  int32_t CallMsg(int32_t kind, RequesterHandle requester, HostWord* args);
  int32_t CallParameters(const char* text);
  void CallCallback(Requester& requester, int32_t event, HostWord* args);

  // ---- the dispatcher ----
  HostWord Serve(int32_t function, HostWord* pack);
  HostWord Act(int32_t function, int32_t subOperation, HostWord* pack, size_t record);
  HostWord AskInteger(HostWord* pack, size_t record);
  HostWord SendCommand(HostWord* pack, size_t record);
  HostWord RequesterOp(int32_t subOperation, HostWord* pack, size_t record);
  HostWord AddGadget(Requester* requester, HostWord* pack);
  HostWord GadgetOp(int32_t subOperation, Requester* requester, HostWord* pack, size_t record, const char* name);
  HostWord OverlayOp(int32_t subOperation, HostWord* pack);
  HostWord OpenRequester(HostWord* pack, bool callback);
  HostWord CloseRequester(RequesterHandle handle, HostWord word4);
  Requester* FindRequester(RequesterHandle handle, const char* operation);
  Gadget* FindGadget(Requester* requester, int32_t id, const char* operation);
  std::unique_ptr<ImageBlock> NewImage(int32_t width, int32_t height) const;
  HostWord AllocImage(int32_t width, int32_t height);
  HostWord FreeImage(HostImage* image);
  HostWord ApplyFilter();
  HostWord UpdateArea(HostWord* pack);
  HostWord PopupMenu(HostWord* pack, size_t record);
  // ---- images and the filter pass (simhost_images.cpp) ----
  HostWord ReadProjectImage(HostWord* pack);
  HostWord ReadLayerImage(HostWord* pack);
  HostWord UnpackImage(HostWord* pack, size_t record);
  HostWord GetAPenPixel(HostWord* pack);
  void CopyImageOut(Pixel* destination, int32_t width, int32_t height, bool display, const Layer* layer,
                    size_t pixelLimit);

  // ---- commands (simhost_commands.cpp) ----
  std::string Command(const std::string& text);
  // (simhost_paint.cpp) A change is about to be made: remember the canvas as
  // one undo step named `name` (the command word when empty), or, inside an
  // open group, mark the group as changed.
  void PushUndo(const std::string& name = std::string());
  void Undo();
  void OpenUndoGroup();
  void CloseUndoGroup(const std::string& name);
  void Reapply();
  void Fill(int32_t x, int32_t y);
  // tv_stackapply: the FX stack over the current layer, one undo step.
  void ApplyFxStack();
  std::string ToolReply() const;
  // "<tool> key value ..." for the active tool; false when it is not one.
  bool ToolCommand(const std::vector<std::string>& tokens);

  // ---- user settings, settings files, localisation (simhost_store.cpp) ----
  void LoadUserSettings();
  void SaveUserSettings();
  HostWord OpenConfigFile(const char* path);
  HostWord CloseConfigFile(HostWord handle);
  ConfigDocument* FindConfig(HostWord handle, const char* operation, std::string* path);
  bool SaveConfig(const std::string& path, const SectionMap& sections);
  // True when this write of `key` is to fail (FailConfigWrites, FailConfigWritesOfKey).
  bool RefuseConfigWrite(const std::string& key);
  HostWord OpenLocalisation(const char* name);
  HostWord CloseLocalisation(HostWord handle);
  const char* LocalisedString(HostWord handle, int32_t number);
  void CheckUnclosedFiles(const char* when);
  HostWord ReadUserString(HostWord* pack, size_t record);
  HostWord ReadConfigString(HostWord* pack, size_t record);
  HostWord WriteConfigString(HostWord* pack, size_t record);

  void Fault(const std::string& text);
  void Note(const std::string& command, const std::string& reason);
};

constexpr int32_t kEventArgWords = 16;  // argument words the host hands with every event

// The protocol row the dispatcher records a call by (a one-word stand-in for
// an unknown sub-operation of the two families); null for an unknown function.
const HostCallShape* ShapeOf(int32_t function, int32_t subOperation);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Event argument words padded with zeros to kEventArgWords.
std::vector<HostWord> PaddedArgs(std::vector<HostWord> args);

// Reads a NUL-terminated text from a pack word ("" for null), bounded.
std::string ReadText(HostWord word, bool* terminated = nullptr);
// Writes text into a buffer of `size` bytes: at most min(size - 1, 255)
// bytes and a NUL. Nothing when buffer is null or size < 1. Returns what was written.
std::string WriteBounded(char* buffer, int64_t size, const std::string& text);
// Reads a settings text file: "[section]" lines and "key=value" lines.
bool ReadSectionFile(const std::string& path, SectionMap* sections, bool escaped);
bool WriteSectionFile(const std::string& path, const SectionMap& sections, bool escaped);
// A file path as the host opens it: backslashes become slashes off Windows.
std::string HostPath(const std::string& path);

}  // namespace simhost
