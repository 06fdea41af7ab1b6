// Test support: a GoogleTest fixture that runs the plug-in in a fresh
// stand-in host with its own temporary directory.
//
// Each test starts from the plug-in's load-time state (ResetPluginState), a
// host whose user settings file and plug-in directory live in a temporary
// directory that is removed afterwards, and the linked-in entry points.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "simhost.h"

class PluginHostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path inside the test's temporary directory.
  std::string TempPath(const std::string& name) const;

  // The host restarts: the current one goes away, the plug-in library is
  // "reloaded" (ResetPluginState) and a new host starts on the same user
  // settings file and plug-in directory (with `options` as they are now).
  void RestartHost();

  // Writes a localisation file (number -> text) into the temporary
  // directory, points options.localisationPath at it and restarts the host so
  // that the next Open() finds it. Returns the file's path.
  std::string UseLocalisation(const std::map<int32_t, std::string>& texts);

  // Another host on the same options (settings file, plug-in directory,
  // localisation) driving the given entry points, e.g. a small fake plug-in
  // that exercises one host function.
  std::unique_ptr<simhost::SimHost> MakeHost(const simhost::PluginApi& api) const;

  // The commands sent so far that start with `prefix`, in order.
  std::vector<std::string> CommandsStartingWith(const std::string& prefix) const;

  // Calls of one host function (and sub-operation, for 230 and 1688), in order.
  std::vector<const simhost::DispatchRecord*> FindCalls(int32_t function, int32_t subOperation = -1) const;
  // The first such call, or null.
  const simhost::DispatchRecord* FindCall(int32_t function, int32_t subOperation = -1) const;
  // How many such calls were made.
  size_t CountCalls(int32_t function, int32_t subOperation = -1) const;

  std::string tempDir;             // removed after the test
  simhost::HostOptions options;    // what `host` was built with
  std::unique_ptr<simhost::SimHost> host;
};
