#include "launch/host_search.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace vornalt {
namespace {

using Probes = std::vector<std::string>;

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
  const Probes all_probes = {"C:\\tools\\wt.exe",
                             "C:\\Windows\\System32\\wt.exe",
                             "C:\\Windows\\wt.exe",
                             "C:\\a\\wt.exe",
                             "C:\\Program Files\\c\\wt.exe",
                             "D:\\d\\wt.exe",
                             "\\\\server\\share\\wt.exe"};
  const struct {
    Probes files;
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
    testing::FakePaths paths;
    testing::FakeEnvironment environment;
    paths.files = c.files;
    environment.strings = {"PATH=" + path_variable};
    const Expected<std::string> found = find_host_program("wt.exe", paths, environment);
    ASSERT_TRUE(found.ok());
    const Probes expected(all_probes.begin(), all_probes.begin() + c.probes);
    EXPECT_EQ(paths.probed, expected);
    EXPECT_EQ(*found, expected.back());
  }
}

TEST(FindHostProgram, NeverTheCurrentFolderOrARelativePathFolder) {
  for (const std::string path_variable : {"", ".", ";;", "bin;.\\x;..", "C:bin"}) {
    testing::FakePaths paths;
    testing::FakeEnvironment environment;
    paths.files = {"wt.exe", ".\\wt.exe", "bin\\wt.exe", "C:bin\\wt.exe"};
    environment.strings = {"PATH=" + path_variable};
    const Expected<std::string> result = find_host_program("wt.exe", paths, environment);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code(), HRESULT{static_cast<std::int32_t>(0x80070002)});
    EXPECT_EQ(paths.probed.size(), 3u) << path_variable;
  }
}

}  // namespace
}  // namespace vornalt
