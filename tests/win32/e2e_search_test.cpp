// Where vornalt.exe takes the console host from: its own folder, the system
// and Windows folders, then the absolute folders of PATH; never the current
// folder. A stand-in that records itself shows which one was started.
#include <gtest/gtest.h>

#include "e2e_sandbox.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

using testing::exists;
using testing::Outcome;
using testing::Sandbox;

// PATH for the programs started while it lives.
class ScopedPath {
 public:
  explicit ScopedPath(const std::wstring& path) {
    saved_.resize(32768);
    saved_.resize(GetEnvironmentVariableW(L"PATH", saved_.data(), 32768));
    SetEnvironmentVariableW(L"PATH", path.c_str());
  }
  ~ScopedPath() { SetEnvironmentVariableW(L"PATH", saved_.c_str()); }
  ScopedPath(const ScopedPath&) = delete;
  ScopedPath& operator=(const ScopedPath&) = delete;

 private:
  std::wstring saved_;
};

TEST(HostSearch, AConhostInTheCurrentFolderIsNotStarted) {
  Sandbox sandbox(std::vector<std::wstring>{});
  sandbox.add_double(L"conhost", L"work");
  const Outcome outcome =
      sandbox.run({"conhost", "-w", "x"}, {testing::Streams::files, sandbox.path(L"work")});
  // The system's own conhost.exe was started instead.
  EXPECT_EQ(outcome.status, 0u);
  EXPECT_NE(outcome.out.find("Launched 'conhost' with PID: "), std::string::npos);
  EXPECT_FALSE(exists(sandbox.path(L"work\\conhost.cmdline")));

  sandbox.add_double(L"conhost");
  const Outcome beside =
      sandbox.run({"conhost", "-w", "x"}, {testing::Streams::files, sandbox.path(L"work")});
  EXPECT_EQ(beside.status, 0u);
  EXPECT_TRUE(exists(sandbox.path(L"conhost.cmdline")));
  EXPECT_FALSE(exists(sandbox.path(L"work\\conhost.cmdline")));
}

TEST(HostSearch, AWtInAnAbsolutePathFolderIsStarted) {
  Sandbox sandbox(std::vector<std::wstring>{});
  sandbox.add_double(L"wt", L"tools");
  const ScopedPath path(L"C:\\vornalt-no-such-folder;" + sandbox.path(L"tools"));
  const Outcome outcome = sandbox.run({"wt", "-w", "-q", "x"});
  EXPECT_EQ(outcome.status, 0u);
  EXPECT_EQ(outcome.err, "");
  EXPECT_TRUE(exists(sandbox.path(L"tools\\wt.cmdline")));
}

TEST(HostSearch, AWtOnlyInTheCurrentOrARelativePathFolderIsNotStarted) {
  Sandbox sandbox(std::vector<std::wstring>{});
  sandbox.add_double(L"wt", L"work");
  sandbox.add_double(L"wt", L"work\\tools");
  const ScopedPath path(L"tools;.;.\\tools;;");
  const Outcome outcome =
      sandbox.run({"wt", "-q", "x"}, {testing::Streams::files, sandbox.path(L"work")});
  EXPECT_EQ(outcome.status, 1u);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, testing::not_found_line("wt"));
  EXPECT_FALSE(exists(sandbox.path(L"work\\wt.cmdline")));
  EXPECT_FALSE(exists(sandbox.path(L"work\\tools\\wt.cmdline")));
}

}  // namespace
}  // namespace vornalt
