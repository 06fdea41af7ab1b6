// simhost_session: the main job. Runs a short session of the plug-in in the
// stand-in host and prints the dialogue it had with the host: every plug-in
// entry ("> ..."), every dispatcher call in a readable one-line form
// (commands with their replies), indented by nesting.
//
// Natively the plug-in is linked in; in the Windows build (TINTWELL_LOAD_DLL)
// tintwell.dll is loaded from the program's directory through LoadLibrary,
// as the real host does.
//
// Usage: simhost_session [settings-file [localisation-file]]
//   settings-file      user settings kept between runs (default: in memory)
//   localisation-file  served as "tintwell.loc" (default: none)
#include <cstdio>
#include <string>

#include "simhost.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// The directory the program lives in, which is also the host's plug-in
// directory here (the colour-scheme file goes there).
std::string ProgramDirectory(const char* argv0) {
  std::string path;
#if defined(_WIN32)
  (void)argv0;
  char buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  path.assign(buffer, n < sizeof buffer ? n : 0);
#else
  path = argv0 ? argv0 : "";
#endif
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
  simhost::HostOptions options;
  if (argc > 1) options.settingsPath = argv[1];
  if (argc > 2) options.localisationPath = argv[2];
  options.pluginDirectory = ProgramDirectory(argc > 0 ? argv[0] : nullptr);

  simhost::PluginApi api;
#if defined(TINTWELL_LOAD_DLL)
  const std::string dll = options.pluginDirectory + "\\tintwell.dll";
  std::string error;
  if (!simhost::LoadPluginLibrary(dll.c_str(), &api, &error)) {
    std::fprintf(stderr, "simhost_session: %s\n", error.c_str());
    return 1;
  }
  std::printf("# plug-in: %s (LoadLibrary)\n", dll.c_str());
#else
  api = simhost::LinkedPluginApi();
  std::printf("# plug-in: linked in\n");
#endif

  int status = 0;
  {
    simhost::SimHost host(api, options);
    const int32_t opened = host.Open();
    if (opened) {
      host.Parameters("r");  // refresh the panel from the host's A pen
      host.Parameters("x");  // swap the A and B pens
      host.Parameters("l");  // lighten pass over the current layer
      host.ChangeRoom("Room-2");
      host.Close();
    } else {
      status = 1;
    }

    for (const std::string& line : host.Dialogue()) std::printf("%s\n", line.c_str());

    std::printf("# plug-in name: \"%s\", version %d.%d, PI_Open returned %d\n", host.Context()->Name,
                host.Context()->VersionMajor, host.Context()->VersionMinor, opened);
    std::printf("# %zu host calls, %zu commands, %zu messages shown, %zu shortcuts\n", host.Calls().size(),
                host.Commands().size(), host.Messages().size(), host.Shortcuts().size());
    std::printf("# left open: %d requesters, %d images, %d settings files\n", host.OpenRequesterCount(),
                host.LiveImageCount(), host.OpenConfigFileCount());
    std::printf("# A pen %d %d %d, B pen %d %d %d\n", host.aPen.r, host.aPen.g, host.aPen.b, host.bPen.r,
                host.bPen.g, host.bPen.b);
    for (const std::string& fault : host.Faults()) std::printf("# FAULT: %s\n", fault.c_str());
    std::printf("# %zu faults\n", host.Faults().size());
  }
  simhost::UnloadPluginLibrary(&api);
  return status;
}
