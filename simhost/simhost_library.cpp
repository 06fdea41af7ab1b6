// simhost: loading a plug-in library and finding its eight entry points
// (LoadLibrary on Windows, dlopen elsewhere).
#include <string>

#include "simhost_impl.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace simhost {

// The eight entry points looked up by name; the names not found are listed
// in missing, separated by commas.
template <typename Lookup>
PluginApi FindEntryPoints(Lookup lookup, std::string* missing) {
  PluginApi loaded;
  auto find = [&](const char* name) {
    void* symbol = lookup(name);
    if (!symbol) *missing += std::string(missing->empty() ? "" : ", ") + name;
    return symbol;
  };
  loaded.Open = reinterpret_cast<decltype(loaded.Open)>(find("PI_Open"));
  loaded.Close = reinterpret_cast<decltype(loaded.Close)>(find("PI_Close"));
  loaded.About = reinterpret_cast<decltype(loaded.About)>(find("PI_About"));
  loaded.Parameters = reinterpret_cast<decltype(loaded.Parameters)>(find("PI_Parameters"));
  loaded.Start = reinterpret_cast<decltype(loaded.Start)>(find("PI_Start"));
  loaded.Work = reinterpret_cast<decltype(loaded.Work)>(find("PI_Work"));
  loaded.Finish = reinterpret_cast<decltype(loaded.Finish)>(find("PI_Finish"));
  loaded.Msg = reinterpret_cast<decltype(loaded.Msg)>(find("PI_Msg"));
  return loaded;
}

bool LoadPluginLibrary(const char* path, PluginApi* api, std::string* error) {
#if defined(_WIN32)
  HMODULE module = LoadLibraryA(path);
  if (!module) {
    if (error) *error = Format("LoadLibrary(%s) failed with error %lu", path, GetLastError());
    return false;
  }
  std::string missing;
  PluginApi loaded = FindEntryPoints(
      [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); }, &missing);
  if (!missing.empty()) {
    if (error) *error = std::string(path) + " lacks the exports " + missing;
    FreeLibrary(module);
    return false;
  }
  loaded.module = module;
  if (api) *api = loaded;
  return true;
#else
  void* module = path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
  if (!module) {
    const char* reason = dlerror();
    if (error) *error = Format("dlopen(%s) failed: %s", path ? path : "", reason ? reason : "no library");
    return false;
  }
  std::string missing;
  PluginApi loaded = FindEntryPoints([&](const char* name) { return dlsym(module, name); }, &missing);
  if (!missing.empty()) {
    if (error) *error = std::string(path) + " lacks the exports " + missing;
    dlclose(module);
    return false;
  }
  loaded.module = module;
  if (api) *api = loaded;
  return true;
#endif
}

void UnloadPluginLibrary(PluginApi* api) {
  if (!api) return;
#if defined(_WIN32)
  if (api->module) FreeLibrary(static_cast<HMODULE>(api->module));
#else
  if (api->module) dlclose(api->module);
#endif
  *api = PluginApi{};
}

}  // namespace simhost
