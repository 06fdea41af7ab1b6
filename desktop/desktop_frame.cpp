// tintwell_desktop: frames, and the user's pointer turned into the host's
// events for the plug-in.
//
// What the plug-in is told (argument words, 32-bit):
//   press / drag / release on a gadget of the panel or the LAB dialog
//     (callback events 200 / 202 / 201): 0 gadget id, 1-2 pointer in gadget
//     pixels, 3 buttons (0x1 left, 0x2 right), 4 pressure (255 for a mouse,
//     else the pen's), 6 qualifier (1 with Ctrl), 7-8 the pointer in gadget
//     pixels as unsigned 16.16. A release names the buttons of the gesture.
//   pointer move over a tracked requester (210): 0 gadget id under the
//     pointer (0: none), 1-2 gadget pixels, 8-9 requester pixels. The
//     requester the pointer leaves gets one more with its place outside.
//   arrow gadgets (212): 0 id, 1 signed steps (a press steps once, up in
//     the upper half; dragging steps once per 4 pixels), 3 fine (Shift).
//   plain requesters: a press (PI_Msg 200, word 0 the gadget id) only.
//   canvas, while canvas events are on (PI_Msg 1002): 0-1 canvas position
//     in signed 16.16 (the centre of the screen pixel), 2 kind (1 left
//     press or drag, 2 right press or drag, -1 / -2 their releases, 0 a
//     move), 3 pressure, 4 on a release 1 with Shift (the pick goes on).
//   canvas trackers, the tiny tracked requesters of the canvas modes
//     (PI_Msg 210), for pointer events over the canvas view and those of a
//     gesture begun there: 0 buttons, 1-2 canvas position 16.16, 3-4
//     window position 16.16, 5 pressure (0 with no button down), 7 1 while
//     the mouse is locked to the plug-in and the pointer is over the canvas
//     view, 9 minus the window y.
//   refresh notice (callback event 110) to the plug-in's callback
//     requesters after the user changed the canvas (below); never after
//     what the plug-in did itself.
//
// A canvas gesture is a stroke or a click:
//   stroke  press, then the pointer leaves the press point by more than
//           2 pixels. Trackers: the press (buttons 0x1 or 0x2) where it
//           began, each move, then the button-less move (0) before the
//           canvas release (1002 -1 / -2). The tool paints it: one undo step.
//   click   press and release without leaving the press point. Trackers:
//           the click (buttons with 0x10 added: 17 is a left click), then
//           0, then the canvas release. The freehand line needs a drag, so
//           a click paints nothing and leaves no undo step (Smart Fill's
//           click inside a line takes back the line, not the click).
// The canvas events (1002) go as they happen: press, drags, release.
// The host's tool paints with the A pen on a left drag over the canvas
// unless the mouse is locked (tv_LockMouse 1); after each of its gestures
// (stroke or click), an undo, and a layer made, shown, hidden or chosen,
// the refresh notice follows.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "desktop_app.h"
#include "host/host_functions.h"
#include "imgui.h"
#include "imgui_impl_sdl.h"
#include "imgui_impl_sdlrenderer.h"
#include "imgui_internal.h"

