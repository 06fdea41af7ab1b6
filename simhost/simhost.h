// simhost: Tintwell's stand-in for the paint host.
//
// It serves every host function, sub-operation and command the plug-in uses,
// with a small but real model behind them (pens, canvas layers, tool state,
// requesters with gadgets, images, user settings, settings files,
// localisation), records every dispatcher call and every command in order,
// and drives the plug-in either linked in (native) or loaded as tintwell.dll
// through LoadLibrary (Windows). One SimHost is live at a time.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugin/abi.h"

namespace simhost {

// The eight entry points of a plug-in.
struct PluginApi {
  int32_t(TW_CALL* Open)(PluginContext*) = nullptr;
  void(TW_CALL* Close)(PluginContext*) = nullptr;
  int32_t(TW_CALL* About)(PluginContext*) = nullptr;
  int32_t(TW_CALL* Parameters)(PluginContext*, const char*) = nullptr;
  int32_t(TW_CALL* Start)(PluginContext*, int32_t, int32_t, int32_t, int32_t) = nullptr;
  int32_t(TW_CALL* Work)(PluginContext*) = nullptr;
  void(TW_CALL* Finish)(PluginContext*) = nullptr;
  int32_t(TW_CALL* Msg)(PluginContext*, int32_t, HostWord, HostWord*) = nullptr;
};

// The entry points linked into this program (native builds and the Windows
// unit tests). Defined in linked_plugin.cpp, which needs the plug-in's code.
PluginApi LinkedPluginApi();

// Loads a plug-in DLL with LoadLibrary and finds its eight exports by their
// plain names (Windows only). False with a reason when anything is missing.
bool LoadPluginLibrary(const char* path, PluginApi* api, std::string* error);

// One dispatcher call as the plug-in made it.
struct DispatchRecord {
  int32_t function = 0;
  int32_t subOperation = -1;       // word 0 for functions 230 and 1688, else -1
  std::vector<HostWord> pack;      // every word of the pack, up to its length
  std::vector<std::string> texts;  // the texts the pack's text words pointed at, in word order
  HostWord result = 0;
};

// One host command and the reply the host gave.
struct CommandRecord {
  std::string command;
  std::string reply;
};

struct Gadget {
  int32_t id = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t flags = 0;
  std::string text;
  std::string help;
  HostImage* image = nullptr;  // last image handed to the gadget
};

struct Requester {
  RequesterHandle handle = 0;
  bool callback = false;  // opened with HostOpenCallbackRequester
  RequesterCallbackFn callbackFn = nullptr;
  std::string title;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t flags = 0;
  bool tracking = false;
  int32_t raiseCount = 0;
  int32_t showCount = 0;
  std::map<int32_t, Gadget> gadgets;
};

// A drawing made over the canvas view.
struct OverlayRecord {
  int32_t subOperation = 0;
  std::vector<float> coordinates;  // as sent
  Pixel colour = 0;
  int32_t size = 0;
  HostImage* image = nullptr;
};

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

// A canvas layer: straight (not premultiplied) colours, row after row.
struct Layer {
  int32_t id = 0;
  std::string name;
  bool visible = true;
  std::vector<Rgba> pixels;
};

struct HostOptions {
  int32_t imageWidth = 64;   // project image size
  int32_t imageHeight = 48;
  uint8_t channelPositions[4] = {2, 1, 0, 3};  // red, green, blue, alpha byte positions
  std::string settingsPath;       // user settings, persisted between runs; empty keeps them in memory
  std::string localisationPath;   // file served as "tintwell.loc"; empty means no such file
  std::string pluginDirectory = ".";  // reply of "tv_GetPath PLUGIN"
};

class SimHost {
 public:
  SimHost(PluginApi api, HostOptions options = {});
  ~SimHost();
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  PluginContext* Context();
  const HostOptions& Options() const { return options_; }

