// tintwell_desktop: the stand-in host as a desktop program.
//
// One SDL2 window is the host's screen: a canvas view fills it, the
// plug-in's requesters float over it as Dear ImGui windows at their places,
// and the host's own chrome (menus, the pop-up menu of the plug-in, the
// integer question, message boxes, tooltips) is Dear ImGui. Behind it the
// stand-in host library (simhost) serves every host function and command;
// the plug-in is the native shared library, loaded with dlopen and driven
// through its eight entry points exactly as the real host drives the DLL.
//
// Threading and re-entry: everything runs on the one thread. The plug-in is
// only called between frames (events, queued menu actions), never while a
// Dear ImGui frame is being built. Questions the plug-in asks from inside a
// call (pop-up menu, integer) run nested frames until the user answers; the
// nested frames draw the whole screen but forward nothing to the plug-in.
#pragma once

#include <SDL.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "desktop_locale.h"
#include "desktop_text.h"
#include "host_menu.h"
#include "simhost.h"
#include "simhost_pictures.h"

struct ImGuiWindow;

namespace desktop {

constexpr int kExitNoDisplay = 3;  // the program's exit status when no display can be opened

struct Options {
  std::string pluginPath;        // the plug-in library (tintwell.so)
  std::string homeDirectory;     // user settings, colour-scheme file and window places live here
  // Served as "tintwell.loc" (GBK texts by number); none: the built-in texts.
  std::optional<std::map<int32_t, std::string>> localisationTexts;
  std::string textsDescription;  // which texts, and why, for the start line
  TextChoice texts = TextChoice::kEnglish;  // English names beside the shortcut labels, or after them
  std::string controlPath;       // a FIFO of script commands (empty: none)
  int windowWidth = 1280;
  int windowHeight = 800;
  int projectWidth = 640;
  int projectHeight = 480;
};

// A picture the renderer copies pixel for pixel where a draw list calls
// back for it.
struct ExactDrawData {
  SDL_Renderer* renderer;
  SDL_Texture* texture;
  SDL_Rect destination;
};

// An SDL texture holding one picture, remade when the size changes.
struct Texture {
  SDL_Texture* texture = nullptr;
  int width = 0;
  int height = 0;
};

// Where the last frame showed a requester's content (window pixels).
struct ShownRequester {
  RequesterHandle handle = 0;
  ImGuiWindow* window = nullptr;
  int x = 0, y = 0;  // top-left of the content
  int width = 0, height = 0;
};

// A drawing the plug-in made over the canvas at its last overlay message.
struct OverlayShape {
  int32_t kind = 0;  // overlay sub-operation: line, dot or image
  std::vector<float> coordinates;
  simhost::Rgba colour;
  int32_t size = 0;
  int picture = -1;  // index into overlayPictures_ for images
};

// The gesture the pointer is in, from a press to its release.
struct Capture {
  enum Kind { kNone, kGadget, kArrows, kCanvas, kPan } kind = kNone;
  RequesterHandle requester = 0;
  int32_t gadgetId = 0;
  int button = 0;        // SDL button that started it
  int32_t buttons = 0;   // host button bits while it lasts (0x1 left, 0x2 right)
  int arrowY = 0;        // pointer y at the last arrow step
  bool painting = false; // the host's tool paints this canvas gesture
  int pressX = 0, pressY = 0;  // where a canvas gesture began (window pixels)
  bool moved = false;    // a canvas gesture that left its press point is a stroke, else a click
};

// A question the plug-in asked from inside a call, answered in nested frames.
struct MenuQuestion {
  simhost::PopupMenuRecord record;
  MenuTree tree;
  int32_t answer = 0;
  bool opened = false;
  bool done = false;
  std::vector<std::pair<int32_t, SDL_Rect>> itemRects;         // shown items, for reports
  std::vector<std::pair<std::string, SDL_Rect>> submenuRects;  // shown submenu entries, for reports
};
struct IntegerQuestion {
  std::string prompt;
  int32_t value = 0, minimum = 0, maximum = 0;
  std::optional<int32_t> answer;
  bool opened = false;
  bool done = false;
};

class App {
 public:
  explicit App(Options options);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Window, renderer, Dear ImGui, the plug-in. False with a message on stderr.
  bool Start();
  // Runs until the user or a script quits. Returns the exit status.
  int Run();
  int ExitStatus() const { return exitStatus_; }

