// tintwell_desktop: script control, screenshots and reports.
//
// With --control FIFO the program reads one command a line from the FIFO
// (made when missing) and carries them out in order between frames:
//   shot FILE [X Y W H S]  the whole window (or that part of it, each pixel
//                          S x S times) as a PNG file, after the next frame
//   report FILE [X Y]...   a text report of what the window shows (below),
//                          with the window pixel at each X Y
//   shortcut KEY           the user uses the plug-in's keyboard shortcut KEY
//   room NAME              the host's room changes (Room-1 .. Room-4)
//   panel                  the plug-in's menu entry: show the panel
//   log FILE               the host's dialogue with the plug-in so far (the
//                          last few thousand lines: entries, calls, commands)
//   quit                   the program ends (the plug-in is closed first)
//   help                   these commands, on standard output
// Files are written under a temporary name and renamed when complete, so a
// script may wait for them to appear. While the plug-in waits for an answer
// (its pop-up menu, its integer question) only shot, report and quit are
// carried out; the rest waits.
//
// Report lines (window pixels, top-left origin):
//   frame N | faults N | apen R G B A | bpen R G B A | tool NAME | drawmode NAME
//   canvas-events 0|1 | mouse-locked 0|1 | room NAME | zoom Z
//   notes N                            commands the host did not carry out so far
//   undo-steps N | shape NAME | fxstack NAME
//   tool-setting KEY VALUE             the active tool's settings
//   widget NAME X Y W H                the host's own controls (layers window)
//   canvas X Y W H                     the canvas view
//   project-origin X Y                 where the project's pixel (0, 0) is
//   layer ID VISIBLE CURRENT NAME
//   requester HANDLE X Y W H CALLBACK TITLE   content place and size
//   gadget HANDLE ID X Y W H FLAGS PICTURE_DIGEST|-
//   onscreen HANDLE ID same|differs N  a picture gadget's pixels on screen
//                                      against the plug-in's picture
//   menu-item ID X Y W H FLAGS         the open pop-up menu's items (FLAGS as the plug-in gave them)
//   menu-submenu X Y W H LABEL         and its submenu entries
//   question integer VALUE MIN MAX
//   message TEXT                       message boxes waiting for OK
//   probe X Y R G B
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "desktop_app.h"

