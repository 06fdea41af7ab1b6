// simhost: Tintwell's stand-in for the paint host.
//
// It serves every host function, sub-operation and command the plug-in uses,
// with a small but real model behind them (pens, canvas layers, tool state,
// requesters with gadgets, images, user settings, settings files,
// localisation), records every dispatcher call and every command in order,
// and drives the plug-in either linked in (native) or loaded as tintwell.dll
// through LoadLibrary (Windows) or dlopen (elsewhere).
//
// Re-entry works as on the real host: a callback requester gets event 100
// inside the open call and 101 inside the close call, HostApplyFilter runs
// PI_Start, PI_Work and PI_Finish before it returns, and the command
// "tv_plugin \"tintwell\" cmd \"l\"" calls PI_Parameters with "l". Messages
// the host raises itself (1000 after HostStopCanvasEvents, 300 after
// HostOverlayRedraw) are queued and delivered to PI_Msg when the outermost
// call into the plug-in that a SimHost method made returns; host functions
// called straight from a test leave them queued until the next such call or
// DeliverPendingMessages().
//
// The host's own choices (documented where they are made): section and key
// names of user settings and settings files ignore ASCII letter case, as the
// Windows profile files of the real host do; scripted answers (pop-up menu, ask
// integer) stay in force until changed; HostFreeImage(null) is a no-op;
// a scripted reply replaces the model's reply but the model still acts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/abi.h"

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
  void* module = nullptr;  // the loaded library (Windows), null when linked in
};

// The entry points linked into this program (native builds and the Windows
// unit tests). Defined in linked_plugin.cpp, which needs the plug-in's code.
PluginApi LinkedPluginApi();

// Loads a plug-in library (LoadLibrary on Windows, dlopen elsewhere) and
// finds its eight exports by their plain names. False with a reason when the
// library can't be loaded or anything is missing.
bool LoadPluginLibrary(const char* path, PluginApi* api, std::string* error);
// Unloads a library LoadPluginLibrary loaded and clears api;
// nothing for a linked-in plug-in. Every SimHost using it must be gone.
void UnloadPluginLibrary(PluginApi* api);

// One dispatcher call as the plug-in made it.
struct DispatchRecord {
  int32_t function = 0;
  int32_t subOperation = -1;       // word 0 for functions 230 and 1688, else -1
  std::vector<HostWord> pack;      // every word of the pack, up to its length
  std::vector<std::string> texts;  // one per text word, in word order ("" for a null text)
  std::vector<int32_t> textWords;  // the pack index of each entry of texts
  std::string output;              // text the host wrote or returned (reply, value read, localised text)
  HostWord result = 0;
  int32_t depth = 0;               // plug-in calls it was made in (1 = the outermost; 0 = straight from a test)
};

// One host command and the reply the host gave (as written into the reply
// buffer: at most 255 bytes; recorded the same when no buffer was given).
struct CommandRecord {
  std::string command;
  std::string reply;
};

// One call the host made into the plug-in, for order checks:
// "PI_Open", "PI_Close", "PI_About", "PI_Parameters", "PI_Start", "PI_Work",
// "PI_Finish", "PI_Msg", "callback".
struct EntryRecord {
  std::string entry;
  int32_t kind = 0;              // PI_Msg kind or callback event; 0 otherwise
  RequesterHandle requester = 0;  // PI_Msg and callback
  std::string text;              // PI_Parameters text ("(null)" for null)
  int32_t depth = 0;             // 1 = outermost
};

struct Gadget {
  int32_t id = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t flags = 0;
  std::string text;
  std::string help;
  HostImage* image = nullptr;  // last image handed to the gadget (may be freed since)
  // Copy of that image taken when it was handed over, as the host shows it.
  int32_t imageWidth = 0, imageHeight = 0;
  std::vector<Pixel> imagePixels;
  int32_t imageSetCount = 0;
};

