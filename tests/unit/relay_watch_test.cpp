#include "relay/relay_watch.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "pipe/protocol.h"

namespace vornalt {
namespace {

using Waits = std::vector<ClientWait>;
using Pieces = std::vector<std::string>;

// Watches the relay through a pipe that this program made, by the plan for
// `request`, which has a relay with a pipe; the relay reports, whatever the
// request, as far as the watch reads it.
RelayOutcome watch(const LaunchRequest& request, testing::FakeSystem& system) {
  const LaunchPlan plan = plan_launch(request, false);
  EXPECT_TRUE(plan.has_relay_pipe());
  if (!plan.has_relay_pipe()) return {};
  const std::unique_ptr<PipeServer> pipe = system.made_pipe();
  Output output(system, system, plan.shows_progress);
  return watch_relay(*pipe, system.created_process, plan, output, system);
}

struct WatchCase {
  Target target;
  Waits waits;
  Pieces pieces;
  std::optional<std::uint32_t> status;
  std::string out, problem;  // the problem after "Error: " or "Warning: "
  std::uint32_t wt_status = 0;
  bool vornalt = true;
};

TEST(WatchRelay, TheStatusOnlyFromAWholeReportOfThisProgram) {
  const std::string early = "The new console ended before it reported the command's exit status";
  const WatchCase cases[] = {
      {Target::conhost,
       {ClientWait::connected},
       {"pid 5678\n", "status 3\n"},
       3,
       "Shell PID: 5678\n"},
      {Target::wt,
       {ClientWait::connected},
       {"pi", "d 5678\nstatus 3221225786\n"},
       0xC000013A,
       "Shell PID: 5678\n"},
      // wt.exe ends as soon as it has handed the command on.
      {Target::wt,
       {ClientWait::process_ended, ClientWait::connected},
       {"pid 5678\nstatus 0\n"},
       0,
       "Shell PID: 5678\n"},
      {Target::wt,
       {ClientWait::process_ended},
       {},
       std::nullopt,
       "",
       "wt.exe failed with exit status 5",
       5},
      {Target::wt,
       {ClientWait::timed_out},
       {},
       std::nullopt,
       "",
       "No relay reported from the new console within 30 seconds"},
      {Target::conhost, {ClientWait::process_ended}, {}, std::nullopt, "", early},
      // Anyone else's client, or anything but the whole report in order.
      {Target::conhost,
       {ClientWait::connected},
       {"pid 5678\nstatus 3\n"},
       std::nullopt,
       "",
       "A program other than vornalt.exe opened the relay's pipe",
       0,
       false},
      {Target::conhost,
       {ClientWait::connected},
       {"pid 5678\n"},
       std::nullopt,
       "Shell PID: 5678\n",
       early},
      {Target::conhost, {ClientWait::connected}, {}, std::nullopt, "", early},
      {Target::conhost,
       {ClientWait::connected},
       {"pid 5678\nstatus 3"},
       std::nullopt,
       "Shell PID: 5678\n",
       "The relay's report could not be read"},
      {Target::conhost,
       {ClientWait::connected},
       {"status 3\n"},
       std::nullopt,
       "",
       "The relay's report could not be read"},
      {Target::conhost,
       {ClientWait::connected},
       {"pid 5678\nstatus 3\n", "pid 1\n"},
       std::nullopt,
       "Shell PID: 5678\n",
       "The relay's report could not be read"},
  };
  for (const auto& c : cases) {
    for (bool exit_code : {true, false}) {
      // Without -e, only wt's -w waits for the command through the relay.
      if (!exit_code && c.target == Target::conhost) continue;
      for (bool quiet : {false, true}) {
        testing::FakeSystem system;
        system.client_waits = c.waits;
        system.pipe_reads = c.pieces;
        system.exit_status = c.wt_status;
        system.client_is_vornalt = c.vornalt;
        const LaunchRequest request{.target = c.target,
                                    .words = {"x"},
                                    .wait = !exit_code,
                                    .quiet = quiet,
                                    .exit_code = exit_code};
        const RelayOutcome outcome = watch(request, system);
        EXPECT_EQ(outcome.status, c.status) << c.problem;
        // Only an error ends the run with 1; the status is -e's to give.
        EXPECT_EQ(outcome.failed, exit_code && !c.problem.empty()) << c.problem;
        EXPECT_EQ(system.out, quiet ? "" : c.out) << c.problem;
        EXPECT_EQ(system.err, c.problem.empty()
                                  ? ""
                                  : (exit_code ? "Error: " : "Warning: ") + c.problem + "\n");
      }
    }
  }
}

TEST(WatchRelay, WaitsForWtsRelayOnlySoLongAndConhostsUntilItEnds) {
  testing::FakeSystem system;
  system.client_waits = {ClientWait::process_ended, ClientWait::timed_out};
  const LaunchRequest wt{.target = Target::wt, .words = {"x"}, .wait = true};
  EXPECT_EQ(watch(wt, system).status, std::nullopt);
  EXPECT_EQ(system.calls, (std::vector<std::string>{
                              "WaitForClient(pipe,process,30000)", "GetExitCodeProcess(process)",
                              "WaitForClient(pipe,none,30000)", "CloseHandle(pipe)"}));
  testing::FakeSystem conhost_system;
  const LaunchRequest conhost{.target = Target::conhost, .words = {"x"}, .exit_code = true};
  conhost_system.pipe_reads = {"pid 1\nstatus 2\n"};
  EXPECT_EQ(watch(conhost, conhost_system).status, 2u);
  EXPECT_EQ(conhost_system.calls.front(), "WaitForClient(pipe,process,4294967295)");
}

// Nothing ran: whatever the options that made the relay report, a script
// must be able to tell.
TEST(WatchRelay, AShellThatDidNotStartIsAnError) {
  const struct {
    Target target;
    bool exit_code, wait;
    std::vector<Variable> variables;
  } cases[] = {
      {Target::conhost, true, false, {}},
      {Target::conhost, true, true, {{"A", "1"}}},
      {Target::wt, true, false, {}},
      {Target::wt, false, true, {}},
      {Target::wt, false, false, {{"A", "1"}}},
      {Target::wt, false, true, {{"A", std::nullopt}}},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.pipe_reads = {"failed 2147942402\n"};
    const LaunchRequest request{.target = c.target,
                                .shell = Shell::pwsh,
                                .words = {"x"},
                                .wait = c.wait,
                                .exit_code = c.exit_code,
                                .variables = c.variables};
    const RelayOutcome outcome = watch(request, system);
    EXPECT_EQ(outcome.status, std::nullopt);
    EXPECT_TRUE(outcome.failed) << name(c.target) << c.exit_code << c.wait;
    EXPECT_EQ(system.out, "");
    EXPECT_EQ(system.err,
              "Error: Failed to start 'pwsh.exe' in the new console: Error { code: "
              "HRESULT(0x80070002), message: \"The system cannot find the file specified.\" }\n")
        << name(c.target) << c.exit_code << c.wait;
  }
}

// The variables go to the relay once it is known to be this program; until
// the shell has started with them, whatever goes wrong is an error: the
// command does not run without them.
TEST(WatchRelay, SendsTheVariablesAndWaitsForTheShellToStartWithThem) {
  const std::vector<Variable> variables{{"A", "1"}, {"B", std::nullopt}};
  const std::string sent = "vars 2\nset 3\nA=1\nunset 1\nB\n";
  const std::string early = "The new console ended before it reported the command's exit status";
  const struct {
    Target target;
    bool wait;
    Pieces pieces;
    std::string written, out, err;
    bool failed;
    bool vornalt = true;
    Result write_result = {};
  } cases[] = {
      // Without -w or -e the report matters only until the shell started.
      {Target::wt, false, {"pid 5678\n", "status 3\n"}, sent, "Shell PID: 5678\n", "", false},
      {Target::wt, false, {}, sent, "", "Error: " + early + "\n", true},
      {Target::wt,
       false,
       {},
       "",
       "",
       "Error: A program other than vornalt.exe opened the relay's pipe\n",
       true,
       false},
      {Target::wt,
       false,
       {},
       "",
       "",
       "Error: Sending the variables to the relay failed: Error { code: HRESULT(0x800700E8), "
       "message: \"The system cannot find the file specified.\" }\n",
       true,
       true,
       error_from_win32(232)},
      // Once the shell has started, or could not, they were there.
      {Target::wt,
       true,
       {"pid 5678\n"},
       sent,
       "Shell PID: 5678\n",
       "Warning: " + early + "\n",
       false},
      {Target::wt,
       true,
       {"failed 2147942402\n"},
       sent,
       "",
       "Error: Failed to start 'cmd.exe' in the new console: Error { code: HRESULT(0x80070002), "
       "message: \"The system cannot find the file specified.\" }\n",
       true},
      // conhost.exe hands its environment on: nothing goes over the pipe.
      {Target::conhost, true, {"pid 5678\nstatus 3\n"}, "vars 0\n", "Shell PID: 5678\n", "", false},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.pipe_reads = c.pieces;
    system.client_is_vornalt = c.vornalt;
    system.write_result = c.write_result;
    LaunchRequest request{.target = c.target, .words = {"x"}, .wait = c.wait};
    request.exit_code = c.target == Target::conhost;
    request.variables = variables;
    const RelayOutcome outcome = watch(request, system);
    EXPECT_EQ(outcome.failed, c.failed) << c.err;
    EXPECT_EQ(system.pipe_written, c.written) << c.err;
    EXPECT_EQ(system.out, c.out) << c.err;
    EXPECT_EQ(system.err, c.err);
    // Without -w the status is not waited for.
    EXPECT_EQ(system.pipe_reads.size(), c.pieces.size() > 1 && !c.wait ? 1u : 0u) << c.err;
  }
}

}  // namespace
}  // namespace vornalt
