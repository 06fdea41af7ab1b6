// tintwell_desktop: the host's chrome in Dear ImGui: the main menu, the
// canvas view with the plug-in's overlay, the requesters at their places,
// the layers and log windows, message boxes, the pop-up menu and the integer
// question the plug-in asks.
//
// Nothing here calls the plug-in: what the user chooses is queued in
// actions_ and carried out after the frame (a call may ask a question,
// which runs frames of its own).
//
// Requesters: the host's place of a requester is its window's outer
// top-left corner in window pixels; its width and height are the content's.
// The content is the requester picture as the host composes it (its image
// gadgets' pictures at their places, simhost's ComposeRequester), copied
// pixel for pixel by the renderer; the host's own gadgets (toggle and plain
// buttons, number fields, arrows) are drawn over it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include "desktop_app.h"
#include "host/host_functions.h"
#include "imgui.h"
#include "imgui_impl_sdlrenderer.h"
#include "imgui_internal.h"
#include "imgui_stdlib.h"

namespace desktop {

namespace {

constexpr float kFontSize = 15.0f;
constexpr double kHelpDelaySeconds = 0.4;

const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
};

// The tools whose settings the plug-in's brush features change, and the
// host's draw modes.
const char* const kTools[] = {"tv_airbrush", "tv_penbrush", "tv_propelling", "tv_oilbrush",
                              "tv_pencil",   "tv_wetbrush", "tv_specialbrush"};
const char* const kDrawModes[] = {"color", "lighten", "darken", "add", "colorize", "merge"};
const char* const kFxStacks[] = {"desaturate", "invert", ""};

// A number the plug-in wrote with "%f" ("12.000000") as a person writes it
// ("12", "0.5"); any other text unchanged.
std::string PlainNumber(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || !end || *end != '\0') return text;
  // Six decimals as "%f" has them (nothing is lost), then no trailing zeros.
  char out[64];
  std::snprintf(out, sizeof out, "%.6f", value);
  std::string plain = out;
  if (plain.find('.') != std::string::npos) {
    plain.erase(plain.find_last_not_of('0') + 1);
    if (plain.back() == '.') plain.pop_back();
  }
  return plain == "-0" ? "0" : plain;
}

ImVector<ImWchar> gGlyphRanges;  // the atlas's characters; Dear ImGui keeps the pointer

ImU32 Colour(simhost::Rgba c) { return IM_COL32(c.r, c.g, c.b, 255); }

void DrawExact(const ImDrawList*, const ImDrawCmd* command) {
  const auto* draw = static_cast<const ExactDrawData*>(command->UserCallbackData);
  const SDL_Rect clip{static_cast<int>(command->ClipRect.x), static_cast<int>(command->ClipRect.y),
                      static_cast<int>(command->ClipRect.z - command->ClipRect.x),
                      static_cast<int>(command->ClipRect.w - command->ClipRect.y)};
  SDL_RenderSetClipRect(draw->renderer, &clip);
  SDL_RenderCopy(draw->renderer, draw->texture, nullptr, &draw->destination);
}

// A host-drawn button: raised box, label centred.
void DrawButton(ImDrawList* list, ImVec2 min, ImVec2 max, bool selected, const std::string& label) {
  list->AddRectFilled(min, max, selected ? IM_COL32(205, 205, 200, 255) : IM_COL32(88, 88, 92, 255));
  list->AddLine(min, ImVec2(max.x - 1, min.y), IM_COL32(230, 230, 230, 255));
  list->AddLine(min, ImVec2(min.x, max.y - 1), IM_COL32(230, 230, 230, 255));
  list->AddLine(ImVec2(min.x, max.y - 1), ImVec2(max.x, max.y - 1), IM_COL32(30, 30, 30, 255));
  list->AddLine(ImVec2(max.x - 1, min.y), ImVec2(max.x - 1, max.y), IM_COL32(30, 30, 30, 255));
  const float size = std::min(kFontSize, max.y - min.y);
  const ImVec2 text = ImGui::GetFont()->CalcTextSizeA(size, FLT_MAX, 0.0f, label.c_str());
  list->PushClipRect(min, max, true);
  list->AddText(ImGui::GetFont(), size,
                ImVec2(std::floor((min.x + max.x - text.x) * 0.5f), std::floor((min.y + max.y - text.y) * 0.5f)),
                selected ? IM_COL32(10, 10, 10, 255) : IM_COL32(240, 240, 240, 255), label.c_str());
  list->PopClipRect();
}

