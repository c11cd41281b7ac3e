#include "launch/prompted_start.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "run.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

using Calls = std::vector<std::string>;

const std::string ID = "0123456789abcdeffedcba9876543210";

// A run of `args` (after the program's name) in a process that is not
// elevated, the elevated start and then the relay reporting `reads`.
struct Outcome {
  int status = 0;
  testing::FakeSystem system;
};

void run_in(Outcome& r, std::vector<std::string> args, std::vector<std::string> reads,
            bool elevated = false) {
  args.insert(args.begin(), "vornalt.exe");
  r.system.pipe_reads = std::move(reads);
  r.system.elevated = elevated;
  r.status = run(args, r.system);
}

// With -a the request is kept: the host's line is byte for byte the one
// without -a, and goes with the folder on the elevated start's line, which
// the prompt shows; the values of -v go over the pipes only; the host's id
// is the one the elevated start reports, and the status that of -e.
TEST(Elevation, KeepsTheWholeRequest) {
  const std::string relay = "C:\\tools\\vornalt.exe --vornalt-relay ";
  const std::string wt = "wt.exe --window vornalt --title \"\" --startingDirectory ";
  const std::string host = "pid 4321\n";  // the elevated start's report
  const std::string shell = "pid 5678\nstatus 7\n";
  const std::string secret = "vars 1\nset 13\nSECRET=s3cr3t\n";
  const struct {
    std::vector<std::string> args;   // after the target and -q
    std::vector<std::string> reads;  // the elevated start's report, then the relay's
    int status;
    std::string folder_and_host;  // on the elevated start's line
    std::string host_line;        // as without -a
    std::string written;          // to the elevated start, then to the relay
  } cases[] = {
      {{"conhost", "x"},
       {host},
       0,
       "C:\\work C:\\Windows\\System32\\conhost.exe ",
       "conhost.exe cmd.exe /c title && x",
       "vars 0\n"},
      {{"wt", "x"},
       {host},
       0,
       "C:\\work C:\\Windows\\System32\\wt.exe ",
       wt + ". cmd.exe /c x",
       "vars 0\n"},
      {{"conhost", "-w", "x"},
       {host},
       0,
       "C:\\work C:\\Windows\\System32\\conhost.exe ",
       "conhost.exe cmd.exe /c title && x",
       "vars 0\n"},
      {{"wt", "-w", "x"},
       {host, shell},
       0,
       "C:\\work C:\\Windows\\System32\\wt.exe ",
       wt + ". " + relay + ID + " cmd.exe /c x",
       "vars 0\nvars 0\n"},
      {{"conhost", "-e", "x"},
       {host, shell},
       7,
       "C:\\work C:\\Windows\\System32\\conhost.exe ",
       "conhost.exe " + relay + ID + " cmd.exe /c title && x",
       "vars 0\nvars 0\n"},
      {{"wt", "-k", "-e", "x"},
       {host, shell},
       7,
       "C:\\work C:\\Windows\\System32\\wt.exe ",
       wt + ". " + relay + ID + " --keep cmd.exe /c x",
       "vars 0\nvars 0\n"},
      {{"conhost", "-k", "x"},
       {host},
       0,
       "C:\\work C:\\Windows\\System32\\conhost.exe ",
       "conhost.exe " + relay + "- --keep cmd.exe /c title && x",
       "vars 0\n"},
      // conhost.exe's variables go to the elevated start, which starts it;
      // wt's to the relay, as without -a.
      {{"conhost", "-v", "SECRET=s3cr3t", "x"},
       {host},
       0,
       "C:\\work C:\\Windows\\System32\\conhost.exe ",
       "conhost.exe cmd.exe /c title && x",
       secret},
      {{"wt", "-v", "SECRET=s3cr3t", "x"},
       {host, "pid 5678\n"},
       0,
       "C:\\work C:\\Windows\\System32\\wt.exe ",
       wt + ". " + relay + ID + " --variables cmd.exe /c x",
       "vars 0\n" + secret},
      // The window: conhost.exe's STARTUPINFO goes on the elevated start's
      // line; wt.exe's options and the relay's size are on the host's.
      {{"conhost", "--min", "--pos", "-1200,80", "x"},
       {host},
       0,
       "--show 7 --pos -1200,80 C:\\work C:\\Windows\\System32\\conhost.exe ",
       "conhost.exe cmd.exe /c title && x",
       "vars 0\n"},
      {{"conhost", "--size", "100,30", "x"},
       {host},
       0,
       "C:\\work C:\\Windows\\System32\\conhost.exe ",
       "conhost.exe " + relay + "- --size 100,30 cmd.exe /c title && x",
       "vars 0\n"},
      {{"wt", "--max", "x"},
       {host},
       0,
       "C:\\work C:\\Windows\\System32\\wt.exe ",
       "wt.exe --window new --maximized --title \"\" --startingDirectory . cmd.exe /c x",
       "vars 0\n"},
      {{"wt", "--no-focus", "--size", "100,30", "x"},
       {host},
       0,
       "--show 4 C:\\work C:\\Windows\\System32\\wt.exe ",
       "wt.exe --window new --size 100,30 --title \"\" --startingDirectory . cmd.exe /c x",
       "vars 0\n"},
      // The folder of -d is conhost.exe's own; wt.exe gets it on its line.
      {{"conhost", "-d", "C:\\a b", "-e", "x"},
       {host, shell},
       7,
       "\"C:\\a b\" C:\\Windows\\System32\\conhost.exe ",
       "conhost.exe " + relay + ID + " cmd.exe /c title && x",
       "vars 0\nvars 0\n"},
      {{"wt", "-d", "C:\\a b", "-e", "x"},
       {host, shell},
       7,
       "C:\\work C:\\Windows\\System32\\wt.exe ",
       wt + "\"C:\\a b\" " + relay + ID + " cmd.exe /c x",
       "vars 0\nvars 0\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin() + 1, {"-q", "-a"});
    SCOPED_TRACE(::testing::PrintToString(args));
    Outcome r;
    r.system.folders.push_back("C:\\a b");
    // The elevated start's client comes, then the relay's.
    r.system.client_waits = {ClientWait::connected, ClientWait::connected};
    run_in(r, args, c.reads);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.system.both, "");
    EXPECT_EQ(r.system.elevated_program, "C:\\tools\\vornalt.exe");
    EXPECT_EQ(r.system.elevated_parameters,
              "--vornalt-elevated " + ID + " " + c.folder_and_host + c.host_line);
    EXPECT_EQ(r.system.pipe_written, c.written);
    // The host is started by the elevated start, not by this vornalt, which
    // waits for the elevated start's pipe while watching its process.
    EXPECT_EQ(r.system.application, "");
    EXPECT_EQ(std::count(r.system.calls.begin(), r.system.calls.end(), "ShellExecuteExW(runas)"),
              1);
    EXPECT_EQ(*std::find_if(r.system.calls.begin(), r.system.calls.end(),
                            [](const std::string& call) { return call.starts_with("WaitFor"); }),
              "WaitForClient(pipe,elevated,4294967295)");
    EXPECT_EQ(r.system.pipes_made.back(), "\\\\.\\pipe\\vornalt-" + ID + "-elevated");
    // conhost's -w waits for the elevated start, which ends with the host.
    EXPECT_EQ(std::count(r.system.calls.begin(), r.system.calls.end(),
                         "WaitForSingleObject(elevated,4294967295)"),
              args[3] == "-w" && args[0] == "conhost" ? 1 : 0);
    EXPECT_EQ(r.system.open, std::vector<std::string>{});
  }
  // The summary says that elevation was asked for; the launch line names
  // the host's id, as the elevated start reported it.
  Outcome shown;
  shown.system.client_waits = {ClientWait::connected};
  run_in(shown, {"conhost", "-a", "-t", "T", "x"}, {host});
  EXPECT_EQ(shown.system.out,
            "Target:    conhost\nShell:     cmd\nTitle:     T\nElevation: asked for\n"
            "Arguments: x\ncmdline:   conhost.exe cmd.exe /c title T && x\n"
            "Launched 'conhost' with PID: 4321\n");
}