struct Requester {
  RequesterHandle handle = 0;
  bool callback = false;  // opened with HostOpenCallbackRequester
  RequesterCallbackFn callbackFn = nullptr;
  std::string title;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t flags = 0;
  bool tracking = false;
  bool closing = false;  // inside its close call
  int32_t raiseCount = 0;
  int32_t showCount = 0;
  std::map<int32_t, Gadget> gadgets;
};

// A drawing made over the canvas view.
struct OverlayRecord {
  int32_t subOperation = 0;
  std::vector<float> coordinates;  // as sent: line x1 y1 x2 y2; dot x y; image x y then 8 corner offsets
  Pixel colour = 0;
  int32_t size = 0;
  HostImage* image = nullptr;
};

// One pop-up menu the plug-in showed.
struct MenuItemRecord {
  std::string text;
  int32_t id = 0;
  int32_t flags = 0;
};
struct PopupMenuRecord {
  std::vector<MenuItemRecord> items;  // the items counted by the call, terminator excluded
  int32_t answer = 0;
};

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
  bool operator!=(const Rgba& o) const { return !(*this == o); }
};

// Straight-alpha "over": top, its alpha scaled by coverage (0..1), over
// bottom. What the canvas composes layers and strokes with.
Rgba Over(Rgba top, Rgba bottom, double coverage = 1.0);

// A canvas layer: straight (not premultiplied) colours, row after row, the
// project's size.
struct Layer {
  int32_t id = 0;
  std::string name;
  bool visible = true;
  bool stencil = false;
  std::vector<Rgba> pixels;
  bool operator==(const Layer& o) const {
    return id == o.id && name == o.name && visible == o.visible && stencil == o.stencil && pixels == o.pixels;
  }
  bool operator!=(const Layer& o) const { return !(*this == o); }
};

// One step of the host's undo history: the canvas as tv_undo brings it back.
struct UndoStep {
  std::string name;  // the command word that made the change, "stroke", or a closed group's name
  std::vector<Layer> layers;
  int32_t currentLayerId = 0;
};

// A line the artist drew: its pixels, the colour it was drawn with and how
// much paint each pixel took (0..1, one per point; empty: all full).
// tv_reapply paints it again on the current layer with the A pen, in the
// draw mode of the moment.
struct Stroke {
  std::vector<std::pair<int32_t, int32_t>> points;
  Rgba colour;
  std::vector<float> cover;
};

struct HostOptions {
  int32_t imageWidth = 64;   // project image size
  int32_t imageHeight = 48;
  uint8_t channelPositions[4] = {2, 1, 0, 3};  // red, green, blue, alpha byte positions
  std::string settingsPath;       // user settings, persisted between runs; empty keeps them in memory
  std::string localisationPath;   // file served as "tintwell.loc"; empty means no such file
  // Served as "tintwell.loc" instead of a file when set (texts by number).
  std::optional<std::map<int32_t, std::string>> localisationTexts;
  std::string pluginDirectory = ".";  // reply of "tv_GetPath PLUGIN"
  // Settings files (HostOpenConfigFile) live in this host's memory only and
  // start empty; ConfigFileValue and SetConfigFileValue reach them.
  bool configFilesInMemory = false;
};

// Expands a PackBits stream of 4-byte pixels (control c 0..127: c + 1
// literal pixels; 129..255: one pixel repeated 257 - c times; 128 unused)
// into exactly `count` pixels, copying each pixel's bytes unchanged. Reads at
// most packedSize bytes. Returns the bytes consumed; *ok (if given) is false
// when the stream ran out, held a 128, or a packet ran past the count.
size_t UnpackPackBits(const uint8_t* packed, size_t packedSize, Pixel* destination, int32_t count,
                      bool* ok = nullptr);

// Writes a localisation file in the stand-in host's format: one
// "NUMBER text" line per entry, "\n" and "\\" escaped, other bytes unchanged,
// a bare "NUMBER" for an empty text. False when the file can't be written.
bool WriteLocalisationFile(const std::string& path, const std::vector<std::pair<int32_t, std::string>>& texts);