// A host toggle: a check box filling the gadget, its label to the left.
// The label is drawn at the font atlas's own size on whole pixels (a scaled
// glyph loses its thin strokes: "Dirt" read "Dirl"), black on the panel's
// grey.
void DrawToggle(ImDrawList* list, ImVec2 min, ImVec2 max, bool selected, bool pressed, const std::string& label) {
  const float size = kFontSize;
  const ImVec2 text = ImGui::GetFont()->CalcTextSizeA(size, FLT_MAX, 0.0f, label.c_str());
  list->AddText(ImGui::GetFont(), size,
                ImVec2(std::floor(min.x - text.x - 4.0f), std::floor((min.y + max.y - text.y) * 0.5f)),
                IM_COL32(0, 0, 0, 255), label.c_str());
  list->AddRectFilled(min, max, pressed ? IM_COL32(150, 150, 150, 255) : IM_COL32(235, 235, 230, 255));
  list->AddRect(min, max, IM_COL32(40, 40, 40, 255));
  if (selected) {
    const float x = min.x, y = min.y, w = max.x - min.x, h = max.y - min.y;
    const ImVec2 points[] = {ImVec2(x + w * 0.22f, y + h * 0.52f), ImVec2(x + w * 0.42f, y + h * 0.76f),
                             ImVec2(x + w * 0.80f, y + h * 0.22f)};
    list->AddPolyline(points, 3, IM_COL32(20, 20, 20, 255), 0, 2.0f);
  }
}

void DrawArrows(ImDrawList* list, ImVec2 min, ImVec2 max) {
  DrawButton(list, min, max, false, "");
  const float cx = std::floor((min.x + max.x) * 0.5f);
  const float mid = std::floor((min.y + max.y) * 0.5f);
  const ImU32 ink = IM_COL32(240, 240, 240, 255);
  list->AddTriangleFilled(ImVec2(cx - 4, mid - 2), ImVec2(cx + 4, mid - 2), ImVec2(cx, mid - 6), ink);
  list->AddTriangleFilled(ImVec2(cx - 4, mid + 2), ImVec2(cx + 4, mid + 2), ImVec2(cx, mid + 6), ink);
}

}  // namespace

// ---------------------------------------------------------------- font

void App::LoadFont() {
  for (const char* file : kFontFiles) {
    struct stat info;
    if (stat(file, &info) == 0) {
      fontPath_ = file;
      break;
    }
  }
  if (fontPath_.empty()) {
    std::fprintf(stderr, "tintwell_desktop: no CJK font found (fonts-wqy-microhei); Chinese texts show as ?\n");
  }
  text_.TakeNewCharacters();
  RebuildFontIfNeeded();
}

bool App::RebuildFontIfNeeded() {
  ImGuiIO& io = ImGui::GetIO();
  if (io.Fonts->Fonts.Size > 0 && !text_.HasNewCharacters()) return false;
  text_.TakeNewCharacters();
  io.Fonts->Clear();
  ImFontGlyphRangesBuilder builder;
  builder.AddRanges(io.Fonts->GetGlyphRangesDefault());
  for (uint32_t c : text_.HeldCharacters()) {
    if (c <= 0xFFFF) builder.AddChar(static_cast<ImWchar>(c));
  }
  gGlyphRanges.clear();
  builder.BuildRanges(&gGlyphRanges);
  ImFont* font = nullptr;
  if (!fontPath_.empty()) {
    ImFontConfig config;
    config.OversampleH = 1;
    config.OversampleV = 1;
    config.PixelSnapH = true;
    font = io.Fonts->AddFontFromFileTTF(fontPath_.c_str(), kFontSize, &config, gGlyphRanges.Data);
  }
  if (!font) io.Fonts->AddFontDefault();
  ImGui_ImplSDLRenderer_DestroyFontsTexture();  // made anew by the next frame
  return true;
}

// ---------------------------------------------------------------- frame

void App::NoteWidget(const std::string& name) {
  const ImVec2 min = ImGui::GetItemRectMin();
  const ImVec2 max = ImGui::GetItemRectMax();
  // One word: the label as shown, spaces as "_".
  std::string word = name.substr(0, name.find("##"));
  std::replace(word.begin(), word.end(), ' ', '_');
  widgets_[word] = SDL_Rect{static_cast<int>(min.x), static_cast<int>(min.y), static_cast<int>(max.x - min.x),
                            static_cast<int>(max.y - min.y)};
}

void App::BuildUi() {
  shown_.clear();
  widgets_.clear();
  if (closeMenus_) {
    ImGui::ClosePopupsExceptModals();
    closeMenus_ = false;
  }
  MainMenu();
  CanvasWindow();
  SideWindows();
  RequesterWindows();
  MessageBox();
  if (menuQuestion_) MenuQuestionUi();
  if (integerQuestion_) IntegerQuestionUi();
  if (text_.HasNewCharacters()) framesToDraw_ = std::max(framesToDraw_, 1);
  // Menus and popups open and settle over a few frames of their own.
  if (questionDepth_ > 0 || ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId)) {
    framesToDraw_ = std::max(framesToDraw_, 1);
  }
}