 private:
  // ---- frames (desktop_frame.cpp) ----
  void Frame();
  void HandleEvent(const SDL_Event& event);
  void ForwardPointer(const SDL_Event& event);
  void PointerPress(int x, int y, int sdlButton);
  void PointerMove(int x, int y);
  void PointerRelease(int x, int y, int sdlButton);
  void GadgetEvent(RequesterHandle handle, int32_t event, const simhost::Gadget& gadget, int x, int y,
                   int32_t buttons);
  void TrackerEvent(int x, int y, int32_t buttons);
  void CanvasPointerEvent(int x, int y, int32_t kind);
  void HoverEvent(int x, int y);
  // The user changed the canvas (a stroke or click of the tool, an undo, a
  // layer made, shown, hidden or chosen): the plug-in's panels hear the
  // refresh notice.
  void CanvasChanged();
  void DrawOverlaysIfAsked();
  void RunQueuedActions();
  void HarvestRecords();
  int32_t PointerPressure() const;
  int32_t Qualifier() const;

  // ---- chrome (desktop_ui.cpp) ----
  void BuildUi();
  void MainMenu();
  bool Menu(const char* name);
  bool Item(const std::string& label, const char* shortcut = nullptr, bool selected = false);
  void CanvasWindow();
  void RequesterWindows();
  void RequesterWindow(const simhost::Requester& requester);
  void SideWindows();
  void MessageBox();
  void MenuQuestionUi();
  void IntegerQuestionUi();
  void LoadFont();
  bool RebuildFontIfNeeded();

  // ---- canvas (desktop_canvas.cpp) ----
  void MakeProject();
  void UpdateCanvasTexture();
  void StrokeBegin(float cx, float cy);
  void StrokeTo(float cx, float cy);
  void StrokeEnd();
  void Dab(float cx, float cy);
  bool ScreenToCanvas(float sx, float sy, float* cx, float* cy) const;
  void CanvasToScreen(float cx, float cy, float* sx, float* sy) const;
  bool OverCanvas(int x, int y) const;
  void ZoomAt(int x, int y, float factor);
  // The active tool's number setting, or the fallback when it has none.
  float ToolNumber(const std::string& key, float fallback) const;
  // The brush's radius in canvas pixels: the active tool's "size".
  float BrushRadius() const;
  void SetToolSetting(const std::string& key, const std::string& value);
  // Remembers the last Dear ImGui item's place under a name for reports.
  void NoteWidget(const std::string& name);

  // ---- script control, screenshots, reports (desktop_control.cpp) ----
  void OpenControl();
  void ReadControl();
  void AfterRender();
  simhost::RgbaPicture ReadScreen();
  void WriteReport(const std::string& path, const std::vector<std::pair<int, int>>& probes,
                   const simhost::RgbaPicture& screen);

  // ---- helpers ----
  int32_t AskMenu(const simhost::PopupMenuRecord& menu);
  std::optional<int32_t> AskInteger(const std::string& prompt, int32_t value, int32_t minimum, int32_t maximum);
  const ShownRequester* TopRequesterAt(int x, int y) const;
  ImGuiWindow* TopWindowAt(int x, int y) const;
  const simhost::Gadget* GadgetAt(const ShownRequester& shown, int x, int y) const;
  bool IsCanvasTracker(const simhost::Requester& requester) const;
  void SetTexture(Texture* texture, const simhost::RgbaPicture& picture, bool straighten);
  void SaveWindowPlace();
  void StorePens();
  std::string Utf8(const std::string& hostText) { return text_.ToUtf8(hostText); }

  Options options_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  bool imguiStarted_ = false;
  bool insideFrame_ = false;  // between NewFrame and Render
  simhost::PluginApi api_;
  std::unique_ptr<simhost::SimHost> host_;
  bool opened_ = false;
  HostText text_;
  std::string fontPath_;
  bool quit_ = false;
  bool closeMenus_ = false;  // Escape: the host's open menus close in the next frame
  std::string homeWarning_;  // why nothing kept survives this run (empty: the home is writable)
  int exitStatus_ = 0;
  int framesToDraw_ = 2;
  uint64_t frameCount_ = 0;