namespace desktop {

namespace {

constexpr int32_t kButtonLeft = 0x1;
constexpr int32_t kButtonRight = 0x2;
constexpr int32_t kButtonClick = 0x10;  // added to the trackers' buttons word on a press
constexpr int32_t kFullPressure = 255;
constexpr int32_t kCanvasMove = 0;
constexpr int32_t kCanvasLeft = 1;
constexpr int32_t kCanvasRight = 2;
constexpr int32_t kCanvasLeftRelease = -1;
constexpr int32_t kCanvasRightRelease = -2;
constexpr int kArrowStepPixels = 4;
constexpr int kClickSlop = 2;  // window pixels a click may wander from its press
constexpr size_t kLogLines = 4000;


int32_t ButtonBit(int sdlButton) {
  return sdlButton == SDL_BUTTON_LEFT ? kButtonLeft : sdlButton == SDL_BUTTON_RIGHT ? kButtonRight : 0;
}

HostWord Fixed(float value) { return static_cast<HostWord>(static_cast<int32_t>(std::floor(value * 65536.0f))); }

bool Inside(int x, int y, int left, int top, int width, int height) {
  return x >= left && y >= top && x < left + width && y < top + height;
}

}  // namespace

// ---------------------------------------------------------------- frames

void App::Frame() {
  const bool idle = framesToDraw_ <= 0 && controlRequests_.empty() && controlLines_.empty() && actions_.empty() &&
                    heldEvents_.empty();
  if (idle) {
    SDL_WaitEventTimeout(nullptr, 30);
  } else {
    SDL_Delay(10);  // a steady pace of frames without spinning
  }

  // Input reaches Dear ImGui a frame at a time, in the order it came. Dear
  // ImGui (1.86) takes the pointer's place and each button and key as they
  // are at a frame, so a press and its release, or a release and the move
  // after it, that came in one batch would fall into one frame and be lost
  // (a quick click on a menu item, Enter in a question). So the events
  // after a button's press or release, and a key's release that follows its
  // press, wait for the next frame. SDL's own pointer, button and modifier
  // state runs ahead of the events handed over (it follows every event SDL
  // has queued): what Dear ImGui and the plug-in are told comes from the
  // events handed over instead.
  SDL_Event event;
  bool any = false;
  std::set<SDL_Keycode> pressedNow;
  std::deque<SDL_Event> events;
  events.swap(heldEvents_);
  auto next = [&](SDL_Event* out) {
    if (!events.empty()) {
      *out = events.front();
      events.pop_front();
      return true;
    }
    return SDL_PollEvent(out) != 0;
  };
  auto holdTheRest = [&]() {
    for (const SDL_Event& later : events) heldEvents_.push_back(later);
    SDL_Event later;
    while (SDL_PollEvent(&later)) heldEvents_.push_back(later);
  };
  while (next(&event)) {
    any = true;
    if (event.type == SDL_KEYUP && pressedNow.count(event.key.keysym.sym)) {
      heldEvents_.push_back(event);
      holdTheRest();
      break;
    }
    if (event.type == SDL_KEYDOWN) pressedNow.insert(event.key.keysym.sym);
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) keyMods_ = static_cast<SDL_Keymod>(event.key.keysym.mod);
    if (event.type == SDL_MOUSEMOTION) imguiPointer_ = {event.motion.x, event.motion.y};
    if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
      imguiPointer_ = {event.button.x, event.button.y};
      const uint32_t bit = event.button.button >= 1 && event.button.button <= 3 ? 1u << (event.button.button - 1) : 0u;
      if (event.type == SDL_MOUSEBUTTONDOWN) {
        imguiButtonsDown_ |= bit;
        imguiButtonsPressed_ |= bit;
      } else {
        imguiButtonsDown_ &= ~bit;
      }
    }
    ImGui_ImplSDL2_ProcessEvent(&event);
    HandleEvent(event);
    // A question has just been answered: the releases that came meanwhile
    // end their gestures before anything later happens.
    if (questionDepth_ == 0 && !deferredReleases_.empty()) {
      std::vector<SDL_Event> releases;
      releases.swap(deferredReleases_);
      for (const SDL_Event& release : releases) HandleEvent(release);
    }
    if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
      holdTheRest();
      break;
    }
  }
  ReadControl();
  if (questionDepth_ == 0) DrawOverlaysIfAsked();
  if (any) framesToDraw_ = std::max(framesToDraw_, 3);

  if (framesToDraw_ > 0 || !controlRequests_.empty()) {
    RebuildFontIfNeeded();
    UpdateCanvasTexture();
    exactDraws_.clear();
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // The SDL backend follows the pointer only while the window has the
    // keyboard focus; the host's chrome answers the pointer whenever it is
    // over the window (as under a bare X server, where nothing gives focus).
    // It is where the last event handed over put it, and its buttons and the
    // keyboard's modifiers are as those events left them (a press shows
    // down for at least one frame).
    ImGuiIO& io = ImGui::GetIO();
    if (SDL_GetMouseFocus() == window_ || capture_.kind != Capture::kNone) {
      if (imguiPointer_.first < 0) SDL_GetMouseState(&imguiPointer_.first, &imguiPointer_.second);
      io.MousePos = ImVec2(static_cast<float>(imguiPointer_.first), static_cast<float>(imguiPointer_.second));
    }
    // SDL numbers the buttons left, middle, right; Dear ImGui left, right, middle.
    const uint32_t buttons = imguiButtonsDown_ | imguiButtonsPressed_;
    io.MouseDown[0] = (buttons & 0x1) != 0;
    io.MouseDown[1] = (buttons & 0x4) != 0;
    io.MouseDown[2] = (buttons & 0x2) != 0;
    imguiButtonsPressed_ = 0;
    io.KeyCtrl = (keyMods_ & KMOD_CTRL) != 0;
    io.KeyShift = (keyMods_ & KMOD_SHIFT) != 0;
    io.KeyAlt = (keyMods_ & KMOD_ALT) != 0;
    ImGui::NewFrame();
    insideFrame_ = true;
    BuildUi();
    ImGui::Render();
    insideFrame_ = false;
    SDL_SetRenderDrawColor(renderer_, 40, 40, 44, 255);
    SDL_RenderClear(renderer_);
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    AfterRender();
    SDL_RenderPresent(renderer_);
    --framesToDraw_;
    ++frameCount_;
  }

  if (questionDepth_ == 0) {
    RunQueuedActions();
    DrawOverlaysIfAsked();
    HarvestRecords();
  }
}