namespace desktop {

namespace {

const char* const kControlHelp =
    "tintwell_desktop control commands (one a line):\n"
    "  shot FILE [X Y W H S]  a PNG of the window (or of that part, each pixel S x S times)\n"
    "  report FILE [X Y]...   a text report of what the window shows, with the pixel at each X Y\n"
    "  shortcut KEY           use the plug-in's keyboard shortcut KEY\n"
    "  room NAME              change the host's room (Room-1 .. Room-4)\n"
    "  panel                  the Plug-ins menu's \"Tintwell panel\": show the panel\n"
    "  log FILE               the host's dialogue with the plug-in so far\n"
    "  quit                   end the program (the plug-in is closed first)\n"
    "  help                   this list\n"
    "Files appear complete (written under a temporary name, then renamed).\n";

std::string FirstWord(const std::string& line, std::string* rest) {
  const size_t space = line.find(' ');
  if (space == std::string::npos) {
    rest->clear();
    return line;
  }
  *rest = line.substr(space + 1);
  return line.substr(0, space);
}

}  // namespace

void App::OpenControl() {
  if (options_.controlPath.empty()) return;
  struct stat info;
  if (stat(options_.controlPath.c_str(), &info) != 0) {
    if (mkfifo(options_.controlPath.c_str(), 0600) != 0) {
      std::fprintf(stderr, "tintwell_desktop: can't make the FIFO %s: %s\n", options_.controlPath.c_str(),
                   std::strerror(errno));
      return;
    }
  }
  controlFd_ = open(options_.controlPath.c_str(), O_RDONLY | O_NONBLOCK);
  if (controlFd_ < 0) {
    std::fprintf(stderr, "tintwell_desktop: can't read %s: %s\n", options_.controlPath.c_str(), std::strerror(errno));
  }
}

void App::ReadControl() {
  if (controlFd_ < 0) return;
  char buffer[4096];
  ssize_t n;
  while ((n = read(controlFd_, buffer, sizeof buffer)) > 0) controlBuffer_.append(buffer, static_cast<size_t>(n));
  for (size_t end; (end = controlBuffer_.find('\n')) != std::string::npos;) {
    std::string line = controlBuffer_.substr(0, end);
    controlBuffer_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) controlLines_.push_back(line);
  }
  // Input still waiting for its frame comes first: a script's report
  // follows what was done before it.
  while (!controlLines_.empty() && heldEvents_.empty()) {
    std::string rest;
    const std::string word = FirstWord(controlLines_.front(), &rest);
    if (word == "shot" || word == "report") {
      if (!controlRequests_.empty()) break;  // one picture of the screen a frame, in order
      ControlRequest request;
      std::istringstream in(rest);
      std::string path;
      in >> path;
      (word == "shot" ? request.shotPath : request.reportPath) = path;
      std::vector<int> numbers;
      for (int value; in >> value;) numbers.push_back(value);
      for (size_t i = 0; i + 1 < numbers.size(); i += 2) request.probes.emplace_back(numbers[i], numbers[i + 1]);
      if (numbers.size() % 2 == 1) request.probes.emplace_back(numbers.back(), 0);
      controlRequests_.push_back(request);
      controlLines_.pop_front();
      break;
    }
    if (word == "help") {
      std::fputs(kControlHelp, stdout);
      std::fflush(stdout);
      controlLines_.pop_front();
      continue;
    }
    if (word == "quit") {
      quit_ = true;
      controlLines_.pop_front();
      break;
    }
    if (questionDepth_ > 0) break;  // the plug-in is waiting for an answer
    controlLines_.pop_front();
    if (word == "shortcut" && !rest.empty()) {
      host_->UseShortcut(rest);
    } else if (word == "room" && !rest.empty()) {
      currentRoom_ = rest;
      host_->ChangeRoom(rest);
    } else if (word == "panel") {
      host_->Parameters(nullptr);
    } else if (word == "log" && !rest.empty()) {
      HarvestRecords();
      if (FILE* file = std::fopen(rest.c_str(), "w")) {
        for (const std::string& line : log_) std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
      }
    } else {
      std::fprintf(stderr, "tintwell_desktop: unknown control command: %s (\"help\" lists them)\n", word.c_str());
    }
    overlaysWanted_ = true;
    framesToDraw_ = std::max(framesToDraw_, 2);
  }
}

simhost::RgbaPicture App::ReadScreen() {
  simhost::RgbaPicture picture;
  int width = 0, height = 0;
  if (SDL_GetRendererOutputSize(renderer_, &width, &height) != 0 || width <= 0 || height <= 0) return picture;
  picture.width = width;
  picture.height = height;
  picture.rgba.resize(static_cast<size_t>(width) * height * 4);
  if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGBA32, picture.rgba.data(), width * 4) != 0) {
    return simhost::RgbaPicture{};
  }
  for (size_t i = 3; i < picture.rgba.size(); i += 4) picture.rgba[i] = 255;
  return picture;
}