// A menu of the host's menu bar, and an item in it; both noted for reports
// as "menu/NAME" and "NAME/LABEL".
bool App::Menu(const char* name) {
  const bool open = ImGui::BeginMenu(name);
  NoteWidget(std::string("menu/") + name);
  menuName_ = name;
  return open;
}

bool App::Item(const std::string& label, const char* shortcut, bool selected) {
  const bool chosen = ImGui::MenuItem(label.c_str(), shortcut, selected);
  NoteWidget(menuName_ + "/" + label);
  return chosen;
}

void App::MainMenu() {
  if (!ImGui::BeginMainMenuBar()) return;
  if (Menu("Host")) {
    if (Item("About the plug-in")) actions_.push_back([this] { host_->About(); });
    ImGui::Separator();
    ImGui::TextDisabled("Settings kept in %s", options_.homeDirectory.c_str());
    ImGui::Separator();
    if (Item("Quit", "Ctrl+Q")) quit_ = true;
    ImGui::EndMenu();
  }
  if (Menu("Plug-ins")) {
    if (Item("Tintwell panel")) actions_.push_back([this] { host_->Parameters(nullptr); });
    if (Item("Lighten pass")) {
      actions_.push_back([this] { host_->RunCommand("tv_plugin \"tintwell\" cmd \"l\""); });
    }
    if (Item("Darken pass")) {
      actions_.push_back([this] { host_->RunCommand("tv_plugin \"tintwell\" cmd \"d\""); });
    }
    if (!shortcuts_.empty()) {
      ImGui::Separator();
      ImGui::TextDisabled("Keyboard shortcuts");
      for (size_t i = 0; i < shortcuts_.size(); ++i) {
        // The host's English name beside the plug-in's own label (which
        // the plug-in never localises); the reader's language first.
        const std::string english = ShortcutNameOf(shortcuts_[i].second);
        const std::string own = Utf8(shortcuts_[i].first);
        std::string shown = own;
        if (!english.empty()) {
          shown = options_.texts == TextChoice::kEnglish ? english + "   " + own : own + "   " + english;
        }
        const std::string label = shown + "##shortcut" + std::to_string(i);
        if (Item(label, shortcuts_[i].second.c_str())) {
          const std::string key = shortcuts_[i].second;
          actions_.push_back([this, key] { host_->UseShortcut(key); });
        }
      }
    }
    ImGui::EndMenu();
  }
  if (Menu("Edit")) {
    if (Item("Undo", "Ctrl+Z")) {
      actions_.push_back([this] {
        host_->RunCommand("tv_undo");
        CanvasChanged();
      });
    }
    ImGui::Separator();
    if (Item("Copy the layer to the spare page")) {
      actions_.push_back([this] { host_->RunCommand("tv_sparecopy"); });
    }
    if (Item("Spare page onto the layer")) {
      actions_.push_back([this] {
        host_->RunCommand("tv_sparetofront");
        CanvasChanged();
      });
    }
    if (Item("Show the spare page", nullptr, showSpare_)) {
      showSpare_ = !showSpare_;
      canvasDirty_ = true;
    }
    ImGui::Separator();
    // What "tv_stackapply" (the lamp button's paint source) runs.
    ImGui::TextDisabled("FX stack");
    for (const char* stack : kFxStacks) {
      const std::string label = std::string(*stack ? stack : "(empty)") + "##fxstack";
      if (Item(label, nullptr, host_->fxStack == stack)) host_->fxStack = stack;
    }
    ImGui::EndMenu();
  }
  if (Menu("Tool")) {
    for (const char* tool : kTools) {
      if (Item(tool, nullptr, host_->activeTool == tool)) host_->activeTool = tool;
    }
    ImGui::Separator();
    for (const char* mode : kDrawModes) {
      const std::string label = std::string("Draw mode ") + mode;
      if (Item(label, nullptr, host_->drawMode == mode)) host_->drawMode = mode;
    }
    ImGui::EndMenu();
  }
  if (Menu("Room")) {
    for (int room = 1; room <= 4; ++room) {
      const std::string name = "Room-" + std::to_string(room);
      if (Item(name, nullptr, currentRoom_ == name)) {
        currentRoom_ = name;
        actions_.push_back([this, name] { host_->ChangeRoom(name); });
      }
    }
    ImGui::EndMenu();
  }
  if (Menu("View")) {
    if (Item("Zoom in", nullptr)) zoom_ = std::min(16.0f, zoom_ * 1.25f);
    if (Item("Zoom out", nullptr)) zoom_ = std::max(0.125f, zoom_ * 0.8f);
    if (Item("Actual pixels", nullptr)) zoom_ = 1.0f;
    if (Item("Centre the project", nullptr)) {
      panX_ = host_->Options().imageWidth * 0.5f;
      panY_ = host_->Options().imageHeight * 0.5f;
    }
    ImGui::Separator();
    if (Item("Layers", nullptr, showLayers_)) showLayers_ = !showLayers_;
    if (Item("Host dialogue", nullptr, showLog_)) showLog_ = !showLog_;
    ImGui::EndMenu();
  }
  // Status: the pens and what the host's tool is doing.
  const simhost::Rgba a = host_->aPen;
  const simhost::Rgba b = host_->bPen;
  ImGui::Separator();
  const ImVec2 at = ImGui::GetCursorScreenPos();
  const float h = ImGui::GetFrameHeight();
  ImDrawList* list = ImGui::GetWindowDrawList();
  list->AddRectFilled(ImVec2(at.x + 14, at.y + 8), ImVec2(at.x + 14 + h - 6, at.y + h - 1), Colour(b));
  list->AddRectFilled(ImVec2(at.x + 4, at.y + 3), ImVec2(at.x + 4 + h - 6, at.y + h - 6), Colour(a));
  list->AddRect(ImVec2(at.x + 4, at.y + 3), ImVec2(at.x + 4 + h - 6, at.y + h - 6), IM_COL32(0, 0, 0, 255));
  ImGui::Dummy(ImVec2(h + 14, h));
  ImGui::Text("A %d %d %d   %s, %s%s%s", a.r, a.g, a.b, host_->activeTool.c_str(), host_->drawMode.c_str(),
              host_->canvasEvents ? "   canvas events" : "", host_->mouseLocked ? ", mouse locked" : "");
  if (faultCount_ > 0) {
    ImGui::TextColored(ImVec4(1, 0.4f, 0.3f, 1), "   %zu host faults", faultCount_);
  }
  ImGui::EndMainMenuBar();
}