void App::RunQueuedActions() {
  while (!actions_.empty()) {
    std::vector<std::function<void()>> actions;
    actions.swap(actions_);
    for (auto& action : actions) action();
    overlaysWanted_ = true;
    framesToDraw_ = std::max(framesToDraw_, 2);
  }
}

void App::HarvestRecords() {
  if (!host_ || host_->InsidePluginCall()) return;
  const bool active = !host_->Calls().empty() || !host_->Entries().empty() || !host_->Commands().empty();
  for (const std::string& line : host_->Dialogue()) {
    log_.push_back(line);
    if (log_.size() > kLogLines) log_.pop_front();
  }
  for (const std::string& text : host_->Messages()) messages_.push_back(text);
  for (const auto& shortcut : host_->Shortcuts()) {
    auto same = std::find_if(shortcuts_.begin(), shortcuts_.end(),
                             [&](const auto& known) { return known.second == shortcut.second; });
    if (same != shortcuts_.end()) {
      same->first = shortcut.first;
    } else {
      shortcuts_.push_back(shortcut);
    }
  }
  for (const std::string& fault : host_->Faults()) {
    log_.push_back("FAULT: " + fault);
    std::fprintf(stderr, "tintwell_desktop: host fault: %s\n", fault.c_str());
  }
  faultCount_ += host_->Faults().size();
  noteCount_ += host_->Notes().size();  // the dialogue has them in their place
  if (active) {
    canvasDirty_ = true;
    framesToDraw_ = std::max(framesToDraw_, 2);
  }
  host_->ClearRecords();
}