  // What the last frame showed.
  std::vector<ShownRequester> shown_;
  std::map<RequesterHandle, Texture> requesterTextures_;
  std::map<RequesterHandle, int> raiseCounts_;
  std::map<RequesterHandle, std::pair<int, int>> placedAt_;  // host place last given to the window
  ImGuiWindow* canvasWindow_ = nullptr;
  SDL_Rect canvasView_{0, 0, 0, 0};  // the canvas view's area in window pixels

  // Input state.
  Capture capture_;
  RequesterHandle hovered_ = 0;  // tracked requester the pointer was last over
  int pointerX_ = 0, pointerY_ = 0;
  float penPressure_ = -1.0f;    // last touch/pen pressure 0..1, -1: a mouse
  bool pointerFromTouch_ = false;
  bool overlaysWanted_ = false;
  std::pair<RequesterHandle, int32_t> helpGadget_{0, 0};  // the gadget whose help the pointer rests on
  double helpSince_ = 0.0;                                 // since when (Dear ImGui's clock)

  // Canvas view and painting.
  float zoom_ = 1.0f;
  float panX_ = 0.0f, panY_ = 0.0f;  // canvas pixel shown at the view's centre
  bool showSpare_ = false;
  bool canvasDirty_ = true;
  Texture canvasTexture_;
  std::vector<simhost::Rgba> strokeBefore_;  // the current layer when the stroke began
  std::vector<float> strokeCover_;           // how much paint each pixel took in this stroke (0: none)
  std::vector<std::pair<int32_t, int32_t>> strokePoints_;
  simhost::Rgba strokeColour_;
  float strokeLastX_ = 0.0f, strokeLastY_ = 0.0f;
  int32_t strokeLayer_ = 0;

  // The plug-in's overlay drawing.
  std::vector<OverlayShape> overlays_;
  std::vector<Texture> overlayPictures_;

  // Questions, messages, queued actions, the host's log.
  MenuQuestion* menuQuestion_ = nullptr;
  IntegerQuestion* integerQuestion_ = nullptr;
  int questionDepth_ = 0;
  std::deque<std::string> messages_;  // HostMessage texts waiting for OK
  std::vector<std::function<void()>> actions_;
  std::deque<std::string> log_;
  size_t faultCount_ = 0;
  bool showLog_ = false;
  std::string currentRoom_ = "Room-1";
  std::vector<std::pair<std::string, std::string>> shortcuts_;  // the plug-in's: label, key text
  std::map<std::pair<RequesterHandle, int32_t>, std::string> fieldEdits_;  // text fields being typed in
  std::vector<SDL_Event> deferredReleases_;  // button releases that came while a question was open
  std::deque<SDL_Event> heldEvents_;         // input for the next frame (see Frame)
  std::pair<int, int> imguiPointer_{-1, -1};  // the pointer as Dear ImGui sees it (-1: not known yet)
  uint32_t imguiButtonsDown_ = 0;     // SDL buttons (bit 0 left, 1 middle, 2 right) down, by the events handed over
  uint32_t imguiButtonsPressed_ = 0;  // pressed since the last frame
  SDL_Keymod keyMods_ = KMOD_NONE;    // the keyboard's modifiers, by the events handed over
  std::map<std::string, SDL_Rect> widgets_;  // the host's own controls by name, for reports
  std::string menuName_;                     // the menu bar's menu being built
  size_t noteCount_ = 0;                     // commands the host did not carry out, so far
  // Pictures drawn pixel for pixel by the renderer itself in this frame
  // (Dear ImGui's draw lists call back for them in their place).
  std::deque<ExactDrawData> exactDraws_;
  bool showLayers_ = true;

  // Script control.
  int controlFd_ = -1;
  std::string controlBuffer_;
  std::deque<std::string> controlLines_;  // script commands not yet carried out
  struct ControlRequest {
    std::string shotPath;
    std::string reportPath;
    std::vector<std::pair<int, int>> probes;  // report: window pixels to read; shot: x y w h scale
  };
  std::vector<ControlRequest> controlRequests_;
};

}  // namespace desktop
