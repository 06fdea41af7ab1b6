// texts_probe: reads back the texts a built plug-in hands to its host, for
// the package check. Loads tintwell.dll from the program's own folder into
// the stand-in host (LoadLibrary, as the real host does), with no
// localisation file, so every text is the one built into that DLL; rests the
// pointer on the B swatch with quick help on; prints one line per text, each
// byte outside printable ASCII as \xHH:
//   name "..."        the plug-in's name (its settings section)
//   title "..."       the panel's title as it opened
//   help-title "..."  the panel's title with the pointer on the B swatch
//   help "..."        the swatch gadget's quick help text there
//   shortcut K "..."  the label registered for key K, in registration order
// Exit status 1 when the plug-in does not load or open, or a text is missing.
#include <cstdio>
#include <string>
#include <vector>

#include "simhost.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

constexpr int32_t kPointerMoveEvent = 210;  // the panel's pointer-move event
constexpr int32_t kSwatchGadget = 100;

std::string Escaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char piece[8];
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(piece, sizeof piece, "\\x%02x", c);
      out += piece;
    }
  }
  return out;
}

std::string ProgramDirectory() {
#if defined(_WIN32)
  char buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  std::string path(buffer, n < sizeof buffer ? n : 0);
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
#else
  return ".";
#endif
}

}  // namespace

int main() {
  simhost::HostOptions options;
  options.configFilesInMemory = true;
  options.pluginDirectory = ProgramDirectory();
  simhost::PluginApi api;
  std::string error;
#if defined(_WIN32)
  const std::string library = options.pluginDirectory + "\\tintwell.dll";
#else
  const std::string library = options.pluginDirectory + "/tintwell.so";
#endif
  if (!simhost::LoadPluginLibrary(library.c_str(), &api, &error)) {
    std::fprintf(stderr, "texts_probe: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  {
    simhost::SimHost host(api, options);
    if (!host.Open()) {
      std::fprintf(stderr, "texts_probe: PI_Open failed\n");
      status = 1;
    } else {
      std::printf("name \"%s\"\n", Escaped(host.Context()->Name).c_str());
      // The panel: the open window with the swatch gadget.
      const simhost::Requester* panel = nullptr;
      for (RequesterHandle handle : host.OpenRequesters()) {
        const simhost::Requester* r = host.FindRequester(handle);
        if (r && r->gadgets.count(kSwatchGadget)) panel = r;
      }
      if (!panel) {
        std::fprintf(stderr, "texts_probe: no panel\n");
        status = 1;
      } else {
        std::printf("title \"%s\"\n", Escaped(panel->title).c_str());
        std::vector<HostWord> words(16, 0);
        words[8] = 10;  // pointer x, y in the panel: the B swatch
        words[9] = 10;
        host.SendEvent(panel->handle, kPointerMoveEvent, words);
        panel = host.FindRequester(panel->handle);
        const std::string help = panel && panel->gadgets.count(kSwatchGadget)
                                     ? panel->gadgets.at(kSwatchGadget).help : std::string();
        if (help.empty()) {
          std::fprintf(stderr, "texts_probe: no quick help on the swatches\n");
          status = 1;
        } else {
          std::printf("help-title \"%s\"\n", Escaped(panel->title).c_str());
          std::printf("help \"%s\"\n", Escaped(help).c_str());
        }
      }
      if (host.Shortcuts().empty()) status = 1;
      for (const auto& [label, key] : host.Shortcuts()) {
        std::printf("shortcut %s \"%s\"\n", key.c_str(), Escaped(label).c_str());
      }
      host.Close();
    }
    for (const std::string& fault : host.Faults()) {
      std::fprintf(stderr, "texts_probe: host fault: %s\n", fault.c_str());
      status = 1;
    }
  }
  simhost::UnloadPluginLibrary(&api);
  return status;
}