// The host asks for the canvas overlay while canvas events are on, after
// anything that may have changed it.
void App::DrawOverlaysIfAsked() {
  if (!host_ || !opened_) return;
  if (!host_->canvasEvents) {
    if (!overlays_.empty()) {
      overlays_.clear();
      framesToDraw_ = std::max(framesToDraw_, 2);
    }
    overlaysWanted_ = false;
    return;
  }
  if (!overlaysWanted_) return;
  overlaysWanted_ = false;
  const size_t first = host_->Overlays().size();
  host_->Message(kMsgOverlayDraw, 0, {});
  overlays_.clear();
  size_t pictures = 0;
  const std::vector<simhost::OverlayRecord>& drawn = host_->Overlays();
  for (size_t i = std::min(first, drawn.size()); i < drawn.size(); ++i) {
    const simhost::OverlayRecord& record = drawn[i];
    OverlayShape shape;
    shape.kind = record.subOperation;
    shape.coordinates = record.coordinates;
    shape.colour = host_->FromPixel(record.colour);
    shape.size = record.size;
    if (record.subOperation == kOverlayImage && record.image && host_->IsLiveImage(record.image)) {
      // Copied now: the plug-in may free or redraw the image afterwards.
      const HostImage& image = *record.image;
      simhost::RgbaPicture picture;
      picture.width = image.Width;
      picture.height = image.Height;
      picture.rgba.resize(static_cast<size_t>(image.Width) * image.Height * 4);
      for (size_t p = 0; p < static_cast<size_t>(image.Width) * image.Height; ++p) {
        for (int c = 0; c < 4; ++c) {
          picture.rgba[p * 4 + c] = static_cast<uint8_t>(image.Pixels[p] >> (8 * (image.ChannelPositions[c] & 3)));
        }
      }
      if (pictures >= overlayPictures_.size()) overlayPictures_.emplace_back();
      SetTexture(&overlayPictures_[pictures], picture, true);
      shape.picture = static_cast<int>(pictures++);
    }
    overlays_.push_back(shape);
  }
  framesToDraw_ = std::max(framesToDraw_, 2);
}

// ---------------------------------------------------------------- events

void App::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      quit_ = true;
      return;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) quit_ = true;
      // The pointer left the window: the requester it was over hears a
      // move outside itself, as when it leaves within the window.
      if (event.window.event == SDL_WINDOWEVENT_LEAVE && questionDepth_ == 0 && opened_ &&
          capture_.kind == Capture::kNone) {
        HoverEvent(-1, -1);
      }
      framesToDraw_ = std::max(framesToDraw_, 2);
      return;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
      penPressure_ = event.tfinger.pressure;
      return;
    case SDL_FINGERUP:
      penPressure_ = -1.0f;
      return;
    default:
      break;
  }
  if (questionDepth_ > 0) {
    // The plug-in is waiting for an answer: nothing reaches it now, but a
    // gesture's release is kept so that it still ends after the question.
    if (event.type == SDL_MOUSEBUTTONUP && capture_.kind != Capture::kNone) deferredReleases_.push_back(event);
    return;
  }
  if (!opened_ && event.type != SDL_KEYDOWN) return;
  const ImGuiIO& io = ImGui::GetIO();
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEMOTION:
      if (!messages_.empty() && capture_.kind == Capture::kNone) return;  // a message box is up
      ForwardPointer(event);
      break;
    case SDL_MOUSEWHEEL: {
      if (TopWindowAt(pointerX_, pointerY_) == canvasWindow_ && OverCanvas(pointerX_, pointerY_) &&
          event.wheel.y != 0) {
        ZoomAt(pointerX_, pointerY_, event.wheel.y > 0 ? 1.25f : 0.8f);
      }
      break;
    }
    case SDL_TEXTINPUT: {
      // The plug-in's keyboard shortcuts: the key texts it registered.
      if (io.WantTextInput || !messages_.empty()) break;
      const std::string typed = event.text.text;
      for (const auto& shortcut : shortcuts_) {
        if (shortcut.second == typed) {
          host_->UseShortcut(shortcut.second);
          overlaysWanted_ = true;
          break;
        }
      }
      break;
    }
    case SDL_KEYDOWN: {
      if (io.WantTextInput) break;
      const bool ctrl = (event.key.keysym.mod & KMOD_CTRL) != 0;
      if (ctrl && event.key.keysym.sym == SDLK_z) {
        host_->RunCommand("tv_undo");
        CanvasChanged();
      } else if (ctrl && event.key.keysym.sym == SDLK_q) {
        quit_ = true;
      } else if (event.key.keysym.sym == SDLK_ESCAPE && ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId) &&
                 messages_.empty()) {
        // An open menu of the host's closes first; the next Escape ends
        // the canvas mode.
        closeMenus_ = true;
        framesToDraw_ = std::max(framesToDraw_, 2);
      } else if (event.key.keysym.sym == SDLK_ESCAPE && host_->canvasEvents && messages_.empty()) {
        // The host ends the canvas interaction on its own.
        host_->EndCanvasEvents();
      }
      break;
    }
    default:
      break;
  }
}

