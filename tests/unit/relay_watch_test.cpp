#include "relay/relay_watch.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace vornalt {
namespace {

using Waits = std::vector<ClientWait>;
using Pieces = std::vector<std::string>;

const std::string PID = "Shell PID: 5678\n";
const std::string EARLY = "The new console ended before it reported the command's exit status";
const std::string UNREADABLE = "The relay's report could not be read";

// The watch's seams, with a host and a pipe that this program made.
struct Watch {
  testing::FakeConsole console;
  testing::FakeMessages messages;
  testing::FakeProcesses processes;
  testing::FakePipes pipes;
  OwnedHandle host = processes.give("host");

  /// Watches the relay by the plan for `request`, which has a relay with a
  /// pipe; the relay reports, whatever the request, as far as the watch
  /// reads it.
  RelayOutcome run(const LaunchRequest& request) {
    const LaunchPlan plan = plan_launch(request, false);
    EXPECT_TRUE(plan.has_relay_pipe());
    if (!plan.has_relay_pipe()) return {};
    const std::unique_ptr<PipeServer> pipe = pipes.made_end();
    Output output(console, messages, plan.shows_progress);
    return watch_relay(*pipe, host.get(), plan, output, processes);
  }
};

TEST(WatchRelay, TheStatusOnlyFromAWholeReportOfThisProgram) {
  const struct {
    Target target = Target::conhost;
    Waits waits = {ClientWait::connected};
    Pieces pieces = {};
    std::optional<std::uint32_t> status = std::nullopt;
    std::string out = "";
    std::string problem = "";  // after "Error: " or "Warning: "
    std::uint32_t wt_status = 0;
    bool vornalt = true;
  } cases[] = {
      {.pieces = {"pid 5678\n", "status 3\n"}, .status = 3, .out = PID},
      {.target = Target::wt,
       .pieces = {"pi", "d 5678\nstatus 3221225786\n"},
       .status = 0xC000013A,
       .out = PID},
      // wt.exe ends as soon as it has handed the command on.
      {.target = Target::wt,
       .waits = {ClientWait::process_ended, ClientWait::connected},
       .pieces = {"pid 5678\nstatus 0\n"},
       .status = 0,
       .out = PID},
      {.target = Target::wt,
       .waits = {ClientWait::process_ended},
       .problem = "wt.exe failed with exit status 5",
       .wt_status = 5},
      {.target = Target::wt,
       .waits = {ClientWait::timed_out},
       .problem = "No relay reported from the new console within 30 seconds"},
      {.waits = {ClientWait::process_ended}, .problem = EARLY},
      // Anyone else's client, or anything but the whole report in order.
      {.pieces = {"pid 5678\nstatus 3\n"},
       .problem = "A program other than vornalt.exe opened the relay's pipe",
       .vornalt = false},
      {.pieces = {"pid 5678\n"}, .out = PID, .problem = EARLY},
      {.problem = EARLY},
      {.pieces = {"pid 5678\nstatus 3"}, .out = PID, .problem = UNREADABLE},
      {.pieces = {"status 3\n"}, .problem = UNREADABLE},
      {.pieces = {"pid 5678\nstatus 3\n", "pid 1\n"}, .out = PID, .problem = UNREADABLE},
  };
  for (const auto& c : cases) {
    for (bool exit_code : {true, false}) {
      // Without -e, only wt's -w waits for the command through the relay.
      if (!exit_code && c.target == Target::conhost) continue;
      for (bool quiet : {false, true}) {
        Watch watch;
        watch.pipes.client_waits = c.waits;
        watch.pipes.reads = c.pieces;
        watch.pipes.client_is_vornalt = c.vornalt;
        watch.processes.exit_status = c.wt_status;
        const RelayOutcome outcome = watch.run({.target = c.target,
                                                .words = {"x"},
                                                .wait = !exit_code,
                                                .quiet = quiet,
                                                .exit_code = exit_code});
        EXPECT_EQ(outcome.status, c.status) << c.problem;
        // Only an error ends the run with 1; the status is -e's to give.
        EXPECT_EQ(outcome.failed, exit_code && !c.problem.empty()) << c.problem;
        EXPECT_EQ(watch.console.out, quiet ? "" : c.out) << c.problem;
        EXPECT_EQ(
            watch.console.err,
            c.problem.empty() ? "" : (exit_code ? "Error: " : "Warning: ") + c.problem + "\n");
      }
    }
  }
}

// wt.exe's relay may never come, once wt.exe has handed the command on; a
// status of wt.exe's own says when it failed.
TEST(WatchRelay, WaitsForWtsRelayOnlySoLongAndConhostsUntilItEnds) {
  Watch wt;
  wt.pipes.client_waits = {ClientWait::process_ended, ClientWait::timed_out};
  EXPECT_EQ(wt.run({.target = Target::wt, .words = {"x"}, .wait = true}).status, std::nullopt);
  EXPECT_EQ(wt.pipes.watched, (std::vector<Handle>{wt.host.get(), nullptr}));
  EXPECT_EQ(wt.pipes.watched_ms, (std::vector<std::uint32_t>{30000, 30000}));
  EXPECT_EQ(wt.processes.statuses_read, std::vector<std::string>{"host"});
  Watch conhost;
  conhost.pipes.reads = {"pid 1\nstatus 2\n"};
  EXPECT_EQ(conhost.run({.target = Target::conhost, .words = {"x"}, .exit_code = true}).status, 2u);
  EXPECT_EQ(conhost.pipes.watched, std::vector<Handle>{conhost.host.get()});
  EXPECT_EQ(conhost.pipes.watched_ms, std::vector<std::uint32_t>{INFINITE_TIMEOUT});
}

// Nothing ran: whatever the options that made the relay report, a script
// must be able to tell.
TEST(WatchRelay, AShellThatDidNotStartIsAnError) {
  const struct {
    Target target;
    bool exit_code = false;
    bool wait = false;
    std::vector<Variable> variables = {};
  } cases[] = {
      {.target = Target::conhost, .exit_code = true},
      {.target = Target::conhost, .exit_code = true, .wait = true, .variables = {{"A", "1"}}},
      {.target = Target::wt, .exit_code = true},
      {.target = Target::wt, .wait = true},
      {.target = Target::wt, .variables = {{"A", "1"}}},
      {.target = Target::wt, .wait = true, .variables = {{"A", std::nullopt}}},
  };
  for (const auto& c : cases) {
    Watch watch;
    watch.pipes.reads = {"failed 2147942402\n"};
    const RelayOutcome outcome = watch.run({.target = c.target,
                                            .shell = Shell::pwsh,
                                            .words = {"x"},
                                            .wait = c.wait,
                                            .exit_code = c.exit_code,
                                            .variables = c.variables});
    EXPECT_EQ(outcome.status, std::nullopt);
    EXPECT_TRUE(outcome.failed) << name(c.target) << c.exit_code << c.wait;
    EXPECT_EQ(watch.console.out, "");
    EXPECT_EQ(watch.console.err,
              "Error: Failed to start 'pwsh.exe' in the new console: Error { code: "
              "HRESULT(0x80070002), message: \"The system cannot find the file specified.\" }\n")
        << name(c.target) << c.exit_code << c.wait;
  }
}

// The variables go to the relay once it is known to be this program; until
// the shell has started with them, whatever goes wrong is an error: the
// command does not run without them.
TEST(WatchRelay, SendsTheVariablesAndWaitsForTheShellToStartWithThem) {
  const std::string sent = "vars 2\nset 3\nA=1\nunset 1\nB\n";
  const struct {
    Target target = Target::wt;
    bool wait = false;
    Pieces pieces = {};
    std::string written = "";
    std::string out = "";
    std::string err = "";
    bool vornalt = true;
    Result write_result = {};
    std::size_t unread = 0;  // pieces
  } cases[] = {
      // Without -w or -e the report matters only until the shell started.
      {.pieces = {"pid 5678\n", "status 3\n"}, .written = sent, .out = PID, .unread = 1},
      {.written = sent, .err = "Error: " + EARLY + "\n"},
      {.err = "Error: A program other than vornalt.exe opened the relay's pipe\n",
       .vornalt = false},
      {.err = "Error: Sending the variables to the relay failed: Error { code: "
              "HRESULT(0x800700E8), message: \"The system cannot find the file specified.\" }\n",
       .write_result = error_from_win32(232)},
      // Once the shell has started, or could not, they were there.
      {.wait = true,
       .pieces = {"pid 5678\n"},
       .written = sent,
       .out = PID,
       .err = "Warning: " + EARLY + "\n"},
      {.wait = true,
       .pieces = {"failed 2147942402\n"},
       .written = sent,
       .err = "Error: Failed to start 'cmd.exe' in the new console: Error { code: "
              "HRESULT(0x80070002), message: \"The system cannot find the file specified.\" }\n"},
      // conhost.exe hands its environment on: nothing goes over the pipe.
      {.target = Target::conhost,
       .wait = true,
       .pieces = {"pid 5678\nstatus 3\n"},
       .written = "vars 0\n",
       .out = PID},
  };
  for (const auto& c : cases) {
    Watch watch;
    watch.pipes.reads = c.pieces;
    watch.pipes.client_is_vornalt = c.vornalt;
    watch.pipes.write_result = c.write_result;
    const RelayOutcome outcome = watch.run({.target = c.target,
                                            .words = {"x"},
                                            .wait = c.wait,
                                            .exit_code = c.target == Target::conhost,
                                            .variables = {{"A", "1"}, {"B", std::nullopt}}});
    EXPECT_EQ(outcome.failed, c.err.starts_with("Error: ")) << c.err;
    EXPECT_EQ(watch.pipes.written, c.written) << c.err;
    EXPECT_EQ(watch.console.out, c.out) << c.err;
    EXPECT_EQ(watch.console.err, c.err);
    EXPECT_EQ(watch.pipes.reads.size(), c.unread) << c.err;
  }
}

}  // namespace
}  // namespace vornalt
