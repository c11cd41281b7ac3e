// Reads the version resource and the manifest back out of vornalt.exe.
// Usage: resource_test <path of vornalt.exe>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "windows_path.h"
#include "windows_support.h"

namespace {

std::wstring g_exe;

class VersionResource : public ::testing::Test {
 protected:
  void SetUp() override {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(g_exe.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version resource";
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(g_exe.c_str(), 0, size, data_.data()));
  }
  std::wstring string_value(const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(data_.data(), path.c_str(), &value, &length) || length == 0) return {};
    return std::wstring(static_cast<const wchar_t*>(value));
  }
  std::vector<char> data_;
};

TEST_F(VersionResource, NamesTheProductAndItsVersion) {
  EXPECT_EQ(string_value(L"ProductName"), L"vornalt Console Launcher");
  EXPECT_EQ(string_value(L"ProductVersion"), L"1.0.0");
  EXPECT_EQ(string_value(L"FileVersion"), L"1.0.0");
  EXPECT_EQ(string_value(L"OriginalFilename"), L"vornalt.exe");
  // The elevation prompt shows the description as the program's name (the
  // dry run of -a says the same).
  EXPECT_EQ(string_value(L"FileDescription"), L"vornalt Console Launcher");

  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);  // .0.0
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(Manifest, AsInvokerOnWindows10AndUtf8CodePage) {
  HMODULE module = LoadLibraryExW(g_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "no manifest";
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  const std::string manifest(bytes, SizeofResource(module, found));
  FreeLibrary(module);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);
  EXPECT_NE(manifest.find(">UTF-8</activeCodePage>"), std::string::npos);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: resource_test <vornalt.exe>\n");
    return 2;
  }
  g_exe = vornalt::testing::windows_path(argv[1]);
  return RUN_ALL_TESTS();
}