// One line describing a dispatcher call: operation name, its words (texts
// quoted, floats decoded, other pointers as "ptr"), result and output.
std::string DescribeCall(const DispatchRecord& call);
// One line describing a call into the plug-in, e.g. "> PI_Msg(1000, 0)".
std::string DescribeEntry(const EntryRecord& entry);

class SimHost {
 public:
  SimHost(PluginApi api, HostOptions options = {});
  ~SimHost();
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  PluginContext* Context();
  const HostOptions& Options() const { return options_; }
  // What the next HostOpenLocalisation serves (a host restart with another
  // localisation file); nullopt: the file named in the options, if any.
  void SetLocalisationTexts(std::optional<std::map<int32_t, std::string>> texts) {
    options_.localisationTexts = std::move(texts);
  }

  // ---- calling the plug-in (messages queued by the host are delivered
  // after the outermost call returns) ----
  int32_t Open();
  void Close();  // PI_Close (queued messages delivered first, none after), then the host releases the user block
  int32_t About();
  int32_t Parameters(const char* command);
  int32_t Message(int32_t kind, RequesterHandle requester, std::vector<HostWord> args);
  // Event of a requester, as the user would cause it: a callback
  // requester's callback gets it, a plain requester's goes to PI_Msg. The
  // argument words are padded with zeros to 16.
  int32_t SendEvent(RequesterHandle requester, int32_t event, std::vector<HostWord> args);
  // The user closes a requester: a callback requester gets event 101 with
  // argument word 4 set to closeWord4; then it is gone. A plain requester's
  // plug-in hears nothing (plain requesters report only presses and pointer
  // moves); from then on HostGetRequesterPlace on its handle answers 0, and
  // any other use of the handle is a fault.
  void UserClosesRequester(RequesterHandle requester, HostWord closeWord4 = 0);
  // The host room changes (message 320 with a pointer to the name).
  int32_t ChangeRoom(const std::string& roomName);
  // The host ends canvas event delivery on its own (message 1000).
  int32_t EndCanvasEvents();
  // A keyboard shortcut is used: PI_Parameters with its key text.
  int32_t UseShortcut(const std::string& key);
  // Delivers the queued host messages now (normally done after every
  // outermost call into the plug-in).
  void DeliverPendingMessages();
  const std::deque<int32_t>& PendingMessages() const;

  // ---- records ----
  const std::vector<DispatchRecord>& Calls() const;
  const std::vector<CommandRecord>& Commands() const;
  std::vector<std::string> CommandTexts() const;
  const std::vector<EntryRecord>& Entries() const;
  const std::vector<OverlayRecord>& Overlays() const;
  const std::vector<std::string>& Messages() const;  // HostMessage texts
  const std::vector<std::pair<std::string, std::string>>& Shortcuts() const;  // label, key
  const std::vector<PopupMenuRecord>& PopupMenus() const;
  // The whole dialogue, one readable line per plug-in entry and host call,
  // indented by nesting (what simhost_session prints).
  std::vector<std::string> Dialogue() const;
  // Protocol faults the host noticed (freeing an unknown image, closing an
  // unknown requester, an unclosed settings file...). Empty in a clean dialogue.
  const std::vector<std::string>& Faults() const;
  // Commands the host did not carry out, or carried out with nothing to do,
  // each with the reason ("tv_setColor 99999: ..."): what a host shows in its
  // log; the dialogue has each at its place ("host: not carried out: ...").
  // Not faults: the plug-in may send them.
  const std::vector<std::string>& Notes() const;
  void ClearRecords();