void App::CanvasWindow() {
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  const float top = ImGui::GetFrameHeight();
  ImGui::SetNextWindowPos(ImVec2(viewport->Pos.x, viewport->Pos.y + top));
  ImGui::SetNextWindowSize(ImVec2(viewport->Size.x, viewport->Size.y - top));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
  ImGui::PushStyleColor(ImGuiCol_WindowBg, IM_COL32(60, 60, 66, 255));
  ImGui::Begin("##canvas", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                   ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoScrollWithMouse |
                   ImGuiWindowFlags_NoFocusOnAppearing);
  canvasWindow_ = ImGui::GetCurrentWindow();
  const ImVec2 min = ImGui::GetWindowPos();
  const ImVec2 size = ImGui::GetWindowSize();
  canvasView_ = SDL_Rect{static_cast<int>(min.x), static_cast<int>(min.y), static_cast<int>(size.x),
                         static_cast<int>(size.y)};
  ImDrawList* list = ImGui::GetWindowDrawList();
  const int width = host_->Options().imageWidth;
  const int height = host_->Options().imageHeight;
  float x0, y0, x1, y1;
  CanvasToScreen(0.0f, 0.0f, &x0, &y0);
  CanvasToScreen(static_cast<float>(width), static_cast<float>(height), &x1, &y1);
  list->AddRect(ImVec2(x0 - 1, y0 - 1), ImVec2(x1 + 1, y1 + 1), IM_COL32(20, 20, 20, 255));
  if (canvasTexture_.texture) {
    list->AddImage(reinterpret_cast<ImTextureID>(canvasTexture_.texture), ImVec2(x0, y0), ImVec2(x1, y1));
  }
  if (showSpare_) list->AddText(ImVec2(x0, y0 - kFontSize - 4), IM_COL32(255, 220, 120, 255), "Spare page");

  // The plug-in's overlay.
  auto screen = [this](float cx, float cy) {
    float sx, sy;
    CanvasToScreen(cx, cy, &sx, &sy);
    return ImVec2(sx, sy);
  };
  for (const OverlayShape& shape : overlays_) {
    const std::vector<float>& c = shape.coordinates;
    if (shape.kind == kOverlayLine && c.size() >= 4) {
      list->AddLine(screen(c[0], c[1]), screen(c[2], c[3]), Colour(shape.colour), 1.0f);
    } else if (shape.kind == kOverlayDot && c.size() >= 2) {
      list->AddCircleFilled(screen(c[0], c[1]), static_cast<float>(std::max(1, shape.size)), Colour(shape.colour));
    } else if (shape.kind == kOverlayImage && c.size() >= 10 && shape.picture >= 0 &&
               shape.picture < static_cast<int>(overlayPictures_.size())) {
      // Corners from the anchor, in the order top-left, top-right,
      // bottom-right, bottom-left; the picture keeps its pixel size on screen.
      auto corner = [&](int i) {
        const ImVec2 anchor = screen(c[0], c[1]);
        return ImVec2(std::floor(anchor.x + c[2 + 2 * i]), std::floor(anchor.y + c[3 + 2 * i]));
      };
      list->AddImageQuad(reinterpret_cast<ImTextureID>(overlayPictures_[shape.picture].texture), corner(0),
                         corner(1), corner(2), corner(3));
    }
  }
  // The brush under the pointer while the host's tool would paint.
  // Its outline is the dab's: long side at the tool's angle, short side
  // by its aspect.
  if (!host_->mouseLocked && TopWindowAt(pointerX_, pointerY_) == canvasWindow_ && OverCanvas(pointerX_, pointerY_)) {
    const float radius = std::max(1.5f, BrushRadius() * zoom_);
    const float aspect = std::clamp(ToolNumber("aspect", 100.0f) / 100.0f, 0.05f, 1.0f);
    const float angle = ToolNumber("angle", 0.0f) * 3.14159265f / 180.0f;
    const ImVec2 centre(pointerX_ + 0.5f, pointerY_ + 0.5f);
    const ImVec2 along(std::cos(angle), -std::sin(angle)), across(std::sin(angle), std::cos(angle));
    for (int ring = 0; ring < 2; ++ring) {
      ImVec2 points[32];
      const float r = radius + ring, q = std::max(1.0f, radius * aspect) + ring;
      for (int i = 0; i < 32; ++i) {
        const float t = i * 6.2831853f / 32.0f;
        points[i] = ImVec2(centre.x + r * std::cos(t) * along.x + q * std::sin(t) * across.x,
                           centre.y + r * std::cos(t) * along.y + q * std::sin(t) * across.y);
      }
      list->AddPolyline(points, 32, ring == 0 ? IM_COL32(0, 0, 0, 160) : IM_COL32(255, 255, 255, 120),
                        ImDrawFlags_Closed, 1.0f);
    }
  }
  ImGui::End();
  ImGui::PopStyleColor();
  ImGui::PopStyleVar(2);
}

