// The version resource of tintwell.dll read back as Windows reads it (the
// file's properties, a support question): the numbers and texts must be the
// ones the plug-in reports from its version header.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/version.h"

namespace {

std::string StringValue(const std::vector<char>& block, const char* name) {
  char path[128];
  std::snprintf(path, sizeof path, "\\StringFileInfo\\040904B0\\%s", name);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), path, &value, &length) || !value) return "(missing)";
  return std::string(static_cast<const char*>(value));
}

}  // namespace

TEST(DllVersion, ResourceMatchesTheVersionHeader) {
  const char* dll = "tintwell.dll";
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(dll, &handle);
  ASSERT_NE(0u, size) << "no version resource in " << dll << " (error " << GetLastError() << ")";
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(dll, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedLength = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedLength));
  ASSERT_GE(fixedLength, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  const DWORD major = TINTWELL_VERSION_MAJOR, minor = TINTWELL_VERSION_MINOR;
  EXPECT_EQ(MAKELONG(minor, major), fixed->dwFileVersionMS);
  EXPECT_EQ(0u, fixed->dwFileVersionLS);
  EXPECT_EQ(MAKELONG(minor, major), fixed->dwProductVersionMS);
  EXPECT_EQ(0u, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

  const std::string text = TINTWELL_VERSION_TEXT;
  const struct {
    const char* name;
    std::string expected;
  } strings[] = {
      {"ProductName", "Tintwell"},
      {"ProductVersion", text},
      {"FileVersion", text + ".0.0"},
      {"OriginalFilename", "tintwell.dll"},
  };
  for (const auto& s : strings) EXPECT_EQ(s.expected, StringValue(block, s.name)) << s.name;
  const std::string description = StringValue(block, "FileDescription");
  EXPECT_NE(std::string::npos, description.find("Tintwell")) << description;

  std::printf("version resource: FileVersion %lu.%lu.%lu.%lu, ProductVersion \"%s\", ProductName \"%s\", "
              "FileDescription \"%s\", OriginalFilename \"%s\"\n",
              static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
              static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
              static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
              static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)),
              StringValue(block, "ProductVersion").c_str(), StringValue(block, "ProductName").c_str(),
              description.c_str(), StringValue(block, "OriginalFilename").c_str());
}
