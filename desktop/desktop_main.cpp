// tintwell_desktop: the program's entry, options, and the start and end of
// the window, Dear ImGui and the plug-in.
//
// Usage: tintwell_desktop [--plugin FILE] [--home DIR] [--loc FILE]
//                         [--control FIFO] [--size WxH] [--project WxH]
//   --plugin   the plug-in library (default: tintwell.so beside the program)
//   --home     where user settings, the colour-scheme file and window places
//              are kept between runs (default: $XDG_CONFIG_HOME/tintwell-desktop
//              or ~/.config/tintwell-desktop)
//   --loc      a localisation file served as "tintwell.loc"
//   --control  a FIFO of script commands (shot, report, shortcut, room, quit;
//              see desktop_control.cpp)
//   --size     the window's size (default 1280x800, or the last run's)
//   --project  the project image's size (default 640x480)
// Exit status: 0 after the user quits, 1 when the plug-in or a file can't be
// loaded, 2 for bad arguments, 3 when there is no display to open.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "desktop_app.h"
#include "imgui.h"
#include "imgui_impl_sdl.h"
#include "imgui_impl_sdlrenderer.h"

namespace desktop {

namespace {

constexpr const char* kDesktopSection = "Desktop";  // the host's own keys in the user settings
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::string ProgramDirectory(const char* argv0) {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string(argv0 ? argv0 : "");
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string DefaultHome() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return std::string(config) + "/tintwell-desktop";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/tintwell-desktop";
}

// mkdir -p; false when the folder can't be made.
bool MakeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      const std::string part = path.substr(0, i);
      if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ParseSize(const char* text, int* width, int* height) {
  int w = 0, h = 0;
  if (!text || std::sscanf(text, "%dx%d", &w, &h) != 2 || w < 16 || h < 16 || w > 8192 || h > 8192) return false;
  *width = w;
  *height = h;
  return true;
}

void Usage(FILE* to) {
  std::fprintf(to,
               "usage: tintwell_desktop [--plugin FILE] [--home DIR] [--loc FILE] [--control FIFO]\n"
               "                        [--size WxH] [--project WxH]\n");
}

}  // namespace

App::App(Options options) : options_(std::move(options)) {}

App::~App() {
  if (host_) {
    if (opened_) host_->Close();
    SaveWindowPlace();
    host_.reset();
  }
  simhost::UnloadPluginLibrary(&api_);
  for (auto& entry : requesterTextures_) {
    if (entry.second.texture) SDL_DestroyTexture(entry.second.texture);
  }
  for (Texture& texture : overlayPictures_) {
    if (texture.texture) SDL_DestroyTexture(texture.texture);
  }
  if (canvasTexture_.texture) SDL_DestroyTexture(canvasTexture_.texture);
  if (imguiStarted_) {
    ImGui_ImplSDLRenderer_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
  }
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  if (controlFd_ >= 0) close(controlFd_);
  SDL_Quit();
}

bool App::Start() {
  if (!MakeFolders(options_.homeDirectory)) {
    std::fprintf(stderr, "tintwell_desktop: can't make the folder %s\n", options_.homeDirectory.c_str());
    return false;
  }
  std::printf("tintwell_desktop: settings, colour schemes and window places are kept in %s\n",
              options_.homeDirectory.c_str());
  std::fflush(stdout);
  std::string error;
  if (!simhost::LoadPluginLibrary(options_.pluginPath.c_str(), &api_, &error)) {
    std::fprintf(stderr, "tintwell_desktop: %s\n", error.c_str());
    return false;
  }
  simhost::HostOptions hostOptions;
  hostOptions.imageWidth = options_.projectWidth;
  hostOptions.imageHeight = options_.projectHeight;
  hostOptions.settingsPath = options_.homeDirectory + "/user-settings.ini";
  hostOptions.localisationPath = options_.localisationPath;
  hostOptions.pluginDirectory = options_.homeDirectory;  // the colour-scheme file goes here
  host_ = std::make_unique<simhost::SimHost>(api_, hostOptions);

  // The window where the last run left it.
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  if (const auto place = host_->UserSetting(kDesktopSection, "window")) {
    int px, py, pw, ph;
    if (std::sscanf(place->c_str(), "%d %d %d %d", &px, &py, &pw, &ph) == 4 && pw >= 320 && ph >= 240) {
      x = px;
      y = py;
      if (options_.windowWidth == 0) {
        options_.windowWidth = pw;
        options_.windowHeight = ph;
      }
    }
  }
  if (options_.windowWidth == 0) {
    options_.windowWidth = 1280;
    options_.windowHeight = 800;
  }
  if (!options_.controlPath.empty()) {
    x = 0;  // a script finds the window at the screen's corner
    y = 0;
  }

  // A display to show on: X11 or Wayland, unless a video driver is named
  // (SDL would otherwise settle for a screen nobody sees).
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (!(x11 && *x11) && !(wayland && *wayland) && !(driver && *driver)) {
    std::fprintf(stderr, "tintwell_desktop: no display (DISPLAY and WAYLAND_DISPLAY are not set)\n");
    exitStatus_ = kExitNoDisplay;
    return false;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "tintwell_desktop: no display (%s)\n", SDL_GetError());
    exitStatus_ = kExitNoDisplay;
    return false;
  }
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "1");
  window_ = SDL_CreateWindow("Tintwell - desktop host", x, y, options_.windowWidth, options_.windowHeight,
                             SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!window_) {
    std::fprintf(stderr, "tintwell_desktop: can't open a window (%s)\n", SDL_GetError());
    return false;
  }
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    std::fprintf(stderr, "tintwell_desktop: no renderer (%s)\n", SDL_GetError());
    return false;
  }

  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  static std::string iniPath;  // Dear ImGui keeps the pointer
  iniPath = options_.homeDirectory + "/desktop-windows.ini";
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = iniPath.c_str();
  io.ConfigWindowsMoveFromTitleBarOnly = true;  // a press inside a requester is the plug-in's
  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 2.0f;
  style.WindowBorderSize = 1.0f;
  ImGui_ImplSDL2_InitForSDLRenderer(window_);
  ImGui_ImplSDLRenderer_Init(renderer_);
  imguiStarted_ = true;
  LoadFont();

  host_->SetPopupMenuHandler([this](const simhost::PopupMenuRecord& menu) { return AskMenu(menu); });
  host_->SetAskIntegerHandler([this](const std::string& prompt, int32_t value, int32_t minimum, int32_t maximum) {
    return AskInteger(prompt, value, minimum, maximum);
  });
  MakeProject();
  OpenControl();

  opened_ = host_->Open() != 0;
  if (!opened_) {
    messages_.push_back("The plug-in did not open (PI_Open returned 0).");
  } else {
    const auto room = host_->UserSetting(kDesktopSection, "room");
    currentRoom_ = room && !room->empty() ? *room : std::string("Room-1");
    host_->ChangeRoom(currentRoom_);
  }
  HarvestRecords();
  return true;
}