void App::RequesterWindows() {
  for (RequesterHandle handle : host_->OpenRequesters()) {
    const simhost::Requester* requester = host_->FindRequester(handle);
    if (requester && !IsCanvasTracker(*requester)) RequesterWindow(*requester);
  }
  // Forget what closed requesters left behind.
  for (auto it = requesterTextures_.begin(); it != requesterTextures_.end();) {
    if (!host_->FindRequester(it->first)) {
      if (it->second.texture) SDL_DestroyTexture(it->second.texture);
      placedAt_.erase(it->first);
      raiseCounts_.erase(it->first);
      it = requesterTextures_.erase(it);
    } else {
      ++it;
    }
  }
}

void App::RequesterWindow(const simhost::Requester& requester) {
  const RequesterHandle handle = requester.handle;
  const std::string title = Utf8(requester.title) + "###requester" + std::to_string(handle);
  // Inside the work area: below the host's menu bar and within the window
  // as far as it fits (a plug-in's place of (0, 0), or one saved on a larger
  // screen, would put the window out of reach). The host's place follows.
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  const float menuBar = ImGui::GetFrameHeight();
  const float outerWidth = static_cast<float>(requester.width) + 2.0f;
  const float outerHeight = static_cast<float>(requester.height) + ImGui::GetFrameHeight() + 2.0f;
  const int placeX = static_cast<int>(
      std::clamp(static_cast<float>(requester.x), 0.0f, std::max(0.0f, viewport->Size.x - outerWidth)));
  const int placeY = static_cast<int>(
      std::clamp(static_cast<float>(requester.y), menuBar, std::max(menuBar, viewport->Size.y - outerHeight)));
  auto placed = placedAt_.find(handle);
  if (placed == placedAt_.end() || placed->second != std::make_pair(requester.x, requester.y) ||
      placeX != requester.x || placeY != requester.y) {
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(placeX), static_cast<float>(placeY)));
    placedAt_[handle] = {placeX, placeY};
  }
  if (raiseCounts_[handle] != requester.raiseCount) {
    raiseCounts_[handle] = requester.raiseCount;
    ImGui::SetNextWindowFocus();
  }
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, 0));
  bool open = true;
  ImGui::Begin(title.c_str(), requester.callback ? &open : nullptr,
               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoScrollbar |
                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings);
  ImGuiWindow* window = ImGui::GetCurrentWindow();
  // The user moved it: the host's place follows.
  const ImVec2 pos = ImGui::GetWindowPos();
  const int px = static_cast<int>(std::floor(pos.x));
  const int py = static_cast<int>(std::floor(pos.y));
  if (px != requester.x || py != requester.y) {
    host_->MoveRequester(handle, px, py, requester.width, requester.height);
    placedAt_[handle] = {px, py};
  }
  const ImVec2 cursor = ImGui::GetCursorScreenPos();
  const int ox = static_cast<int>(std::floor(cursor.x));
  const int oy = static_cast<int>(std::floor(cursor.y));
  const int width = std::max(1, requester.width);
  const int height = std::max(1, requester.height);
  ImGui::Dummy(ImVec2(static_cast<float>(width), static_cast<float>(height)));
  ImDrawList* list = ImGui::GetWindowDrawList();

  const PluginContext* context = host_->Context();
  const uint8_t positions[4] = {static_cast<uint8_t>(context->RedPosition), static_cast<uint8_t>(context->GreenPosition),
                                static_cast<uint8_t>(context->BluePosition),
                                static_cast<uint8_t>(context->AlphaPosition)};
  Texture& texture = requesterTextures_[handle];
  SetTexture(&texture, simhost::ComposeRequester(requester, positions), false);
  if (texture.texture) {
    exactDraws_.push_back(ExactDrawData{renderer_, texture.texture, SDL_Rect{ox, oy, texture.width, texture.height}});
    list->AddCallback(DrawExact, &exactDraws_.back());
    list->AddCallback(ImDrawCallback_ResetRenderState, nullptr);
  }

  // The host's own gadgets over the picture.
  for (const auto& entry : requester.gadgets) {
    const simhost::Gadget& gadget = entry.second;
    const ImVec2 min(static_cast<float>(ox + gadget.x), static_cast<float>(oy + gadget.y));
    const ImVec2 max(min.x + gadget.width, min.y + gadget.height);
    if (gadget.imageWidth > 0 && !gadget.imagePixels.empty()) continue;  // a picture
    if (gadget.flags & kGadgetFlagTextField) {
      const auto key = std::make_pair(handle, gadget.id);
      std::string& edit = fieldEdits_[key];
      const std::string label = "##field" + std::to_string(gadget.id);
      // A number field shows its number as a person writes it ("90.5" for
      // the plug-in's "90.500000"); the plug-in gets only what is typed.
      if (ImGui::GetActiveID() != window->GetID(label.c_str())) edit = PlainNumber(Utf8(gadget.text));
      ImGui::SetCursorScreenPos(min);
      ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(3, std::max(0.0f, (gadget.height - kFontSize) * 0.5f)));
      ImGui::SetNextItemWidth(static_cast<float>(gadget.width));
      ImGui::InputText(label.c_str(), &edit, ImGuiInputTextFlags_AutoSelectAll);  // a click selects the number
      ImGui::PopStyleVar();
      if (ImGui::IsItemDeactivatedAfterEdit()) {
        const std::string typed = text_.ToGbk(edit);
        const int32_t id = gadget.id;
        actions_.push_back([this, handle, id, typed] {
          if (!host_->FindRequester(handle)) return;
          host_->SetGadgetTextAsUser(handle, id, typed);
          std::vector<HostWord> words(16, 0);
          words[0] = id;
          host_->SendEvent(handle, kEventTextEdited, words);
        });
      }
    } else if (gadget.flags & kGadgetFlagArrows) {
      DrawArrows(list, min, max);
    } else if (gadget.flags & kGadgetFlagToggle) {
      const bool pressed = capture_.kind == Capture::kGadget && capture_.requester == handle &&
                           capture_.gadgetId == gadget.id;
      DrawToggle(list, min, max, (gadget.flags & kGadgetFlagSelected) != 0, pressed, Utf8(gadget.text));
    } else if ((gadget.flags & kGadgetFlagButton) || !gadget.text.empty()) {
      const bool pressed = capture_.kind == Capture::kGadget && capture_.requester == handle &&
                           capture_.gadgetId == gadget.id;
      DrawButton(list, min, max, pressed, Utf8(gadget.text));
    }
  }

  // Gadget help as the host shows it: a tooltip after a moment's rest.
  if (TopWindowAt(pointerX_, pointerY_) == window && capture_.kind == Capture::kNone) {
    ShownRequester here{handle, window, ox, oy, width, height};
    const simhost::Gadget* gadget = GadgetAt(here, pointerX_, pointerY_);
    if (gadget && !gadget->help.empty() && pointerY_ >= oy) {
      const auto key = std::make_pair(handle, gadget->id);
      if (helpGadget_ != key) {
        helpGadget_ = key;
        helpSince_ = ImGui::GetTime();
      }
      if (ImGui::GetTime() - helpSince_ >= kHelpDelaySeconds) {
        ImGui::BeginTooltip();
        ImGui::PushTextWrapPos(ImGui::GetFontSize() * 24.0f);  // long help wraps instead of running off
        ImGui::TextUnformatted(Utf8(gadget->help).c_str());
        ImGui::PopTextWrapPos();
        ImGui::EndTooltip();
      } else {
        framesToDraw_ = std::max(framesToDraw_, 1);  // come back when it is due
      }
    } else if (helpGadget_.first == handle) {
      helpGadget_ = {0, 0};
    }
  }
  ImGui::End();
  ImGui::PopStyleVar(2);
  shown_.push_back(ShownRequester{handle, window, ox, oy, width, height});
  if (!open) actions_.push_back([this, handle] {
    if (host_->FindRequester(handle)) host_->UserClosesRequester(handle, 0);
  });
}