int32_t App::PointerPressure() const {
  if (pointerFromTouch_ && penPressure_ >= 0.0f) {
    return std::clamp(static_cast<int32_t>(penPressure_ * 255.0f + 0.5f), 0, kFullPressure);
  }
  return kFullPressure;
}

int32_t App::Qualifier() const { return (keyMods_ & KMOD_CTRL) ? 1 : 0; }

void App::ForwardPointer(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
      // A click focuses the window for the keyboard (shortcuts, fields),
      // also where no window manager does it.
      if (SDL_GetKeyboardFocus() != window_) SDL_SetWindowInputFocus(window_);
      pointerFromTouch_ = event.button.which == SDL_TOUCH_MOUSEID;
      pointerX_ = event.button.x;
      pointerY_ = event.button.y;
      PointerPress(event.button.x, event.button.y, event.button.button);
      break;
    case SDL_MOUSEMOTION:
      pointerFromTouch_ = event.motion.which == SDL_TOUCH_MOUSEID;
      pointerX_ = event.motion.x;
      pointerY_ = event.motion.y;
      PointerMove(event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONUP:
      pointerX_ = event.button.x;
      pointerY_ = event.button.y;
      PointerRelease(event.button.x, event.button.y, event.button.button);
      break;
    default:
      break;
  }
  overlaysWanted_ = true;
}

void App::PointerPress(int x, int y, int sdlButton) {
  const int32_t bit = ButtonBit(sdlButton);
  if (capture_.kind != Capture::kNone) {
    capture_.buttons |= bit;  // a second button joins the gesture
    return;
  }
  ImGuiWindow* top = TopWindowAt(x, y);
  if (const ShownRequester* shown = TopRequesterAt(x, y)) {
    if (!Inside(x, y, shown->x, shown->y, shown->width, shown->height)) return;  // its title bar
    const simhost::Requester* requester = host_->FindRequester(shown->handle);
    const simhost::Gadget* gadget = GadgetAt(*shown, x, y);
    if (!requester || !gadget || bit == 0 || (gadget->flags & kGadgetFlagTextField)) return;
    capture_.requester = shown->handle;
    capture_.gadgetId = gadget->id;
    capture_.button = sdlButton;
    capture_.buttons = bit;
    if (gadget->flags & kGadgetFlagArrows) {
      capture_.kind = Capture::kArrows;
      capture_.arrowY = y;
      const bool up = y - shown->y - gadget->y < gadget->height / 2;
      std::vector<HostWord> words(16, 0);
      words[0] = gadget->id;
      words[1] = up ? 1 : -1;
      words[3] = (keyMods_ & KMOD_SHIFT) ? 1 : 0;
      if (requester->callback) host_->SendEvent(shown->handle, kEventArrowStep, words);
      return;
    }
    capture_.kind = Capture::kGadget;
    GadgetEvent(shown->handle, kEventPress, *gadget, x, y, bit);
    return;
  }
  if (top != canvasWindow_ || !OverCanvas(x, y)) return;
  if (sdlButton == SDL_BUTTON_MIDDLE) {
    capture_.kind = Capture::kPan;
    capture_.button = sdlButton;
    capture_.arrowY = y;
    capture_.gadgetId = x;
    return;
  }
  if (bit == 0) return;
  // Whether it is a stroke or a click shows when the pointer moves or the
  // button comes up; the trackers and the tool wait till then.
  capture_.kind = Capture::kCanvas;
  capture_.button = sdlButton;
  capture_.buttons = bit;
  capture_.pressX = x;
  capture_.pressY = y;
  capture_.moved = false;
  capture_.painting = bit == kButtonLeft && !host_->mouseLocked;
  if (host_->canvasEvents) CanvasPointerEvent(x, y, bit == kButtonLeft ? kCanvasLeft : kCanvasRight);
}

