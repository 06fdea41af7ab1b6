// Test support: the PluginHostTest fixture.
#include "support/plugin_host.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "core/plugin_state.h"

namespace {

std::string MakeTempDirectory() {
  namespace fs = std::filesystem;
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path dir = base / ("tintwell-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    if (fs::create_directory(dir, error)) return dir.string();
  }
  return std::string();
}

}  // namespace

void PluginHostTest::SetUp() {
  ResetPluginState();
  tempDir = MakeTempDirectory();
  ASSERT_FALSE(tempDir.empty()) << "cannot create a temporary directory";
  options = simhost::HostOptions();
  options.settingsPath = TempPath("user_settings.ini");
  options.pluginDirectory = tempDir;
  host = std::make_unique<simhost::SimHost>(simhost::LinkedPluginApi(), options);
}

void PluginHostTest::TearDown() {
  host.reset();
  ResetPluginState();
  if (!tempDir.empty()) {
    std::error_code error;
    std::filesystem::remove_all(tempDir, error);
  }
}

std::string PluginHostTest::TempPath(const std::string& name) const {
  return (std::filesystem::path(tempDir) / name).string();
}

void PluginHostTest::RestartHost() {
  host.reset();
  ResetPluginState();
  host = std::make_unique<simhost::SimHost>(simhost::LinkedPluginApi(), options);
}

std::unique_ptr<simhost::SimHost> PluginHostTest::MakeHost(const simhost::PluginApi& api) const {
  return std::make_unique<simhost::SimHost>(api, options);
}

std::vector<std::string> PluginHostTest::CommandsStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const simhost::CommandRecord& command : host->Commands()) {
    if (command.command.compare(0, prefix.size(), prefix) == 0) found.push_back(command.command);
  }
  return found;
}

std::string PluginHostTest::UseLocalisation(const std::map<int32_t, std::string>& texts) {
  const std::string path = TempPath("tintwell.loc");
  const std::vector<std::pair<int32_t, std::string>> entries(texts.begin(), texts.end());
  EXPECT_TRUE(simhost::WriteLocalisationFile(path, entries)) << path;
  options.localisationPath = path;
  RestartHost();
  return path;
}

std::vector<const simhost::DispatchRecord*> PluginHostTest::FindCalls(int32_t function, int32_t subOperation) const {
  std::vector<const simhost::DispatchRecord*> found;
  for (const simhost::DispatchRecord& call : host->Calls()) {
    if (call.function == function && (subOperation < 0 || call.subOperation == subOperation)) found.push_back(&call);
  }
  return found;
}

const simhost::DispatchRecord* PluginHostTest::FindCall(int32_t function, int32_t subOperation) const {
  const auto found = FindCalls(function, subOperation);
  return found.empty() ? nullptr : found.front();
}

size_t PluginHostTest::CountCalls(int32_t function, int32_t subOperation) const {
  return FindCalls(function, subOperation).size();
}