void App::SaveWindowPlace() {
  if (!host_ || !window_) return;
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  SDL_GetWindowSize(window_, &w, &h);
  char text[64];
  std::snprintf(text, sizeof text, "%d %d %d %d", x, y, w, h);
  host_->SetUserSetting(kDesktopSection, "window", text);
  host_->SetUserSetting(kDesktopSection, "room", currentRoom_);
}

int App::Run() {
  while (!quit_) Frame();
  return exitStatus_;
}

}  // namespace desktop

int main(int argc, char** argv) {
  desktop::Options options;
  options.windowWidth = 0;  // the last run's size unless given
  options.pluginPath = desktop::ProgramDirectory(argc > 0 ? argv[0] : nullptr) + "/tintwell.so";
  options.homeDirectory = desktop::DefaultHome();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      desktop::Usage(stdout);
      return 0;
    }
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = value != nullptr;
    if (arg == "--plugin" && ok) {
      options.pluginPath = value;
    } else if (arg == "--home" && ok) {
      options.homeDirectory = value;
    } else if (arg == "--loc" && ok) {
      options.localisationPath = value;
    } else if (arg == "--control" && ok) {
      options.controlPath = value;
    } else if (arg == "--size" && ok) {
      ok = desktop::ParseSize(value, &options.windowWidth, &options.windowHeight);
    } else if (arg == "--project" && ok) {
      ok = desktop::ParseSize(value, &options.projectWidth, &options.projectHeight);
    } else {
      ok = false;
    }
    if (!ok) {
      desktop::Usage(stderr);
      return desktop::kExitUsage;
    }
    ++i;
  }
  desktop::App app(options);
  if (!app.Start()) return app.ExitStatus() != 0 ? app.ExitStatus() : desktop::kExitFailed;
  return app.Run();
}
