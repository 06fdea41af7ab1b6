// The real product in the stand-in host: tintwell.dll loaded through
// LoadLibrary runs its open / command / close dialogue over the 32-bit
// binary interface, with the stdcall dispatcher and callbacks of the host.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host/host_functions.h"
#include "simhost.h"

namespace {

class DllDialogue : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(simhost::LoadPluginLibrary("tintwell.dll", &api_, &error)) << error;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    dir_ = std::string(base) + "tintwell-dll-" + std::to_string(GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(dir_);
    options_.settingsPath = dir_ + "\\user_settings.ini";
    options_.pluginDirectory = dir_;
  }
  void TearDown() override {
    // The host unloads the plug-in it loaded; nothing of it stays mapped.
    simhost::UnloadPluginLibrary(&api_);
    EXPECT_EQ(nullptr, GetModuleHandleA("tintwell.dll"));
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  size_t Count(const simhost::SimHost& host, int32_t function) const {
    return std::count_if(host.Calls().begin(), host.Calls().end(),
                         [function](const simhost::DispatchRecord& c) { return c.function == function; });
  }

  simhost::PluginApi api_;
  simhost::HostOptions options_;
  std::string dir_;
};

}  // namespace

TEST_F(DllDialogue, OpenCommandAndCloseLeaveNothingBehind) {
  simhost::SimHost host(api_, options_);
  ASSERT_EQ(1, host.Open());
  EXPECT_STREQ("Tintwell", host.Context()->Name);
  EXPECT_EQ(7, host.Context()->VersionMajor);
  EXPECT_EQ(5, host.Context()->VersionMinor);
  EXPECT_EQ(288, host.Context()->UserBlockSize);
  EXPECT_EQ(13u, host.Shortcuts().size());
  EXPECT_EQ("s", host.Shortcuts().front().second);
  EXPECT_EQ("t", host.Shortcuts().back().second);
  EXPECT_EQ(1, host.OpenRequesterCount()) << "the panel";

  // Settings reads travel as 32-bit words: section, key, buffer, default, 255.
  const auto read = std::find_if(host.Calls().begin(), host.Calls().end(),
                                 [](const simhost::DispatchRecord& c) { return c.function == kFnReadUserString; });
  ASSERT_NE(host.Calls().end(), read);
  ASSERT_EQ(5u, read->pack.size());
  EXPECT_EQ(255, read->pack[4]);
  EXPECT_EQ("room-0palette", read->texts.at(1));

  // A lighten pass re-enters the DLL inside HostApplyFilter.
  host.PaintPixel(0, 0, {10, 20, 30, 255});
  host.ClearRecords();
  EXPECT_EQ(1, host.Parameters("l"));
  std::vector<std::string> entries;
  for (const auto& e : host.Entries()) entries.push_back(e.entry);
  EXPECT_EQ((std::vector<std::string>{"PI_Parameters", "PI_Start", "PI_Work", "PI_Finish"}), entries);
  EXPECT_EQ(1u, Count(host, kFnUpdateArea));

  // A room change, then the user closes the panel with the toggle command.
  host.ChangeRoom("Room-2");
  EXPECT_EQ(1, host.Parameters("t"));
  EXPECT_EQ(0, host.OpenRequesterCount());
  EXPECT_EQ("1", host.UserSetting("Tintwell", "room-2palette").value_or("missing"));

  host.About();
  ASSERT_FALSE(host.Messages().empty());
  EXPECT_EQ(0u, host.Messages().back().find("Tintwell 7.5\n"));

  host.Close();
  EXPECT_EQ(0, host.OpenRequesterCount());
  EXPECT_EQ(0, host.LiveImageCount());
  EXPECT_TRUE(host.Faults().empty()) << host.Faults().front();
}

TEST_F(DllDialogue, CanvasModesOpenAndCloseTheirWindows) {
  simhost::SimHost host(api_, options_);
  ASSERT_EQ(1, host.Open());
  EXPECT_EQ(1, host.Parameters("s"));
  EXPECT_EQ(2, host.OpenRequesterCount()) << "panel and pick window";
  EXPECT_EQ(2, host.LiveImageCount()) << "the panel's swatch picture and the pick window's";
  host.Message(kMsgOverlayDraw, 0, {});
  ASSERT_EQ(1u, host.Overlays().size());
  EXPECT_EQ(-24.5f, host.Overlays()[0].coordinates.at(2)) << "float words cross intact";
  EXPECT_EQ(1, host.Parameters("s"));  // ends the pick mode; the host sends 1000
  EXPECT_EQ(1, host.OpenRequesterCount());
  EXPECT_EQ(1, host.LiveImageCount()) << "the panel's swatch picture";
  EXPECT_EQ(1, host.Parameters("S"));
  EXPECT_EQ(2, host.OpenRequesterCount()) << "panel and brush window";
  host.EndCanvasEvents();
  EXPECT_EQ(1, host.OpenRequesterCount());
  host.Close();
  EXPECT_EQ(0, host.OpenRequesterCount());
  EXPECT_EQ(0, host.LiveImageCount());
  EXPECT_TRUE(host.Faults().empty()) << host.Faults().front();
}

TEST_F(DllDialogue, OptionsSurviveARestartOfTheHost) {
  {
    simhost::SimHost host(api_, options_);
    host.SetUserSetting("Tintwell", "gamut", "2");
    ASSERT_EQ(1, host.Open());
    host.Parameters("t");  // the panel closes and stores the options
    host.Close();
  }
  simhost::SimHost host(api_, options_);
  EXPECT_EQ("2", host.UserSetting("Tintwell", "gamut").value_or("missing"));
  EXPECT_EQ("1", host.UserSetting("Tintwell", "ciehsv").value_or("missing"));
}