void App::AfterRender() {
  // Only a settled screen is pictured: the last frame of a burst, when
  // windows that size themselves have shown.
  if (controlRequests_.empty() || framesToDraw_ > 1) return;
  const simhost::RgbaPicture screen = ReadScreen();
  for (const ControlRequest& request : controlRequests_) {
    if (!request.shotPath.empty()) {
      const std::string partial = request.shotPath + ".partial";
      std::string error;
      simhost::RgbaPicture part = screen;
      int scale = 1;
      if (request.probes.size() >= 3) {
        // A close-up: x y, w h, scale.
        const int x = std::max(0, request.probes[0].first), y = std::max(0, request.probes[0].second);
        const int w = std::min(request.probes[1].first, screen.width - x);
        const int h = std::min(request.probes[1].second, screen.height - y);
        scale = std::clamp(request.probes[2].first, 1, 8);
        if (w > 0 && h > 0) {
          part.width = w;
          part.height = h;
          part.rgba.resize(static_cast<size_t>(w) * h * 4);
          for (int row = 0; row < h; ++row) {
            std::copy_n(&screen.rgba[(static_cast<size_t>(y + row) * screen.width + x) * 4], static_cast<size_t>(w) * 4,
                        &part.rgba[static_cast<size_t>(row) * w * 4]);
          }
        }
      }
      if (simhost::WritePng(partial, part, scale, &error)) {
        std::rename(partial.c_str(), request.shotPath.c_str());
      } else {
        std::fprintf(stderr, "tintwell_desktop: screenshot %s: %s\n", request.shotPath.c_str(), error.c_str());
      }
    }
    if (!request.reportPath.empty()) WriteReport(request.reportPath, request.probes, screen);
  }
  controlRequests_.clear();
}