void App::SideWindows() {
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  if (showLayers_) {
    ImGui::SetNextWindowPos(ImVec2(viewport->Size.x - 250, 40), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(240, 285), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Layers", &showLayers_)) {
      for (auto it = host_->layers.rbegin(); it != host_->layers.rend(); ++it) {
        const int32_t id = it->id;
        ImGui::PushID(id);
        bool visible = it->visible;
        if (ImGui::Checkbox("##visible", &visible)) {
          actions_.push_back([this, id, visible] {
            host_->RunCommand("tv_LayerDisplay " + std::to_string(id) + (visible ? " on" : " off"));
            CanvasChanged();
          });
        }
        NoteWidget("layer-visible-" + std::to_string(id));
        ImGui::SameLine();
        const std::string label = Utf8(it->name.empty() ? "(layer " + std::to_string(id) + ")" : it->name) +
                                  (it->stencil ? "  [stencil]" : "");
        if (ImGui::Selectable(label.c_str(), host_->currentLayerId == id) && host_->currentLayerId != id) {
          actions_.push_back([this, id] {
            if (!host_->FindLayer(id)) return;
            host_->currentLayerId = id;
            CanvasChanged();
          });
        }
        NoteWidget("layer-" + std::to_string(id));
        ImGui::PopID();
      }
      if (ImGui::Button("New layer")) {
        const std::string name = "Layer " + std::to_string(host_->layers.size() + 1);
        actions_.push_back([this, name] {
          host_->RunCommand("tv_LayerCreate \"" + name + "\"");
          CanvasChanged();
        });
      }
      NoteWidget("new-layer");
      ImGui::SameLine();
      if (ImGui::Button("Undo")) {
        actions_.push_back([this] {
          host_->RunCommand("tv_undo");
          CanvasChanged();
        });
      }
      NoteWidget("undo");
      ImGui::Separator();
      ImGui::SetNextItemWidth(120);
      float size = BrushRadius();
      if (ImGui::SliderFloat("Brush radius", &size, 0.5f, 100.0f, "%.1f")) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", size);
        SetToolSetting("size", PlainNumber(text));
      }
      NoteWidget("brush-radius");
      ImGui::SetNextItemWidth(120);
      float aspect = std::clamp(ToolNumber("aspect", 100.0f), 5.0f, 100.0f);
      if (ImGui::SliderFloat("Aspect %", &aspect, 5.0f, 100.0f, "%.0f")) {
        char text[32];
        std::snprintf(text, sizeof text, "%.0f", aspect);
        SetToolSetting("aspect", text);
      }
      NoteWidget("brush-aspect");
      // Status lines wrap at the window's edge; numbers as a person writes them.
      std::string status = host_->activeTool;
      for (const auto& setting : host_->toolSettings) {
        status += ", " + setting.first + " " + PlainNumber(setting.second);
      }
      ImGui::PushStyleColor(ImGuiCol_Text, ImGui::GetStyleColorVec4(ImGuiCol_TextDisabled));
      ImGui::TextWrapped("%s", status.c_str());
      ImGui::TextWrapped("Zoom %.0f%%: the wheel zooms, a middle drag pans", zoom_ * 100.0f);
      ImGui::PopStyleColor();
    }
    ImGui::End();
  }
  if (showLog_) {
    ImGui::SetNextWindowPos(ImVec2(10, viewport->Size.y - 260), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(760, 250), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Host dialogue", &showLog_)) {
      ImGuiListClipper clipper;
      clipper.Begin(static_cast<int>(log_.size()));
      while (clipper.Step()) {
        for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) ImGui::TextUnformatted(log_[i].c_str());
      }
      if (ImGui::GetScrollY() >= ImGui::GetScrollMaxY() - 20) ImGui::SetScrollHereY(1.0f);
    }
    ImGui::End();
  }
}