void App::PointerMove(int x, int y) {
  switch (capture_.kind) {
    case Capture::kGadget: {
      const simhost::Requester* requester = host_->FindRequester(capture_.requester);
      if (!requester) break;
      auto gadget = requester->gadgets.find(capture_.gadgetId);
      if (gadget != requester->gadgets.end()) {
        GadgetEvent(capture_.requester, kEventDrag, gadget->second, x, y, capture_.buttons);
      }
      break;
    }
    case Capture::kArrows: {
      const int steps = (capture_.arrowY - y) / kArrowStepPixels;
      const simhost::Requester* requester = host_->FindRequester(capture_.requester);
      if (steps != 0 && requester && requester->callback) {
        capture_.arrowY -= steps * kArrowStepPixels;
        std::vector<HostWord> words(16, 0);
        words[0] = capture_.gadgetId;
        words[1] = steps;
        words[3] = (keyMods_ & KMOD_SHIFT) ? 1 : 0;
        host_->SendEvent(capture_.requester, kEventArrowStep, words);
      }
      break;
    }
    case Capture::kCanvas: {
      if (host_->canvasEvents) {
        CanvasPointerEvent(x, y, (capture_.buttons & kButtonLeft) ? kCanvasLeft : kCanvasRight);
      }
      if (!capture_.moved) {
        if (std::abs(x - capture_.pressX) <= kClickSlop && std::abs(y - capture_.pressY) <= kClickSlop) break;
        // A stroke: it begins where the button went down.
        capture_.moved = true;
        if (capture_.painting) {
          float cx, cy;
          ScreenToCanvas(static_cast<float>(capture_.pressX), static_cast<float>(capture_.pressY), &cx, &cy);
          StrokeBegin(cx, cy);
        }
        TrackerEvent(capture_.pressX, capture_.pressY, capture_.buttons);
      }
      if (capture_.painting) {
        float cx, cy;
        ScreenToCanvas(static_cast<float>(x), static_cast<float>(y), &cx, &cy);
        StrokeTo(cx, cy);
      }
      TrackerEvent(x, y, capture_.buttons);
      break;
    }
    case Capture::kPan:
      panX_ -= static_cast<float>(x - capture_.gadgetId) / zoom_;
      panY_ -= static_cast<float>(y - capture_.arrowY) / zoom_;
      capture_.gadgetId = x;
      capture_.arrowY = y;
      break;
    case Capture::kNone: {
      HoverEvent(x, y);
      // The canvas trackers hear the pointer over the canvas only: over the
      // panel it is not where the brush is, and sampling there would move
      // the A pen while the user merely crosses the panel.
      const bool overCanvas = TopWindowAt(x, y) == canvasWindow_ && OverCanvas(x, y);
      if (overCanvas) TrackerEvent(x, y, 0);
      if (host_->canvasEvents && overCanvas) CanvasPointerEvent(x, y, kCanvasMove);
      break;
    }
  }
}

void App::PointerRelease(int x, int y, int sdlButton) {
  if (capture_.kind == Capture::kNone) return;
  if (sdlButton != capture_.button) {
    capture_.buttons &= ~ButtonBit(sdlButton);
    return;
  }
  const Capture ended = capture_;
  capture_ = Capture{};
  switch (ended.kind) {
    case Capture::kGadget: {
      const simhost::Requester* requester = host_->FindRequester(ended.requester);
      if (!requester) break;
      auto gadget = requester->gadgets.find(ended.gadgetId);
      if (gadget != requester->gadgets.end()) {
        GadgetEvent(ended.requester, kEventRelease, gadget->second, x, y, ended.buttons);
      }
      break;
    }
    case Capture::kCanvas:
      // The trackers hear the end (a click first, as one) before the canvas
      // release, which may end the canvas mode and close them.
      if (!ended.moved) TrackerEvent(x, y, ended.buttons | kButtonClick);
      TrackerEvent(x, y, 0);
      if (host_->canvasEvents) {
        CanvasPointerEvent(x, y, (ended.buttons & kButtonLeft) ? kCanvasLeftRelease : kCanvasRightRelease);
      }
      if (ended.painting && ended.moved) StrokeEnd();
      if (ended.painting) CanvasChanged();
      break;
    default:
      break;
  }
}

