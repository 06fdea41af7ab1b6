// The real product seen as the host sees it: tintwell.dll loaded with
// LoadLibrary, its exports found by their plain names.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>

#include "core/abi.h"

namespace {

const char* const kExports[] = {"PI_Open",  "PI_Close", "PI_About",  "PI_Parameters",
                                "PI_Start", "PI_Work",  "PI_Finish", "PI_Msg"};

// Decorated stdcall names must not be exported next to the plain ones.
const char* const kDecorated[] = {"_PI_Open@4", "PI_Open@4", "_PI_Msg@16", "PI_Msg@16", "PI_Parameters@8"};

}  // namespace

TEST(DllExports, EightPlainNamesAndNoDecoratedOnes) {
  HMODULE module = LoadLibraryA("tintwell.dll");
  ASSERT_NE(nullptr, module) << "tintwell.dll must sit next to the test program";
  for (const char* name : kExports) EXPECT_NE(nullptr, GetProcAddress(module, name)) << name;
  for (const char* name : kDecorated) EXPECT_EQ(nullptr, GetProcAddress(module, name)) << name;
  FreeLibrary(module);
}

TEST(DllExports, ContextLayoutIsTheHosts) {
  EXPECT_EQ(136u, offsetof(PluginContext, VersionMajor));
  EXPECT_EQ(140u, offsetof(PluginContext, VersionMinor));
  EXPECT_EQ(144u, offsetof(PluginContext, Name));
  EXPECT_EQ(272u, offsetof(PluginContext, UserBlock));
  EXPECT_EQ(276u, offsetof(PluginContext, UserBlockSize));
  EXPECT_EQ(280u, offsetof(PluginContext, HostDispatch));
  EXPECT_EQ(296u, offsetof(PluginContext, ImageWidth));
  EXPECT_EQ(300u, offsetof(PluginContext, ImageHeight));
  EXPECT_EQ(308u, offsetof(PluginContext, WorkArea));
  EXPECT_EQ(324u, offsetof(PluginContext, RedPosition));
  EXPECT_EQ(327u, offsetof(PluginContext, AlphaPosition));
  EXPECT_EQ(328u, offsetof(PluginContext, WorkImage));
  EXPECT_EQ(16u, sizeof(HostImage));
  EXPECT_EQ(4u, sizeof(HostWord));
}