TEST(Elevation, AnElevatedProcessStartsAsWithoutIt) {
  for (const char* target : {"conhost", "wt"}) {
    Outcome admin;
    run_in(admin, {target, "-a", "-e", "x"}, {"pid 5678\nstatus 3\n"}, true);
    EXPECT_EQ(admin.status, 3);
    EXPECT_EQ(admin.system.elevation_asked, 1);
    EXPECT_EQ(
        std::count(admin.system.calls.begin(), admin.system.calls.end(), "ShellExecuteExW(runas)"),
        0);
    EXPECT_EQ(admin.system.application, "C:\\Windows\\System32\\" + std::string(target) + ".exe");
    EXPECT_NE(admin.system.out.find("\nElevation: none needed, already elevated\nArguments: x\n"),
              std::string::npos);
    EXPECT_EQ(admin.system.pipes_made, std::vector<std::string>{"\\\\.\\pipe\\vornalt-" + ID});
  }
}

TEST(Elevation, AFailedElevatedStartIsAFailedLaunch) {
  const std::string failed = "Failed to launch 'conhost': ";
  const struct {
    Result elevate;
    std::vector<ClientWait> waits;
    bool client_is_vornalt;
    std::vector<std::string> reads;
    std::string err;
    std::string written;
  } cases[] = {
      {error_from_win32(1223),
       {},
       true,
       {},
       failed + "the elevation was refused: Error { code: HRESULT(0x800704C7), message: \"The "
                "operation was canceled by the user.\" }\n"},
      {error_from_win32(2),
       {},
       true,
       {},
       failed + "Error { code: HRESULT(0x80070002), message: \"The operation was canceled by "
                "the user.\" }\n"},
      {{},
       {ClientWait::process_ended},
       true,
       {},
       failed +
           "the elevated vornalt.exe ended with exit status 1 before it started conhost.exe\n"},
      {{},
       {ClientWait::connected},
       false,
       {"pid 4120\n"},
       failed + "a program other than vornalt.exe opened the pipe of the elevated start\n"},
      {{},
       {ClientWait::connected},
       true,
       {"failed 2147942405\n"},
       failed + "Error { code: HRESULT(0x80070005), message: \"The operation was canceled by "
                "the user.\" }\n",
       "vars 0\n"},
      {{},
       {ClientWait::connected},
       true,
       {"pid 41"},
       failed + "the elevated vornalt.exe did not say whether it started conhost.exe\n",
       "vars 0\n"},
  };
  for (const auto& c : cases) {
    Outcome r;
    r.system.elevate_result = c.elevate;
    r.system.client_waits = c.waits;
    r.system.client_is_vornalt = c.client_is_vornalt;
    r.system.exit_status = 1;
    r.system.message = "The operation was canceled by the user.";
    run_in(r, {"conhost", "-q", "-a", "-e", "x"}, c.reads);
    EXPECT_EQ(r.status, 1) << c.err;
    EXPECT_EQ(r.system.err, c.err);
    EXPECT_EQ(r.system.out, "");
    EXPECT_EQ(r.system.pipe_written, c.written) << c.err;
    EXPECT_EQ(std::count(r.system.calls.begin(), r.system.calls.end(), "CreateProcessW"), 0);
  }
}

TEST(Elevation, ADryRunShowsTheElevatedLineAndThePromptsName) {
  Outcome r;
  run_in(r, {"conhost", "-n", "-a", "-t", "T", "x"}, {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.system.err, "");
  const std::string line = "conhost.exe cmd.exe /c title T && x";
  EXPECT_EQ(r.system.out,
            "Target:    conhost\nShell:     cmd\nTitle:     T\nElevation: asked for\n"
            "Arguments: x\ncmdline:   " +
                line +
                "\nHost:      C:\\Windows\\System32\\conhost.exe\n"
                "Elevate:   C:\\tools\\vornalt.exe --vornalt-elevated " +
                ID + " C:\\work C:\\Windows\\System32\\conhost.exe " + line +
                "\nPrompt:    vornalt Console Launcher\n");
  EXPECT_EQ(r.system.calls, Calls{});
  Outcome quiet;
  run_in(quiet, {"conhost", "-n", "-q", "-a", "x"}, {});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.system.both, "");
}

}  // namespace
}  // namespace vornalt
