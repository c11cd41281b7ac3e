#include "launch/launcher.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "launch/plain_start.h"

namespace vornalt {
namespace {

// Once the host has started, the launch says so (unless quiet), waits for
// it where the plan says, and leaves no handle open; what goes wrong after
// the start is a warning. A failed start is printed whatever -q says. The
// host gets its path as given, and its line as UTF-16 with one NUL after it.
TEST(Launch, ReportsTheStartWaitsWhenAskedAndLeavesNoHandleOpen) {
  const std::string unexpected =
      "Warning: WaitForSingleObject returned unexpected status: WAIT_EVENT(";
  const std::string host = "C:\\Windows\\System32\\conhost.exe";
  const struct {
    bool wait = false;
    WAIT_EVENT waited = WAIT_EVENT_OBJECT_0;
    Result close = {};
    Result create = {};
    std::string err = "";
  } cases[] = {
      {},
      {.wait = true},
      {.wait = true, .waited = {0xFFFFFFFF}, .err = unexpected + "4294967295)\n"},
      {.wait = true, .waited = {0x102}, .err = unexpected + "258)\n"},
      {.wait = true, .waited = {0x80}, .err = unexpected + "128)\n"},
      // A handle that will not close changes nothing for the user.
      {.wait = true, .close = error_from_win32(6)},
      {.wait = true,
       .create = error_from_win32(2),
       .err = "Failed to launch 'conhost': Error { code: HRESULT(0x80070002), message: \"The "
              "system cannot find the file specified.\" }\n"},
      // A failure that set no last error shows zero.
      {.create = error_from_win32(0),
       .err = "Failed to launch 'conhost': Error { code: HRESULT(0x00000000), message: \"The "
              "system cannot find the file specified.\" }\n"},
  };
  for (const auto& c : cases) {
    for (const bool quiet : {false, true}) {
      SCOPED_TRACE(c.err + (quiet ? "quiet" : ""));
      testing::FakeConsole console;
      testing::FakeMessages messages;
      testing::FakeProcesses processes;
      testing::FakePipes pipes;
      testing::FakeEnvironment environment;
      processes.wait_result = c.waited;
      processes.close_result = c.close;
      processes.create_result = c.create;
      const LaunchPlan plan = plan_launch(
          {.target = Target::conhost, .words = {"x"}, .wait = c.wait, .quiet = quiet}, false);
      Output output(console, messages, plan.shows_progress);
      PlainStart starter(plan, processes, pipes, environment);
      const bool started = c.create.ok();
      EXPECT_EQ(launch(plan, host, "a 😀 \xED\xA0\x80", starter, output, processes).started,
                started);
      EXPECT_EQ(console.out, quiet || !started ? "" : "Launched 'conhost' with PID: 4120\n");
      EXPECT_EQ(console.err, c.err);
      EXPECT_EQ(processes.waited, std::vector<std::string>(c.wait && started ? 1 : 0, "host"));
      EXPECT_TRUE(processes.open.empty());
      ASSERT_EQ(processes.starts.size(), 1u);
      EXPECT_EQ(processes.starts[0].application, host);
      EXPECT_EQ(processes.starts[0].command_line,
                (std::u16string{u'a', u' ', 0xD83D, 0xDE00, u' ', 0xD800, 0}));
    }
  }
}

// 1 when nothing started or the watch of the relay failed; otherwise 0, or,
// where the plan ends with the command's status, all its 32 bits, and 1 when
// none came.
TEST(ExitStatus, OfALaunch) {
  const struct {
    bool ends_with_status = false;
    LaunchOutcome outcome = {.started = true, .command_status = 7};
    int status;
  } cases[] = {
      {.outcome = {}, .status = 1},
      {.status = 0},
      {.ends_with_status = true, .status = 7},
      {.ends_with_status = true,
       .outcome = {.started = true, .command_status = 0xC000013A},
       .status = static_cast<int>(0xC000013A)},
      {.ends_with_status = true, .outcome = {.started = true}, .status = 1},
      {.ends_with_status = true,
       .outcome = {.started = true, .command_status = 0, .relay_failed = true},
       .status = 1},
  };
  for (const auto& c : cases) {
    LaunchPlan plan;
    plan.ends_with_command_status = c.ends_with_status;
    EXPECT_EQ(exit_status(plan, c.outcome), c.status) << c.ends_with_status << c.outcome.started;
  }
}

}  // namespace
}  // namespace vornalt