  // ---- scripted answers ----
  // The next command equal to `command` gets `reply` instead of the
  // model's (the model still acts on it). Several scripts for one command
  // are used in order.
  void ScriptReply(const std::string& command, const std::string& reply);
  void SetPopupMenuAnswer(int32_t id);  // stays in force
  // The value the user types for HostAskInteger (clamped to the asked
  // range); nullopt leaves the int32 unchanged (the user cancels). The call's
  // output records "<value offered> -> <answer>" or "<value offered> -> cancelled".
  void SetAskIntegerAnswer(std::optional<int32_t> value);
  // Called for every host call the plug-in makes, after it is recorded and
  // before the host acts on it (null: none).
  void ObserveCalls(std::function<void(const DispatchRecord&)> observer);
  void FailNextRequesterOpen(int32_t count = 1);
  void FailNextImageAlloc(int32_t count = 1);
  void FailNextGetRequesterPlace(int32_t count = 1);
  void FailNextConfigFileOpen(int32_t count = 1);
  // Settings-file writes fail as on a full disk: once `after` more writes
  // have succeeded, the next `count` writes store nothing and answer 0.
  // FailConfigWrites(0, 0) ends it.
  void FailConfigWrites(int32_t after, int32_t count = 1 << 30);
  // Writes of one key (in any section, letter case ignored) fail `count` times.
  void FailConfigWritesOfKey(const std::string& key, int32_t count = 1);
  // Settings-file writes refused so far.
  int64_t FailedConfigWrites() const;
  // What a settings-file write that stored its value answers (1 unless set):
  // the interface promises nothing there, so a host may answer 0.
  void AnswerStoredConfigWrites(HostWord answer);
  // Requester handles: by default every requester gets a new handle; with
  // reuse on, the lowest handle no open requester has, as hosts that keep
  // their windows in a table hand them out (or a freed window's pointer).
  void ReuseRequesterHandles(bool reuse);
  // A careless or hostile host: called with every command and the reply the
  // host would give (scripted or the model's); it may change the reply, and
  // when it returns true the host fills all 256 bytes of the reply buffer
  // with the reply (cut, or padded with '#') and writes no terminator. The
  // model has already acted on the command. Null: replies as they are.
  using ReplyTamper = std::function<bool(const std::string& command, std::string* reply)>;
  void SetReplyTamper(ReplyTamper tamper);
  // The user edits a text gadget (send event 106 afterwards to tell the plug-in).
  void SetGadgetTextAsUser(RequesterHandle requester, int32_t gadgetId, const std::string& text);
  // The user moves a requester.
  void MoveRequester(RequesterHandle requester, int32_t x, int32_t y, int32_t width, int32_t height);

  // ---- a person at the host (simhost_user.cpp) ----
  // A desktop host asks its user: the handlers answer the pop-up menu and
  // the integer question when they are asked (from inside the plug-in's
  // call). Null handlers leave the scripted answers above in force. The ask
  // handler gets the prompt, the value offered and the range, and returns
  // the answer or nullopt when the user cancels; answers are clamped to the
  // range as scripted ones are.
  using PopupMenuHandler = std::function<int32_t(const PopupMenuRecord& menu)>;
  using AskIntegerHandler = std::function<std::optional<int32_t>(const std::string& prompt, int32_t value,
                                                                 int32_t minimum, int32_t maximum)>;
  void SetPopupMenuHandler(PopupMenuHandler handler);
  void SetAskIntegerHandler(AskIntegerHandler handler);
  // The user runs a command of the host's language (from the host's menus or
  // console): served and recorded as the plug-in's commands are; returns the
  // reply.
  std::string RunCommand(const std::string& text);
  // True while a call into the plug-in is in progress (records must not be
  // cleared then: the call in progress still writes into them).
  bool InsidePluginCall() const;
  // The user is about to change the canvas (a brush stroke): the canvas as
  // it is becomes one undo step with that name.
  void RecordUndoStep(const std::string& name = "stroke");
  // A new project starts with no undo history.
  void ClearUndoHistory();

