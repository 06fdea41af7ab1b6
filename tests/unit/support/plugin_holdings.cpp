// Test support: the plug-in's handles and images against the host's.
#include "support/plugin_holdings.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "core/plugin_state.h"

namespace {

struct HeldRequester {
  const char* name;
  RequesterHandle handle;
  bool callback;      // opened with a callback (panel, LAB dialog)
  bool userClosable;  // may be gone without the plug-in hearing of it
};

std::string Hex(HostWord word) {
  char text[32];
  std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>(word));
  return text;
}

}  // namespace

std::string CheckPluginHoldings(const simhost::SimHost& host) {
  const HeldRequester requesters[] = {
      {"PanelRequester", GState.PanelRequester, true, false},
      {"PickRequester", GState.PickRequester, false, false},
      {"BrushRequester", GState.BrushRequester, false, false},
      {"VectorscopeRequester", GState.VectorscopeRequester, false, true},
      {"LabDialogRequester", GState.LabDialogRequester, true, false},
  };
  std::set<RequesterHandle> held;
  for (const HeldRequester& requester : requesters) {
    if (!requester.handle) continue;
    if (!held.insert(requester.handle).second) return std::string(requester.name) + " repeats another handle";
    const simhost::Requester* open = host.FindRequester(requester.handle);
    if (!open) {
      if (requester.userClosable && host.ClosedByUser(requester.handle)) continue;
      return std::string(requester.name) + " " + Hex(requester.handle) + " is not open in the host";
    }
    if (open->callback != requester.callback) return std::string(requester.name) + " is the wrong kind of requester";
  }
  for (RequesterHandle open : host.OpenRequesters()) {
    if (!held.count(open)) return "the host has requester " + Hex(open) + " open that the plug-in forgot";
  }

  const std::pair<const char*, const HostImage*> images[] = {
      {"PickImage", GState.PickImage},       {"BrushImage", GState.BrushImage},
      {"SampleBuffer", GState.SampleBuffer}, {"SwatchImage", GState.SwatchImage},
      {"PaletteImage", GState.PaletteImage}, {"LampImage", GState.LampImage},
      {"VectorscopeImage", GState.VectorscopeImage},
  };
  std::set<const HostImage*> heldImages;
  for (const auto& [name, image] : images) {
    if (!image) continue;
    if (!heldImages.insert(image).second) return std::string(name) + " is held twice";
    if (!host.IsLiveImage(image)) return std::string(name) + " is not a live host image";
  }
  if (host.LiveImageCount() > static_cast<int32_t>(heldImages.size())) {
    return std::to_string(host.LiveImageCount() - static_cast<int32_t>(heldImages.size())) +
           " live host image(s) the plug-in does not hold";
  }
  if (host.OpenConfigFileCount() != 0) return "a settings file is open between calls";
  if ((GState.LocalisationHandle != 0) != host.localisationOpen()) return "localisation handle and host disagree";
  return std::string();
}

std::string CheckNothingLeftOpen(const simhost::SimHost& host) {
  if (host.OpenRequesterCount() != 0) {
    std::string titles;
    for (RequesterHandle handle : host.OpenRequesters()) titles += " \"" + host.FindRequester(handle)->title + "\"";
    return std::to_string(host.OpenRequesterCount()) + " requester(s) left open:" + titles;
  }
  if (host.LiveImageCount() != 0) return std::to_string(host.LiveImageCount()) + " image(s) left allocated";
  if (host.OpenConfigFileCount() != 0) return "a settings file left open";
  if (host.localisationOpen()) return "the localisation file left open";
  return std::string();
}
