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

namespace {

// The platform's library calls: open (null and the reason on failure), look
// up a name, close.
#if defined(_WIN32)
void* OpenModule(const char* path, std::string* reason) {
  HMODULE module = LoadLibraryA(path);
  if (!module) *reason = Format("LoadLibrary(%s) failed with error %lu", path, GetLastError());
  return module;
}
void* ModuleSymbol(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
void CloseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }
#else
void* OpenModule(const char* path, std::string* reason) {
  void* module = path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
  if (!module) {
    const char* why = dlerror();
    *reason = Format("dlopen(%s) failed: %s", path ? path : "", why ? why : "no library");
  }
  return module;
}
void* ModuleSymbol(void* module, const char* name) { return dlsym(module, name); }
void CloseModule(void* module) { dlclose(module); }
#endif

// The eight entry points looked up by name; the names not found are listed
// in missing, separated by commas.
PluginApi FindEntryPoints(void* module, std::string* missing) {
  PluginApi loaded;
  auto find = [&](const char* name) {
    void* symbol = ModuleSymbol(module, name);
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
  loaded.module = module;
  return loaded;
}

}  // namespace

bool LoadPluginLibrary(const char* path, PluginApi* api, std::string* error) {
  std::string reason;
  void* module = OpenModule(path, &reason);
  if (!module) {
    if (error) *error = reason;
    return false;
  }
  std::string missing;
  const PluginApi loaded = FindEntryPoints(module, &missing);
  if (!missing.empty()) {
    if (error) *error = std::string(path) + " lacks the exports " + missing;
    CloseModule(module);
    return false;
  }
  if (api) *api = loaded;
  return true;
}

void UnloadPluginLibrary(PluginApi* api) {
  if (!api) return;
  if (api->module) CloseModule(api->module);
  *api = PluginApi{};
}

}  // namespace simhost
