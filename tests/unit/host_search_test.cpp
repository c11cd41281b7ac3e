#include "host_search.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher.h"

namespace vornalt {
namespace {

using Paths = std::vector<std::string>;

TEST(IsAbsoluteFolder, OnlyDrivePathsAndUncPaths) {
  const std::pair<std::string, bool> cases[] = {
      {"C:\\Windows", true},    {"c:/tools", true}, {"\\\\server\\share", true},
      {"//server/share", true}, {"C:", false},      {"C:tools", false},
      {"\\Windows", false},     {".", false},       {"..\\bin", false},
      {"bin", false},           {"", false},        {"1:\\x", false},
  };
  for (const auto& [folder, absolute] : cases) {
    EXPECT_EQ(is_absolute_folder(folder), absolute) << folder;
  }
}

TEST(FindHostProgram, OwnFolderThenSystemThenWindowsThenAbsolutePathFolders) {
  const std::string path_variable =
      "C:\\a;relative;.;;.\\b;\"C:\\Program Files\\c\";D:\\d\\;\\\\server\\share";
  const Paths all_probes = {"C:\\tools\\wt.exe",
                            "C:\\Windows\\System32\\wt.exe",
                            "C:\\Windows\\wt.exe",
                            "C:\\a\\wt.exe",
                            "C:\\Program Files\\c\\wt.exe",
                            "D:\\d\\wt.exe",
                            "\\\\server\\share\\wt.exe"};
  const struct {
    Paths files;
    std::size_t probes;  // how many of all_probes are asked about
  } cases[] = {
      {{"C:\\tools\\wt.exe", "C:\\Windows\\System32\\wt.exe"}, 1},
      {{"C:\\Windows\\System32\\wt.exe", "C:\\Windows\\wt.exe"}, 2},
      {{"C:\\Windows\\wt.exe"}, 3},
      {{"C:\\Program Files\\c\\wt.exe", "\\\\server\\share\\wt.exe"}, 5},
      {{"D:\\d\\wt.exe"}, 6},
      {{"\\\\server\\share\\wt.exe"}, 7},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.files = c.files;
    system.path_variable = path_variable;
    std::string found;
    ASSERT_TRUE(find_host_program("wt.exe", system, found).ok());
    const Paths expected(all_probes.begin(), all_probes.begin() + c.probes);
    EXPECT_EQ(system.probed, expected);
    EXPECT_EQ(found, expected.back());
  }
}

TEST(FindHostProgram, NeverTheCurrentFolderOrARelativePathFolder) {
  for (const std::string path_variable : {"", ".", ";;", "bin;.\\x;..", "C:bin"}) {
    testing::FakeSystem system;
    system.files = {"wt.exe", ".\\wt.exe", "bin\\wt.exe", "C:bin\\wt.exe"};
    system.path_variable = path_variable;
    std::string found;
    const Result result = find_host_program("wt.exe", system, found);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code(), HRESULT{static_cast<std::int32_t>(0x80070002)});
    EXPECT_EQ(system.probed.size(), 3u) << path_variable;
  }
}

TEST(LaunchProcess, StartsTheHostFoundByItsFullPath) {
  testing::FakeSystem system;
  system.files = {"C:\\tools\\conhost.exe"};
  const LaunchRequest request{.target = "conhost", .arguments = "x", .quiet = true};
  EXPECT_TRUE(launch_process("conhost.exe cmd.exe /c title && x", request, system));
  EXPECT_EQ(system.application, "C:\\tools\\conhost.exe");
  EXPECT_EQ(system.command_line, u"conhost.exe cmd.exe /c title && x" + std::u16string(1, u'\0'));
}

TEST(LaunchProcess, AHostFoundNowhereOrAFailedSearchIsAFailedStart) {
  const struct {
    Paths files;
    std::uint32_t folder_error, environment_error;
    std::string code;
  } cases[] = {
      {{}, 0, 0, "0x80070002"},
      {{"C:\\Windows\\wt.exe"}, 5, 0, "0x80070005"},
      {{"C:\\a\\wt.exe"}, 0, 8, "0x80070008"},
  };
  for (const auto& c : cases) {
    for (bool quiet : {false, true}) {
      testing::FakeSystem system;
      system.files = c.files;
      if (c.folder_error != 0) system.folder_result = error_from_win32(c.folder_error);
      if (c.environment_error != 0)
        system.environment_result = error_from_win32(c.environment_error);
      const LaunchRequest request{.target = "wt", .arguments = "x", .wait = true, .quiet = quiet};
      EXPECT_FALSE(launch_process("wt.exe x", request, system));
      EXPECT_EQ(system.out, quiet ? "" : "cmdline:   wt.exe x\n");
      // Only a host found nowhere gets the line that says where it was looked for.
      const std::string where =
          c.code == "0x80070002"
              ? "Looked for wt.exe in vornalt.exe's own folder, the system folder, the Windows "
                "folder and the folders on PATH given by a full path, never in the current "
                "folder; Windows Terminal may not be installed\n"
              : "";
      EXPECT_EQ(system.err, "Failed to launch 'wt': Error { code: HRESULT(" + c.code +
                                "), message: \"The system cannot find the file specified.\" }\n" +
                                where);
      EXPECT_EQ(system.calls,
                (std::vector<std::string>{"FormatMessageW(HRESULT(" + c.code + "))"}));
    }
  }
}

}  // namespace
}  // namespace vornalt