void App::GadgetEvent(RequesterHandle handle, int32_t event, const simhost::Gadget& gadget, int x, int y,
                      int32_t buttons) {
  const simhost::Requester* requester = host_->FindRequester(handle);
  if (!requester) return;
  if (!requester->callback && event != kEventPress) return;  // plain requesters report presses only
  int originX = 0, originY = 0;
  for (const ShownRequester& shown : shown_) {
    if (shown.handle == handle) {
      originX = shown.x;
      originY = shown.y;
    }
  }
  const int gx = x - originX - gadget.x;
  const int gy = y - originY - gadget.y;
  std::vector<HostWord> words(16, 0);
  words[0] = gadget.id;
  words[1] = gx;
  words[2] = gy;
  words[3] = buttons;
  words[4] = PointerPressure();
  words[6] = Qualifier();
  words[7] = static_cast<HostWord>(static_cast<uint32_t>(gx) << 16);
  words[8] = static_cast<HostWord>(static_cast<uint32_t>(gy) << 16);
  host_->SendEvent(handle, event, words);
}

void App::HoverEvent(int x, int y) {
  const ShownRequester* shown = TopRequesterAt(x, y);
  RequesterHandle over = 0;
  if (shown && Inside(x, y, shown->x, shown->y, shown->width, shown->height)) {
    const simhost::Requester* requester = host_->FindRequester(shown->handle);
    if (requester && requester->tracking) over = shown->handle;
  }
  auto send = [&](RequesterHandle handle) {
    const simhost::Requester* requester = host_->FindRequester(handle);
    if (!requester || !requester->tracking) return;
    const ShownRequester* place = nullptr;
    for (const ShownRequester& item : shown_) {
      if (item.handle == handle) place = &item;
    }
    if (!place) return;
    std::vector<HostWord> words(16, 0);
    if (const simhost::Gadget* gadget = GadgetAt(*place, x, y)) {
      words[0] = gadget->id;
      words[1] = x - place->x - gadget->x;
      words[2] = y - place->y - gadget->y;
    }
    words[8] = x - place->x;
    words[9] = y - place->y;
    host_->SendEvent(handle, kEventPointerMove, words);
  };
  if (hovered_ != 0 && hovered_ != over) send(hovered_);  // it learns that the pointer left
  hovered_ = over;
  if (over != 0) send(over);
}

void App::CanvasChanged() {
  canvasDirty_ = true;
  overlaysWanted_ = true;
  if (!host_ || !opened_ || host_->InsidePluginCall()) return;
  for (RequesterHandle handle : host_->OpenRequesters()) {
    const simhost::Requester* requester = host_->FindRequester(handle);  // an earlier notice may have closed it
    if (requester && requester->callback) host_->SendEvent(handle, kEventRefresh, {});
  }
}

bool App::IsCanvasTracker(const simhost::Requester& requester) const {
  return !requester.callback && requester.width <= 2 && requester.height <= 2;
}

void App::TrackerEvent(int x, int y, int32_t buttons) {
  std::vector<RequesterHandle> trackers;
  for (RequesterHandle handle : host_->OpenRequesters()) {
    const simhost::Requester* requester = host_->FindRequester(handle);
    if (requester && requester->tracking && IsCanvasTracker(*requester)) trackers.push_back(handle);
  }
  if (trackers.empty()) return;
  float cx, cy;
  ScreenToCanvas(static_cast<float>(x), static_cast<float>(y), &cx, &cy);
  const bool locked = host_->mouseLocked && TopWindowAt(x, y) == canvasWindow_ && OverCanvas(x, y);
  std::vector<HostWord> words(16, 0);
  words[0] = buttons;
  words[1] = Fixed(cx);
  words[2] = Fixed(cy);
  words[3] = static_cast<HostWord>(static_cast<uint32_t>(x) << 16);
  words[4] = static_cast<HostWord>(static_cast<uint32_t>(y) << 16);
  words[5] = buttons != 0 ? PointerPressure() : 0;
  words[7] = locked ? 1 : 0;
  words[9] = -y;
  for (RequesterHandle handle : trackers) {
    // An earlier event may have closed it.
    if (host_->FindRequester(handle)) host_->Message(kMsgPointerMove, handle, words);
  }
}

