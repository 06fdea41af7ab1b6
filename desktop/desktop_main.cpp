// tintwell_desktop: the program's entry, options, and the start and end of
// the window, Dear ImGui and the plug-in. `tintwell_desktop --help` explains
// the options, the plug-in's shortcut letters and the host's keys and mouse.
// Exit status: 0 after the user quits, 1 when the plug-in can't be loaded
// or the window can't be made, 2 for a bad option or value (with a one-line
// reason), 3 when there is no display to open.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "desktop_app.h"
#include "imgui.h"
#include "imgui_impl_sdl.h"
#include "imgui_impl_sdlrenderer.h"

namespace desktop {

namespace {

constexpr const char* kDesktopSection = "Desktop";  // the host's own keys in the user settings
constexpr int kExitFailed = 1;

}  // namespace

constexpr int kExitUsage = 2;

namespace {

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

constexpr int kMinimumWindowWidth = 320, kMinimumWindowHeight = 240;
constexpr int kMinimumProject = 16;
constexpr int kMaximumSide = 8192;

void Usage(FILE* to) {
  std::fprintf(to,
               "usage: tintwell_desktop [--plugin FILE] [--home DIR] [--loc FILE|english|builtin]\n"
               "                        [--control FIFO] [--size WxH] [--project WxH] [--help] [--version]\n");
}

void Help() {
  Usage(stdout);
  std::printf(
      "\n"
      "The Tintwell colour panel in a window of its own: a stand-in paint host that loads the\n"
      "plug-in library and shows its panel and windows over a small canvas you can paint on.\n"
      "\n"
      "Options:\n"
      "  --plugin FILE   the plug-in library to load (default: tintwell.so beside this program)\n"
      "  --home DIR      where settings, colour schemes and window places are kept between runs\n"
      "                  (default: $XDG_CONFIG_HOME/tintwell-desktop or ~/.config/tintwell-desktop)\n"
      "  --loc FILE      the plug-in's texts from FILE (\"NUMBER text\" lines, UTF-8)\n"
      "  --loc english   the English texts (tintwell-en.loc beside this program)\n"
      "  --loc builtin   the texts built into the plug-in (menus in English, titles and help in Chinese)\n"
      "                  Without --loc: built-in texts when LC_ALL, LC_MESSAGES or LANG starts\n"
      "                  with \"zh\", English otherwise.\n"
      "  --control FIFO  read script commands from FIFO (made if missing); the command \"help\"\n"
      "                  lists them on standard output\n"
      "  --size WxH      the window's size (default: 1280x800, or where the last run left it)\n"
      "  --project WxH   the canvas size in pixels, %d to %d a side (default 640x480)\n"
      "  --help          this text;  --version  the program's version\n"
      "\n"
      "The plug-in's shortcut letters (also in the Plug-ins menu):\n",
      kMinimumProject, kMaximumSide);
  for (const ShortcutName& shortcut : ShortcutNames()) std::printf("  %s  %s\n", shortcut.key, shortcut.name);
  std::printf(
      "\n"
      "Keys and mouse of the host:\n"
      "  left drag on the canvas     paint with the A colour (the panel's current colour) in the\n"
      "                              draw mode (Tool menu; merge paints the spare page); the Layers\n"
      "                              window sets the brush's radius and aspect, the plug-in may\n"
      "                              change its power, opacity, angle and size\n"
      "  left click on the canvas    paints nothing (the freehand line needs a drag); it is the\n"
      "                              click Smart Fill fills at, inside a line just drawn\n"
      "  Ctrl+Z                      undo (a stroke, a Smart Fill, a lighten or darken pass)\n"
      "  mouse wheel, middle drag    zoom and pan the canvas\n"
      "  Escape                      close an open menu; else end the pick or brush mode\n"
      "  Ctrl+Q                      quit (the plug-in saves its settings, the host its A and B pens)\n"
      "  on the panel                left and right clicks and drags work its parts; a right click\n"
      "                              on the left swatches opens its menu; with Quick help on, the\n"
      "                              panel's title and a tooltip explain the part under the pointer\n"
      "  menus                       Host (about, quit), Plug-ins (panel, passes, shortcuts),\n"
      "                              Edit (undo, spare page, FX stack), Tool (tool, draw mode), Room\n"
      "                              (1-4), View (zoom, the layers window, the host's dialogue)\n");
}

// "WxH" with both sides in range; false with the reason.
bool ParseSize(const std::string& text, int minimumWidth, int minimumHeight, int* width, int* height,
               std::string* reason) {
  const size_t x = text.find('x');
  auto number = [](const std::string& part, int* value) {
    if (part.empty() || part.size() > 6 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    *value = std::atoi(part.c_str());
    return true;
  };
  int w = 0, h = 0;
  if (x == std::string::npos || !number(text.substr(0, x), &w) || !number(text.substr(x + 1), &h)) {
    *reason = "expected WIDTHxHEIGHT in pixels, e.g. 1280x800";
    return false;
  }
  if (w < minimumWidth || h < minimumHeight || w > kMaximumSide || h > kMaximumSide) {
    *reason = "the size must be from " + std::to_string(minimumWidth) + "x" + std::to_string(minimumHeight) +
              " to " + std::to_string(kMaximumSide) + "x" + std::to_string(kMaximumSide);
    return false;
  }
  *width = w;
  *height = h;
  return true;
}

// Where the English texts are: beside the program (the build copies them
// there), else in the source tree the program was built from.
std::string EnglishTextsPath(const std::string& programDirectory) {
  const std::string beside = programDirectory + "/tintwell-en.loc";
  struct stat info;
  if (stat(beside.c_str(), &info) == 0) return beside;
#ifdef TINTWELL_DESKTOP_ENGLISH_TEXTS
  return TINTWELL_DESKTOP_ENGLISH_TEXTS;
#else
  return beside;
#endif
}

// Whether files can be made in the folder: the reason when not.
std::string UnwritableReason(const std::string& folder) {
  const std::string probe = folder + "/.tintwell-write-test-" + std::to_string(getpid());
  FILE* file = std::fopen(probe.c_str(), "w");
  if (!file) return std::strerror(errno);
  const bool written = std::fputs("x", file) >= 0;
  const bool closed = std::fclose(file) == 0;
  const int error = errno;
  std::remove(probe.c_str());
  return written && closed ? std::string() : std::string(std::strerror(error));
}

}  // namespace

App::App(Options options) : options_(std::move(options)) {}

App::~App() {
  if (host_) {
    if (opened_) host_->Close();
    SaveWindowPlace();
    StorePens();
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
  // A home that can't be written is said at once, here and in the window:
  // the program runs, but nothing it keeps survives the run.
  std::string unwritable;
  if (!MakeFolders(options_.homeDirectory)) {
    unwritable = std::strerror(errno);
  } else {
    unwritable = UnwritableReason(options_.homeDirectory);
  }
  if (unwritable.empty()) {
    std::printf("tintwell_desktop: settings, colour schemes and window places are kept in %s\n",
                options_.homeDirectory.c_str());
  } else {
    homeWarning_ = "Settings, colour schemes and window places will not be kept after this run: can't write to " +
                   options_.homeDirectory + " (" + unwritable + "). --home names another folder.";
    std::fprintf(stderr, "tintwell_desktop: %s\n", homeWarning_.c_str());
  }
  std::printf("tintwell_desktop: texts: %s\n", options_.textsDescription.c_str());
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
  hostOptions.localisationTexts = options_.localisationTexts;
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

  if (!homeWarning_.empty()) messages_.push_back(text_.ToGbk(homeWarning_));
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

// The host keeps its A and B pens between runs where the plug-in reads them
// at its start ("Main", "apen" and "bpen", "R G B").
void App::StorePens() {
  if (!host_) return;
  char text[48];
  const simhost::Rgba a = host_->aPen, b = host_->bPen;
  std::snprintf(text, sizeof text, "%d %d %d", a.r, a.g, a.b);
  host_->SetUserSetting("Main", "apen", text);
  std::snprintf(text, sizeof text, "%d %d %d", b.r, b.g, b.b);
  host_->SetUserSetting("Main", "bpen", text);
}

int App::Run() {
  while (!quit_) Frame();
  return exitStatus_;
}

}  // namespace desktop

int main(int argc, char** argv) {
  using desktop::TextChoice;
  desktop::Options options;
  options.windowWidth = 0;  // the last run's size unless given
  const std::string programDirectory = desktop::ProgramDirectory(argc > 0 ? argv[0] : nullptr);
  options.pluginPath = programDirectory + "/tintwell.so";
  options.homeDirectory = desktop::DefaultHome();
  std::string loc;  // --loc as given
  auto bad = [](const std::string& what) {
    std::fprintf(stderr, "tintwell_desktop: %s\n", what.c_str());
    return desktop::kExitUsage;
  };
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool hasValue = false;
    const size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
      hasValue = true;
    }
    if (arg == "--help" || arg == "-h") {
      desktop::Help();
      return 0;
    }
    if (arg == "--version") {
      std::printf("tintwell_desktop %s (the Tintwell plug-in's desktop stand-in host)\n", TINTWELL_DESKTOP_VERSION);
      return 0;
    }
    const bool takesValue = arg == "--plugin" || arg == "--home" || arg == "--loc" || arg == "--control" ||
                            arg == "--size" || arg == "--project";
    if (!takesValue) {
      return bad(arg.rfind("-", 0) == 0 ? "unknown option " + arg + " (--help lists the options)"
                                        : "unexpected argument " + arg + " (--help lists the options)");
    }
    if (!hasValue) {
      if (i + 1 >= argc) return bad(arg + " needs a value (--help explains it)");
      value = argv[++i];
    }
    if (value.empty()) return bad(arg + " needs a value (--help explains it)");
    std::string reason;
    struct stat info;
    if (arg == "--plugin") {
      if (stat(value.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return bad("--plugin " + value + ": no such file");
      }
      options.pluginPath = value;
    } else if (arg == "--home") {
      if (stat(value.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) return bad("--home " + value + ": not a folder");
      options.homeDirectory = value;
    } else if (arg == "--loc") {
      loc = value;
    } else if (arg == "--control") {
      if (stat(value.c_str(), &info) == 0 && !S_ISFIFO(info.st_mode)) {
        return bad("--control " + value + ": exists and is not a FIFO");
      }
      options.controlPath = value;
    } else if (arg == "--size") {
      if (!desktop::ParseSize(value, desktop::kMinimumWindowWidth, desktop::kMinimumWindowHeight,
                              &options.windowWidth, &options.windowHeight, &reason)) {
        return bad("--size " + value + ": " + reason);
      }
    } else if (arg == "--project") {
      if (!desktop::ParseSize(value, desktop::kMinimumProject, desktop::kMinimumProject, &options.projectWidth,
                              &options.projectHeight, &reason)) {
        return bad("--project " + value + ": " + reason);
      }
    }
  }

  // The plug-in's texts.
  std::string textsFile;
  if (loc.empty()) {
    options.texts = desktop::ChooseTexts(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    if (options.texts == TextChoice::kEnglish) textsFile = desktop::EnglishTextsPath(programDirectory);
  } else if (loc == "builtin") {
    options.texts = TextChoice::kBuiltin;
  } else {
    options.texts = TextChoice::kEnglish;
    textsFile = loc == "english" ? desktop::EnglishTextsPath(programDirectory) : loc;
  }
  if (!textsFile.empty()) {
    std::map<int32_t, std::string> texts;
    std::string error;
    if (!desktop::ReadLocalisationFile(textsFile, &texts, &error)) {
      if (!loc.empty()) return bad("--loc " + error);
      // Chosen from the locale: the built-in texts still serve.
      std::fprintf(stderr, "tintwell_desktop: %s; the plug-in's built-in texts are used\n", error.c_str());
      options.texts = TextChoice::kBuiltin;
      textsFile.clear();
    } else {
      options.localisationTexts = std::move(texts);
    }
  }
  options.textsDescription = textsFile.empty() ? "built into the plug-in" : textsFile;
  if (loc.empty()) options.textsDescription += " (from the locale; --loc chooses)";

  desktop::App app(options);
  if (!app.Start()) return app.ExitStatus() != 0 ? app.ExitStatus() : desktop::kExitFailed;
  return app.Run();
}
