#include "launch/prompted_start.h"

#include <gtest/gtest.h>

#include "composed_lines.h"
#include "fakes.h"
#include "run.h"

namespace vornalt {
namespace {

using Args = std::vector<std::string>;
using testing::composed_line;
using testing::FAKE_ID;

// The elevated start's report of the host's id, and the relay's.
const std::string HOST = "pid 4321\n";
const std::string SHELL = "pid 5678\nstatus 7\n";

// Runs vornalt.exe with `args` on the fakes of `system`; its exit status.
int run_on(testing::FakeSystem& system, Args args) {
  args.insert(args.begin(), "vornalt.exe");
  return run(args, system);
}

// Nothing was started, nor made or asked for a start.
bool started_nothing(const testing::FakeSystem& system) {
  return system.processes.starts.empty() && system.pipes.made.empty() && !system.elevation.program;
}

// With -a the request is kept: the host's line is byte for byte the one
// without -a, and goes with the folder on the elevated start's line, which
// the prompt shows; the values of -v go over the pipes only; the host's id
// is the one the elevated start reports, and the status that of -e.
TEST(Elevation, KeepsTheWholeRequest) {
  const std::string both = "vars 0\nvars 0\n";  // to the elevated start, then to the relay
  const std::string a = "vars 1\nset 3\nA=1\n";
  const struct {
    Args args;            // without -q -a
    Args reads = {HOST};  // the elevated start's report, then the relay's
    int status = 0;
    std::string window = "";           // on the elevated start's line
    std::string folder = "C:\\work";   // on the elevated start's line
    std::string written = "vars 0\n";  // to the elevated start, then to the relay
  } cases[] = {
      {.args = {"conhost", "-w", "x"}},
      {.args = {"wt", "x"}},
      {.args = {"wt", "-w", "x"}, .reads = {HOST, SHELL}, .written = both},
      {.args = {"conhost", "-e", "x"}, .reads = {HOST, SHELL}, .status = 7, .written = both},
      {.args = {"wt", "-k", "-e", "x"}, .reads = {HOST, SHELL}, .status = 7, .written = both},
      {.args = {"conhost", "-k", "x"}},
      // conhost.exe's variables go to the elevated start, which starts it;
      // wt's to the relay, as without -a.
      {.args = {"conhost", "-v", "A=1", "x"}, .written = a},
      {.args = {"wt", "-v", "A=1", "x"}, .reads = {HOST, "pid 5678\n"}, .written = "vars 0\n" + a},
      // The window: conhost.exe's STARTUPINFO goes on the elevated start's
      // line; wt.exe's options and the relay's size are on the host's.
      {.args = {"conhost", "--min", "--pos", "-1200,80", "x"},
       .window = "--show 7 --pos -1200,80 "},
      {.args = {"conhost", "--size", "100,30", "x"}},
      {.args = {"wt", "--max", "--size", "100,30", "x"}},
      {.args = {"wt", "--window", "Dev", "--no-focus", "x"}, .window = "--show 4 "},
      // The folder of -d is conhost.exe's own; wt.exe gets it on its line.
      {.args = {"conhost", "-d", "C:\\a b", "x"}, .folder = "\"C:\\a b\""},
      {.args = {"wt", "-d", "C:\\a b", "x"}},
  };
  for (const auto& c : cases) {
    Args args = c.args;
    args.insert(args.begin() + 1, {"-q", "-a"});
    SCOPED_TRACE(::testing::PrintToString(args));
    testing::FakeSystem system;
    system.paths.folders.push_back("C:\\a b");
    // The elevated start's client comes, then the relay's.
    system.pipes.client_waits = {ClientWait::connected, ClientWait::connected};
    system.pipes.reads = c.reads;
    EXPECT_EQ(run_on(system, args), c.status);
    EXPECT_EQ(system.console.both, "");
    EXPECT_EQ(system.elevation.program.value_or(""), "C:\\tools\\vornalt.exe");
    EXPECT_EQ(system.elevation.parameters, "--vornalt-elevated " + FAKE_ID + " " + c.window +
                                               c.folder + " C:\\Windows\\System32\\" + c.args[0] +
                                               ".exe " + composed_line(c.args));
    EXPECT_EQ(system.pipes.written, c.written);
    ASSERT_FALSE(system.pipes.made.empty());
    EXPECT_EQ(system.pipes.made.back(), "\\\\.\\pipe\\vornalt-" + FAKE_ID + "-elevated");
    // The host is started by the elevated start, not by this vornalt, which
    // waits for each pipe's client while watching the elevated start, as it
    // stands in for the host; conhost's -w waits for it to end.
    EXPECT_TRUE(system.processes.starts.empty());
    Args watched;
    for (Handle process : system.pipes.watched) watched.push_back(system.processes.name(process));
    EXPECT_EQ(watched, Args(c.reads.size(), "elevated"));
    EXPECT_EQ(system.processes.waited,
              Args(c.args[0] == "conhost" && c.args[1] == "-w" ? 1 : 0, "elevated"));
    EXPECT_TRUE(system.processes.open.empty());
    EXPECT_EQ(system.pipes.ends_open, 0);
  }
}

TEST(Elevation, AnElevatedProcessStartsAsWithoutIt) {
  for (const std::string target : {"conhost", "wt"}) {
    testing::FakeSystem system;
    system.elevation.elevated = true;
    system.pipes.reads = {"pid 5678\nstatus 3\n"};
    EXPECT_EQ(run_on(system, {target, "-q", "-a", "-e", "x"}), 3);
    EXPECT_EQ(system.elevation.asked, 1);
    EXPECT_FALSE(system.elevation.program);
    ASSERT_EQ(system.processes.starts.size(), 1u);
    EXPECT_EQ(system.processes.starts[0].application, "C:\\Windows\\System32\\" + target + ".exe");
    EXPECT_EQ(system.processes.starts[0].line(), composed_line({target, "-e", "x"}));
    EXPECT_EQ(system.pipes.made, Args{"\\\\.\\pipe\\vornalt-" + FAKE_ID});
  }
}

// The summary says whether the elevation was asked for. Where a run would
// ask, the dry run shows the elevated start's line and the name that the
// prompt shows, and a run names the host's id as the elevated start reported
// it.
TEST(Elevation, TheSummaryTheDryRunAndTheLaunchLine) {
  const std::string line = composed_line({"conhost", "-t", "Build", "echo", "Hello"});
  const std::string host = "Host:      C:\\Windows\\System32\\conhost.exe\n";
  const struct {
    bool elevated;
    std::string summary, dry, launched;
  } cases[] = {
      {.elevated = false,
       .summary = "Elevation: asked for\n",
       .dry = host + "Elevate:   C:\\tools\\vornalt.exe --vornalt-elevated " + FAKE_ID +
              " C:\\work C:\\Windows\\System32\\conhost.exe " + line +
              "\nPrompt:    vornalt Console Launcher\n",
       .launched = "Launched 'conhost' with PID: 4321\n"},
      {.elevated = true,
       .summary = "Elevation: none needed, already elevated\n",
       .dry = host,
       .launched = "Launched 'conhost' with PID: 4120\n"},
  };
  for (const auto& c : cases) {
    for (const Args& flags : {Args{}, Args{"-n"}, Args{"-n", "-q"}}) {
      SCOPED_TRACE(c.summary + ::testing::PrintToString(flags));
      Args args = {"conhost", "-a", "-t", "Build", "echo", "Hello"};
      args.insert(args.begin() + 1, flags.begin(), flags.end());
      testing::FakeSystem system;
      system.elevation.elevated = c.elevated;
      system.pipes.reads = {HOST};
      EXPECT_EQ(run_on(system, args), 0);
      const std::string shown = "Target:    conhost\nShell:     cmd\nTitle:     Build\n" +
                                c.summary + "Arguments: echo Hello\ncmdline:   " + line + "\n" +
                                (flags.empty() ? c.launched : c.dry);
      EXPECT_EQ(system.console.both, flags.size() == 2 ? "" : shown);
      EXPECT_EQ(started_nothing(system), !flags.empty());
    }
  }
}

TEST(Elevation, AFailedElevatedStartIsAFailedLaunch) {
  const std::string failed = "Failed to launch 'conhost': ";
  const std::string canceled = "message: \"The operation was canceled by the user.\" }\n";
  const std::string secret = "vars 1\nset 13\nSECRET=s3cr3t\n";
  const struct {
    Result elevate = {};
    std::vector<ClientWait> waits = {ClientWait::connected};
    bool client_is_vornalt = true;
    Args reads = {};  // the elevated start's report
    std::string err;
    std::string written = "";
  } cases[] = {
      {.elevate = error_from_win32(1223),
       .err = failed + "the elevation was refused: Error { code: HRESULT(0x800704C7), " + canceled},
      {.elevate = error_from_win32(2),
       .err = failed + "Error { code: HRESULT(0x80070002), " + canceled},
      {.waits = {ClientWait::process_ended},
       .err = failed +
              "the elevated vornalt.exe ended with exit status 1 before it started conhost.exe\n"},
      // Only this same program gets the variables.
      {.client_is_vornalt = false,
       .reads = {"pid 4120\n"},
       .err = failed + "a program other than vornalt.exe opened the pipe of the elevated start\n"},
      {.reads = {"failed 2147942405\n"},
       .err = failed + "Error { code: HRESULT(0x80070005), " + canceled,
       .written = secret},
      {.reads = {"pid 41"},
       .err = failed + "the elevated vornalt.exe did not say whether it started conhost.exe\n",
       .written = secret},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.err);
    testing::FakeSystem system;
    system.elevation.start_result = c.elevate;
    system.pipes.client_waits = c.waits;
    system.pipes.client_is_vornalt = c.client_is_vornalt;
    system.pipes.reads = c.reads;
    system.processes.exit_status = 1;
    system.messages.message = "The operation was canceled by the user.";
    EXPECT_EQ(run_on(system, {"conhost", "-q", "-a", "-e", "-v", "SECRET=s3cr3t", "x"}), 1);
    EXPECT_EQ(system.console.err, c.err);
    EXPECT_EQ(system.console.out, "");
    EXPECT_EQ(system.pipes.written, c.written);
    EXPECT_TRUE(system.processes.starts.empty());
    EXPECT_TRUE(system.processes.open.empty());
    EXPECT_EQ(system.pipes.ends_open, 0);
  }
}

}  // namespace
}  // namespace vornalt