void App::WriteReport(const std::string& path, const std::vector<std::pair<int, int>>& probes,
                      const simhost::RgbaPicture& screen) {
  const std::string partial = path + ".partial";
  FILE* file = std::fopen(partial.c_str(), "w");
  if (!file) {
    std::fprintf(stderr, "tintwell_desktop: can't write %s\n", partial.c_str());
    return;
  }
  auto pixel = [&](int x, int y, uint8_t* rgb) {
    if (x < 0 || y < 0 || x >= screen.width || y >= screen.height) return false;
    const uint8_t* p = &screen.rgba[(static_cast<size_t>(y) * screen.width + x) * 4];
    rgb[0] = p[0];
    rgb[1] = p[1];
    rgb[2] = p[2];
    return true;
  };
  std::fprintf(file, "frame %llu\nfaults %zu\n", static_cast<unsigned long long>(frameCount_), faultCount_);
  const simhost::Rgba a = host_->aPen, b = host_->bPen;
  std::fprintf(file, "apen %d %d %d %d\nbpen %d %d %d %d\n", a.r, a.g, a.b, a.a, b.r, b.g, b.b, b.a);
  std::fprintf(file, "tool %s\ndrawmode %s\ncanvas-events %d\nmouse-locked %d\nroom %s\nzoom %g\n",
               host_->activeTool.c_str(), host_->drawMode.c_str(), host_->canvasEvents ? 1 : 0,
               host_->mouseLocked ? 1 : 0, currentRoom_.c_str(), static_cast<double>(zoom_));
  std::fprintf(file, "notes %zu\nundo-steps %zu\nshape %s\nfxstack %s\n", noteCount_, host_->UndoHistory().size(),
               host_->activeShape.c_str(), host_->fxStack.empty() ? "-" : host_->fxStack.c_str());
  for (const auto& setting : host_->toolSettings) {
    std::fprintf(file, "tool-setting %s %s\n", setting.first.c_str(), setting.second.c_str());
  }
  for (const auto& widget : widgets_) {
    std::fprintf(file, "widget %s %d %d %d %d\n", widget.first.c_str(), widget.second.x, widget.second.y,
                 widget.second.w, widget.second.h);
  }
  std::fprintf(file, "canvas %d %d %d %d\n", canvasView_.x, canvasView_.y, canvasView_.w, canvasView_.h);
  float ox, oy;
  CanvasToScreen(0.0f, 0.0f, &ox, &oy);
  std::fprintf(file, "project-origin %d %d\n", static_cast<int>(ox), static_cast<int>(oy));
  for (const simhost::Layer& layer : host_->layers) {
    std::fprintf(file, "layer %d %d %d %s\n", layer.id, layer.visible ? 1 : 0,
                 layer.id == host_->currentLayerId ? 1 : 0, Utf8(layer.name).c_str());
  }
  const PluginContext* context = host_->Context();
  const uint8_t positions[4] = {static_cast<uint8_t>(context->RedPosition), static_cast<uint8_t>(context->GreenPosition),
                                static_cast<uint8_t>(context->BluePosition),
                                static_cast<uint8_t>(context->AlphaPosition)};
  for (const ShownRequester& shown : shown_) {
    const simhost::Requester* requester = host_->FindRequester(shown.handle);
    if (!requester) continue;
    std::fprintf(file, "requester %lld %d %d %d %d %d %s\n", static_cast<long long>(shown.handle), shown.x, shown.y,
                 shown.width, shown.height, requester->callback ? 1 : 0, Utf8(requester->title).c_str());
    const simhost::RgbaPicture composed = simhost::ComposeRequester(*requester, positions);
    for (const auto& entry : requester->gadgets) {
      const simhost::Gadget& gadget = entry.second;
      const bool picture = gadget.imageWidth > 0 && !gadget.imagePixels.empty();
      std::fprintf(file, "gadget %lld %d %d %d %d %d %d %s\n", static_cast<long long>(shown.handle), gadget.id,
                   shown.x + gadget.x, shown.y + gadget.y, gadget.width, gadget.height, gadget.flags,
                   picture ? simhost::PictureDigest(simhost::GadgetPicture(gadget, positions)).c_str() : "-");
      if (!picture) continue;
      // The gadget's rectangle on screen against the host's composition of
      // the plug-in's picture.
      int differing = 0;
      for (int y = std::max(0, gadget.y); y < std::min(composed.height, gadget.y + gadget.height); ++y) {
        for (int x = std::max(0, gadget.x); x < std::min(composed.width, gadget.x + gadget.width); ++x) {
          const uint8_t* want = &composed.rgba[(static_cast<size_t>(y) * composed.width + x) * 4];
          uint8_t got[3];
          if (!pixel(shown.x + x, shown.y + y, got) || got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) {
            ++differing;
          }
        }
      }
      std::fprintf(file, "onscreen %lld %d %s %d\n", static_cast<long long>(shown.handle), gadget.id,
                   differing == 0 ? "same" : "differs", differing);
    }
  }
  if (menuQuestion_) {
    for (const auto& item : menuQuestion_->itemRects) {
      int32_t flags = 0;
      for (const simhost::MenuItemRecord& record : menuQuestion_->record.items) {
        if (record.id == item.first) flags = record.flags;
      }
      std::fprintf(file, "menu-item %d %d %d %d %d %d\n", item.first, item.second.x, item.second.y, item.second.w,
                   item.second.h, flags);
    }
    for (const auto& entry : menuQuestion_->submenuRects) {
      std::fprintf(file, "menu-submenu %d %d %d %d %s\n", entry.second.x, entry.second.y, entry.second.w,
                   entry.second.h, entry.first.c_str());
    }
  }
  if (integerQuestion_) {
    std::fprintf(file, "question integer %d %d %d\n", integerQuestion_->value, integerQuestion_->minimum,
                 integerQuestion_->maximum);
  }
  for (const std::string& message : messages_) {
    std::string line = Utf8(message);
    for (char& c : line) {
      if (c == '\n') c = ' ';
    }
    std::fprintf(file, "message %s\n", line.c_str());
  }
  for (const auto& probe : probes) {
    uint8_t rgb[3] = {0, 0, 0};
    pixel(probe.first, probe.second, rgb);
    std::fprintf(file, "probe %d %d %d %d %d\n", probe.first, probe.second, rgb[0], rgb[1], rgb[2]);
  }
  const bool written = std::fclose(file) == 0;
  if (written) std::rename(partial.c_str(), path.c_str());
}

}  // namespace desktop