void App::MessageBox() {
  if (messages_.empty()) return;
  const char* id = "Message###hostmessage";
  if (!ImGui::IsPopupOpen(id)) ImGui::OpenPopup(id);
  ImGui::SetNextWindowPos(ImGui::GetMainViewport()->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  if (ImGui::BeginPopupModal(id, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
    ImGui::PushTextWrapPos(520.0f);
    ImGui::TextUnformatted(Utf8(messages_.front()).c_str());
    ImGui::PopTextWrapPos();
    ImGui::Spacing();
    if (ImGui::Button("OK", ImVec2(90, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter))) {
      messages_.pop_front();
      ImGui::CloseCurrentPopup();
    }
    ImGui::EndPopup();
  }
}

namespace {

void MenuLevel(const std::vector<MenuNode>& nodes, MenuQuestion* question, const std::string& path) {
  for (size_t i = 0; i < nodes.size(); ++i) {
    const MenuNode& node = nodes[i];
    const std::string id = node.label + "##" + path + std::to_string(i);
    if (node.separator) {
      ImGui::Separator();
    } else if (node.submenu) {
      // Its row, taken before the entry: once open, the last item is the submenu's.
      const ImVec2 min = ImGui::GetCursorScreenPos();
      const ImVec2 size(ImGui::GetContentRegionAvail().x, ImGui::GetTextLineHeightWithSpacing());
      question->submenuRects.emplace_back(node.label, SDL_Rect{static_cast<int>(min.x), static_cast<int>(min.y),
                                                               static_cast<int>(size.x), static_cast<int>(size.y)});
      if (ImGui::BeginMenu(id.c_str())) {
        MenuLevel(node.children, question, path + std::to_string(i) + "/");
        ImGui::EndMenu();
      }
    } else {
      if (ImGui::MenuItem(id.c_str(), nullptr, (node.flags & kMenuChecked) != 0)) {
        question->answer = node.id;
        question->done = true;
      }
      const ImVec2 min = ImGui::GetItemRectMin();
      const ImVec2 max = ImGui::GetItemRectMax();
      question->itemRects.emplace_back(node.id, SDL_Rect{static_cast<int>(min.x), static_cast<int>(min.y),
                                                         static_cast<int>(max.x - min.x),
                                                         static_cast<int>(max.y - min.y)});
    }
  }
}

}  // namespace

void App::MenuQuestionUi() {
  MenuQuestion& question = *menuQuestion_;
  const char* id = "##hostmenu";
  // The click that asked for the menu is still in this frame: a popup opened
  // now would be closed by it at once.
  const bool clicking = ImGui::IsMouseClicked(0) || ImGui::IsMouseClicked(1) || ImGui::IsMouseClicked(2);
  if (!question.opened && clicking) return;
  if (!question.opened) {
    ImGui::OpenPopup(id);
    question.opened = true;
  }
  question.itemRects.clear();
  question.submenuRects.clear();
  if (ImGui::BeginPopup(id)) {
    MenuLevel(question.tree.top, &question, "");
    if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))) {
      question.done = true;  // nothing chosen
      question.answer = 0;
    }
    if (question.done) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
  } else {
    question.done = true;  // closed by a click elsewhere or Escape: nothing chosen
    question.answer = 0;
  }
}

