#include "launch/launcher.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "launch/host_search.h"
#include "launch/plain_start.h"

namespace vornalt {
namespace {

using Calls = std::vector<std::string>;

LaunchRequest request(bool wait, bool quiet, Target target = Target::conhost) {
  return {.target = target, .words = {"x"}, .wait = wait, .quiet = quiet};
}

// A launch of `line` by the plan for `request`.
LaunchOutcome launch_with(std::string_view line, const LaunchRequest& request,
                          testing::FakeSystem& system) {
  const LaunchPlan plan = plan_launch(request, false);
  Output output(system, system, plan.shows_progress);
  output.progress("cmdline:   " + std::string(line));
  const Checked<std::string> host = find_host(plan.target, system, system);
  if (!host.ok()) {
    output.report(host.error());
    return {};
  }
  PlainStart starter(plan, system, system, system);
  return launch(plan, *host, line, starter, output, system);
}

TEST(Launch, StartsReportsWaitsWhenAskedAndClosesBothHandles) {
  for (bool wait : {false, true}) {
    for (bool quiet : {false, true}) {
      testing::FakeSystem system;
      EXPECT_TRUE(launch_with("conhost.exe x", request(wait, quiet), system).started);
      EXPECT_EQ(system.application, "C:\\Windows\\System32\\conhost.exe");  // as found
      EXPECT_EQ(system.out,
                quiet ? "" : "cmdline:   conhost.exe x\nLaunched 'conhost' with PID: 4120\n");
      EXPECT_EQ(system.err, "");
      // The process's handle is closed first, after the wait.
      Calls calls = {"CreateProcessW", "CloseHandle(process)", "CloseHandle(thread)"};
      if (wait) calls.insert(calls.begin() + 1, "WaitForSingleObject(process,4294967295)");
      EXPECT_EQ(system.calls, calls);
      EXPECT_EQ(system.open, Calls{});
    }
  }
}

TEST(Launch, CommandLineBufferIsUtf16WithOneNul) {
  testing::FakeSystem system;
  EXPECT_TRUE(launch_with("a 😀 \xED\xA0\x80", request(false, true), system).started);
  EXPECT_EQ(system.command_line, (std::u16string{u'a', u' ', 0xD83D, 0xDE00, u' ', 0xD800, 0}));
}

TEST(Launch, WarnsOnAnUnexpectedWaitAndStillSucceeds) {
  for (bool quiet : {false, true}) {
    for (const auto& [value, text] :
         {std::pair<std::uint32_t, std::string>{0xFFFFFFFF, "4294967295"},
          {0x102, "258"},
          {0x80, "128"}}) {
      testing::FakeSystem system;
      system.wait_result = WAIT_EVENT{value};
      EXPECT_TRUE(launch_with("conhost.exe x", request(true, quiet), system).started);
      EXPECT_EQ(system.err, "Warning: WaitForSingleObject returned unexpected status: WAIT_EVENT(" +
                                text + ")\n");
      EXPECT_EQ(system.open, Calls{});
    }
  }
}

TEST(Launch, AFailedCloseIsIgnored) {
  testing::FakeSystem system;
  system.close_result = error_from_win32(6);
  EXPECT_TRUE(launch_with("wt.exe x", request(false, false, Target::wt), system).started);
  EXPECT_EQ(system.err, "");
  EXPECT_EQ(system.open, Calls{});
}

TEST(Launch, AFailedSearchOrStartPrintsTheErrorWhateverQuietSays) {
  const struct {
    std::vector<std::string> files;
    std::uint32_t folder_error, environment_error, create_error;
    std::string code;
    bool started;  // CreateProcessW was called
  } cases[] = {
      // The host found nowhere, or the search failed: nothing is started.
      {{}, 0, 0, 0, "0x80070002", false},
      {{"C:\\Windows\\conhost.exe"}, 5, 0, 0, "0x80070005", false},
      {{"C:\\a\\conhost.exe"}, 0, 8, 0, "0x80070008", false},
      // The host found, and CreateProcessW failed.
      {{"C:\\Windows\\System32\\conhost.exe"}, 0, 0, 2, "0x80070002", true},
  };
  for (const auto& c : cases) {
    for (bool quiet : {false, true}) {
      testing::FakeSystem system;
      system.files = c.files;
      if (c.folder_error != 0) system.folder_result = error_from_win32(c.folder_error);
      if (c.environment_error != 0)
        system.environment_result = error_from_win32(c.environment_error);
      if (c.create_error != 0) system.create_result = error_from_win32(c.create_error);
      EXPECT_FALSE(launch_with("conhost.exe x", request(true, quiet), system).started);
      EXPECT_EQ(system.out, quiet ? "" : "cmdline:   conhost.exe x\n");
      // Only a host found nowhere gets the line that says where it was looked for.
      const std::string where =
          !c.started && c.code == "0x80070002"
              ? "Looked for conhost.exe in vornalt.exe's own folder, the system folder, the "
                "Windows folder and the folders on PATH given by a full path, never in the "
                "current folder\n"
              : "";
      EXPECT_EQ(system.err, "Failed to launch 'conhost': Error { code: HRESULT(" + c.code +
                                "), message: \"The system cannot find the file specified.\" }\n" +
                                where);
      EXPECT_EQ(system.application.empty(), !c.started) << c.code;
      EXPECT_EQ(system.open, Calls{});
    }
  }
}

TEST(Launch, AFailureWithoutLastErrorShowsZero) {
  testing::FakeSystem system;
  system.create_result = error_from_win32(0);
  system.message = "The operation completed successfully.";
  EXPECT_FALSE(launch_with("wt.exe x", request(false, true, Target::wt), system).started);
  EXPECT_EQ(system.err,
            "Failed to launch 'wt': Error { code: HRESULT(0x00000000), message: \"The operation "
            "completed successfully.\" }\n");
}

}  // namespace
}  // namespace vornalt