  // ---- the model ----
  Rgba aPen{0, 0, 0, 255};
  Rgba bPen{255, 255, 255, 255};
  std::string activeTool = "airbrush";
  // Settings of the active tool, answered after its name ("size 20 power
  // 100 ..."); "<tool> key value ..." commands for the active tool change them.
  std::vector<std::pair<std::string, std::string>> toolSettings;
  std::string activeShape = "freehandline";
  std::string drawMode = "color";
  std::vector<Layer> layers;  // bottom first; one transparent layer (id 1) at start
  int32_t currentLayerId = 0;
  std::vector<Rgba> sparePage;  // the spare page (tv_sparecopy / tv_sparetofront)
  // The host's FX stack, which tv_stackapply runs over the current layer:
  // "" (empty: the picture stays as it is), "desaturate" or "invert".
  std::string fxStack;
  bool mouseLocked = false;
  bool canvasEvents = false;
  int32_t canvasEventMask = 0;
  int32_t undoStackDepth = 0;  // open tv_undoopenstack groups
  // Colour of the A-B range at position 0..255 (A at 0, B at 255).
  Rgba RangeColour(int32_t position) const;
  Layer* CurrentLayer();
  Layer* FindLayer(int32_t id);
  // A pixel of a layer (or transparent outside), and the visible composite.
  Rgba LayerPixel(const Layer& layer, int32_t x, int32_t y) const;
  Rgba DisplayPixel(int32_t x, int32_t y) const;
  // The user resizes the canvas: the context's image size follows, layers
  // keep what fits (top-left), the spare page and undo history are dropped.
  void SetProjectSize(int32_t width, int32_t height);
  // Paints into the current layer (straight colour), for test set-up.
  void PaintPixel(int32_t x, int32_t y, Rgba colour);
  void FillCurrentLayer(Rgba colour);
  // The artist draws a line on the current layer: one undo step named
  // "stroke", remembered for tv_reapply (simhost_paint.cpp).
  void DrawStroke(const std::vector<std::pair<int32_t, int32_t>>& points, Rgba colour);
  // What the tool leaves on a canvas pixel (x, y) holding `base` when it
  // lays `pen` with `coverage` (0..1) in the draw mode of the moment: color
  // paints the pen; lighten and darken keep the lighter or darker of pen and
  // canvas per channel; add adds them; colorize gives the canvas the pen's
  // hue and saturation, keeping its lightness; merge paints the spare
  // page's pixel at (x, y) instead of the pen. Other modes paint as color.
  Rgba ToolPaint(int32_t x, int32_t y, Rgba base, Rgba pen, double coverage) const;
  // The draw modes ToolPaint knows.
  static bool KnownDrawMode(const std::string& mode);
  std::optional<Stroke> lastStroke;
  // The undo history, oldest first (the last entry is what tv_undo takes back).
  const std::vector<UndoStep>& UndoHistory() const;
  // Pixel in the context's channel layout, premultiplied by alpha, and back.
  Pixel ToPixel(Rgba colour) const;
  Rgba FromPixel(Pixel pixel) const;

  // ---- host state ----
  const Requester* FindRequester(RequesterHandle handle) const;
  bool ClosedByUser(RequesterHandle handle) const;  // UserClosesRequester closed it
  int32_t OpenRequesterCount() const;
  std::vector<RequesterHandle> OpenRequesters() const;
  int32_t LiveImageCount() const;
  bool IsLiveImage(const HostImage* image) const;
  int32_t OpenConfigFileCount() const;
  // A value of a settings file kept in memory (configFilesInMemory), by the
  // path as the plug-in opens it.
  std::optional<std::string> ConfigFileValue(const std::string& path, const std::string& section,
                                             const std::string& key) const;
  void SetConfigFileValue(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& value);
  std::optional<std::string> UserSetting(const std::string& section, const std::string& key) const;
  void SetUserSetting(const std::string& section, const std::string& key, const std::string& value);
  bool localisationOpen() const;

  // The dispatcher the plug-in calls (stored in the context).
  static HostWord TW_CALL Dispatch(PluginContext* context, int32_t function, HostWord* pack);

  // The host's records and live state; opaque outside simhost/ (defined in
  // simhost_impl.h).
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  PluginApi api_;
  HostOptions options_;
  // Everything else the host holds, records and live state alike, is in
  // Impl (simhost_impl.h).
  friend struct Impl;
};

}  // namespace simhost