void App::IntegerQuestionUi() {
  IntegerQuestion& question = *integerQuestion_;
  const char* id = "Tintwell###hostquestion";
  const bool clicking = ImGui::IsMouseClicked(0) || ImGui::IsMouseClicked(1) || ImGui::IsMouseClicked(2);
  if (!question.opened && clicking) return;
  if (!question.opened) {
    ImGui::OpenPopup(id);
    question.opened = true;
  }
  ImGui::SetNextWindowPos(ImGui::GetMainViewport()->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  if (ImGui::BeginPopupModal(id, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
    ImGui::TextUnformatted(question.prompt.c_str());
    ImGui::SetNextItemWidth(160);
    if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
    ImGui::InputInt("##value", &question.value);
    question.value = std::clamp(question.value, std::min(question.minimum, question.maximum),
                                std::max(question.minimum, question.maximum));
    ImGui::SameLine();
    ImGui::TextDisabled(" %d .. %d", question.minimum, question.maximum);
    const bool enter = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter));
    if (ImGui::Button("OK", ImVec2(90, 0)) || enter) {
      question.answer = question.value;
      question.done = true;
      ImGui::CloseCurrentPopup();
    }
    ImGui::SameLine();
    if (ImGui::Button("Cancel", ImVec2(90, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))) {
      question.done = true;
      ImGui::CloseCurrentPopup();
    }
    ImGui::EndPopup();
  } else {
    question.done = true;
  }
}

}  // namespace desktop