void App::CanvasPointerEvent(int x, int y, int32_t kind) {
  float cx, cy;
  ScreenToCanvas(static_cast<float>(x), static_cast<float>(y), &cx, &cy);
  std::vector<HostWord> words(16, 0);
  words[0] = Fixed(cx);
  words[1] = Fixed(cy);
  words[2] = kind;
  words[3] = PointerPressure();
  words[4] = (kind < 0 && (keyMods_ & KMOD_SHIFT)) ? 1 : 0;
  host_->Message(kMsgCanvasPointer, 0, words);
}

// ---------------------------------------------------------------- hit tests

ImGuiWindow* App::TopWindowAt(int x, int y) const {
  ImGuiContext* context = ImGui::GetCurrentContext();
  if (!context) return nullptr;
  const ImVec2 point(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
  for (int i = context->Windows.Size - 1; i >= 0; --i) {
    ImGuiWindow* window = context->Windows[i];
    // Between frames the windows of the last frame are the active ones;
    // while a frame is built, they are the ones that were active.
    if (!(insideFrame_ ? window->WasActive : window->Active) || window->Hidden) continue;
    if (window->Flags & (ImGuiWindowFlags_Tooltip | ImGuiWindowFlags_NoMouseInputs)) continue;
    if (window->Rect().Contains(point)) return window->RootWindow ? window->RootWindow : window;
  }
  return nullptr;
}

const ShownRequester* App::TopRequesterAt(int x, int y) const {
  ImGuiWindow* top = TopWindowAt(x, y);
  if (!top) return nullptr;
  for (const ShownRequester& shown : shown_) {
    if (shown.window == top) return &shown;
  }
  return nullptr;
}

const simhost::Gadget* App::GadgetAt(const ShownRequester& shown, int x, int y) const {
  const simhost::Requester* requester = host_->FindRequester(shown.handle);
  if (!requester) return nullptr;
  const int rx = x - shown.x;
  const int ry = y - shown.y;
  const simhost::Gadget* found = nullptr;
  for (const auto& entry : requester->gadgets) {
    const simhost::Gadget& gadget = entry.second;
    if (Inside(rx, ry, gadget.x, gadget.y, gadget.width, gadget.height)) found = &gadget;
  }
  return found;
}

// ---------------------------------------------------------------- questions

int32_t App::AskMenu(const simhost::PopupMenuRecord& menu) {
  MenuQuestion question;
  question.record = menu;
  question.tree = BuildMenuTree(menu, [this](const std::string& text) { return Utf8(text); });
  MenuQuestion* outer = menuQuestion_;
  menuQuestion_ = &question;
  ++questionDepth_;
  framesToDraw_ = std::max(framesToDraw_, 3);
  while (!question.done && !quit_) Frame();
  --questionDepth_;
  menuQuestion_ = outer;
  framesToDraw_ = std::max(framesToDraw_, 2);
  return question.done ? question.answer : 0;
}

std::optional<int32_t> App::AskInteger(const std::string& prompt, int32_t value, int32_t minimum,
                                       int32_t maximum) {
  IntegerQuestion question;
  question.prompt = Utf8(prompt);
  question.value = value;
  question.minimum = minimum;
  question.maximum = maximum;
  IntegerQuestion* outer = integerQuestion_;
  integerQuestion_ = &question;
  ++questionDepth_;
  framesToDraw_ = std::max(framesToDraw_, 3);
  while (!question.done && !quit_) Frame();
  --questionDepth_;
  integerQuestion_ = outer;
  framesToDraw_ = std::max(framesToDraw_, 2);
  return question.done ? question.answer : std::nullopt;
}

}  // namespace desktop
