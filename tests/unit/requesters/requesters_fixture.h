// Shared set-up for the requester tests: the stand-in host fixture, with the
// settings section named as PI_Open would name it (most tests drive single
// commands and messages without a full PI_Open).
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "support/plugin_host.h"

class RequestersTest : public PluginHostTest {
 protected:
  static constexpr const char* kSection = "Tintwell";

  void SetUp() override {
    PluginHostTest::SetUp();
    std::strcpy(host->Context()->Name, kSection);
  }

  simhost::SimHost& Host() { return *host; }
  PluginContext* Context() { return host->Context(); }

  std::string Setting(const std::string& key) const { return host->UserSetting(kSection, key).value_or("<none>"); }

  // Copies of the dispatcher calls of one function (and sub-operation).
  std::vector<simhost::DispatchRecord> CallsOf(int32_t function, int32_t subOperation = -1) const {
    std::vector<simhost::DispatchRecord> found;
    for (const simhost::DispatchRecord* call : FindCalls(function, subOperation)) found.push_back(*call);
    return found;
  }

  // Handles the plug-in holds; each must be an open host requester.
  int32_t HeldRequesterCount() const {
    int32_t count = 0;
    for (RequesterHandle handle : {GState.PanelRequester, GState.PickRequester, GState.BrushRequester,
                                   GState.VectorscopeRequester, GState.LabDialogRequester}) {
      if (handle) ++count;
    }
    return count;
  }
};