  // ---- calling the plug-in (messages queued by the host are delivered
  // after the outermost call returns) ----
  int32_t Open();
  void Close();  // PI_Close, then the host releases the user block
  int32_t About();
  int32_t Parameters(const char* command);
  int32_t Message(int32_t kind, RequesterHandle requester, std::vector<HostWord> args);
  // Event of a callback requester, as the user would cause it.
  int32_t SendEvent(RequesterHandle requester, int32_t event, std::vector<HostWord> args);
  // The user closes a requester: a callback requester gets event 101 with
  // argument word 4 set to closeWord4.
  void UserClosesRequester(RequesterHandle requester, HostWord closeWord4 = 0);
  // The host room changes (message 320 with a pointer to the name).
  int32_t ChangeRoom(const std::string& roomName);
  // The host ends canvas event delivery on its own (message 1000).
  int32_t EndCanvasEvents();

  // ---- records ----
  const std::vector<DispatchRecord>& Calls() const { return calls_; }
  const std::vector<CommandRecord>& Commands() const { return commands_; }
  std::vector<std::string> CommandTexts() const;
  const std::vector<OverlayRecord>& Overlays() const { return overlays_; }
  const std::vector<std::string>& Messages() const { return messages_; }  // HostMessage texts
  const std::vector<std::pair<std::string, std::string>>& Shortcuts() const { return shortcuts_; }
  // Protocol faults the host noticed (freeing an unknown image, closing an
  // unknown requester, an unterminated text...). Empty in a clean dialogue.
  const std::vector<std::string>& Faults() const { return faults_; }
  void ClearRecords();

  // ---- scripted answers ----
  // The next command equal to `command` gets `reply` instead of the model's.
  void ScriptReply(const std::string& command, const std::string& reply);
  void SetPopupMenuAnswer(int32_t id) { popupAnswer_ = id; }
  void SetAskIntegerAnswer(std::optional<int32_t> value) { askIntegerAnswer_ = value; }
  void FailNextRequesterOpen(int32_t count = 1) { failRequesterOpens_ = count; }
  void FailNextImageAlloc(int32_t count = 1) { failImageAllocs_ = count; }

  // ---- the model ----
  Rgba aPen{0, 0, 0, 255};
  Rgba bPen{255, 255, 255, 255};
  std::string activeTool = "airbrush";
  std::string activeShape = "freehandline";
  std::string drawMode = "color";
  std::vector<Layer> layers;  // one empty layer at start
  int32_t currentLayerId = 0;
  bool mouseLocked = false;
  bool canvasEvents = false;
  int32_t canvasEventMask = 0;
  // Colour of the A-B range at position 0..255 (A at 0, B at 255).
  Rgba RangeColour(int32_t position) const;
  Layer* CurrentLayer();
  Layer* FindLayer(int32_t id);

  // ---- host state ----
  const Requester* FindRequester(RequesterHandle handle) const;
  const Requester* FindRequesterByTitle(const std::string& title) const;
  int32_t OpenRequesterCount() const;
  int32_t LiveImageCount() const;
  std::optional<std::string> UserSetting(const std::string& section, const std::string& key) const;
  void SetUserSetting(const std::string& section, const std::string& key, const std::string& value);
  bool localisationOpen() const { return localisationOpen_; }

  // The dispatcher the plug-in calls (stored in the context).
  static HostWord TW_CALL Dispatch(PluginContext* context, int32_t function, HostWord* pack);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  PluginApi api_;
  HostOptions options_;
  std::vector<DispatchRecord> calls_;
  std::vector<CommandRecord> commands_;
  std::vector<OverlayRecord> overlays_;
  std::vector<std::string> messages_;
  std::vector<std::pair<std::string, std::string>> shortcuts_;
  std::vector<std::string> faults_;
  std::map<std::string, std::deque<std::string>> scriptedReplies_;
  int32_t popupAnswer_ = 0;
  std::optional<int32_t> askIntegerAnswer_;
  int32_t failRequesterOpens_ = 0;
  int32_t failImageAllocs_ = 0;
  bool localisationOpen_ = false;
  friend struct Impl;
};

}  // namespace simhost
