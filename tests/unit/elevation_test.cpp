#include "prompted_start.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "run.h"
#include "wtf8.h"

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

std::vector<std::string> with_admin(std::vector<std::string> args) {
  args.insert(args.begin() + 1, "-a");
  return args;
}

// With -a the request is kept: the host's line is byte for byte the one
// without -a, and goes with the folder on the elevated start's line, which
// the prompt shows; the values of -v go over the pipes only; the statuses
// and the lines are the same but for the summary's line of the elevation.
TEST(Elevation, KeepsTheWholeRequest) {
  const std::string relay_report = "pid 5678\nstatus 7\n";
  const struct {
    std::vector<std::string> args;   // after the target
    std::vector<std::string> reads;  // the relay's report
    std::string folder;              // where the host starts
    std::string elevation_sent;      // over the elevated start's pipe
  } cases[] = {
      {{"x"}, {}, "C:\\work", "vars 0\n"},
      {{"-w", "x"}, {relay_report}, "C:\\work", "vars 0\n"},
      {{"-e", "x"}, {relay_report}, "C:\\work", "vars 0\n"},
      {{"-k", "x"}, {}, "C:\\work", "vars 0\n"},
      {{"-k", "-e", "x"}, {relay_report}, "C:\\work", "vars 0\n"},
      {{"-v", "SECRET=s3cr3t", "x"}, {"pid 5678\n"}, "C:\\work", ""},
      {{"-d", "C:\\a b", "-e", "-s", "pwsh", "x"}, {relay_report}, "", "vars 0\n"},
  };
  for (const char* target : {"conhost", "wt"}) {
    for (const auto& c : cases) {
      std::vector<std::string> args = c.args;
      args.insert(args.begin(), target);
      SCOPED_TRACE(::testing::PrintToString(args));
      const bool conhost = target == std::string("conhost");
      // Without -a the relay's report comes alone.
      std::vector<std::string> plain_reads = c.reads;
      if (!conhost && args[1] == "-v") plain_reads = {"pid 5678\n"};
      if (conhost && args[1] == "-v") plain_reads = {};
      Outcome plain;
      plain.system.folders.push_back("C:\\a b");
      run_in(plain, args, plain_reads);
      std::vector<std::string> reads = {"pid 4120\n"};
      reads.insert(reads.end(), plain_reads.begin(), plain_reads.end());
      Outcome admin;
      admin.system.folders.push_back("C:\\a b");
      // The elevated start's client comes, then the relay's.
      admin.system.client_waits = {ClientWait::connected, ClientWait::connected};
      run_in(admin, with_admin(args), reads);

      EXPECT_EQ(admin.status, plain.status);
      EXPECT_EQ(admin.system.err, plain.system.err);
      const std::string line = to_wtf8(plain.system.command_line);
      const std::string host_line = line.substr(0, line.size() - 1);  // less the NUL
      const std::string folder =
          c.folder.empty() ? (conhost ? "\"C:\\a b\"" : "C:\\work") : c.folder;
      EXPECT_EQ(admin.system.elevated_program, "C:\\tools\\vornalt.exe");
      EXPECT_EQ(admin.system.elevated_parameters, "--vornalt-elevated " + ID + " " + folder +
                                                      " C:\\Windows\\System32\\" + target +
                                                      ".exe " + host_line);
      EXPECT_EQ(admin.system.elevated_parameters.find("s3cr3t"), std::string::npos);
      // The host is started by the elevated start, not by this vornalt.
      EXPECT_EQ(std::count(admin.system.calls.begin(), admin.system.calls.end(), "CreateProcessW"),
                0);
      EXPECT_EQ(std::count(admin.system.calls.begin(), admin.system.calls.end(),
                           "ShellExecuteExW(runas)"),
                1);
      EXPECT_EQ(admin.system.pipes_made.back(), "\\\\.\\pipe\\vornalt-" + ID + "-elevated");
      // conhost.exe's variables go to the elevated start, which starts it;
      // wt's to the relay, as without -a.
      const std::string to_elevated =
          c.elevation_sent.empty() ? (conhost ? "vars 1\nset 13\nSECRET=s3cr3t\n" : "vars 0\n")
                                   : c.elevation_sent;
      EXPECT_EQ(admin.system.pipe_written, to_elevated + plain.system.pipe_written);
      // The launch line names the host's id, as the elevated start reported
      // it; the summary says that elevation was asked for.
      std::string out = plain.system.out;
      out.insert(out.find("Arguments: "), "Elevation: asked for\n");
      EXPECT_EQ(admin.system.out, out);
      // conhost's -w waits for the elevated start, which ends with the host.
      if (conhost && args[1] == "-w") {
        EXPECT_NE(std::find(admin.system.calls.begin(), admin.system.calls.end(),
                            "WaitForSingleObject(elevated,4294967295)"),
                  admin.system.calls.end());
      }
    }
  }
}

TEST(Elevation, AnElevatedProcessStartsAsWithoutIt) {
  for (const char* target : {"conhost", "wt"}) {
    Outcome plain;
    run_in(plain, {target, "-e", "x"}, {"pid 5678\nstatus 3\n"});
    Outcome admin;
    run_in(admin, {target, "-a", "-e", "x"}, {"pid 5678\nstatus 3\n"}, true);
    EXPECT_EQ(admin.status, 3);
    EXPECT_EQ(admin.system.calls, plain.system.calls);
    EXPECT_EQ(admin.system.command_line, plain.system.command_line);
    std::string out = plain.system.out;
    out.insert(out.find("Arguments: "), "Elevation: none needed, already elevated\n");
    EXPECT_EQ(admin.system.out, out);
  }
}

// Whatever keeps the host from starting elevated: status 1, the line that
// says why, and nothing started by this vornalt.
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

// The elevated start believes only a pipe that this program made, and
// starts only what its own command line says.
TEST(RunElevated, StartsTheHostOfItsLineAndStandsInForIt) {
  const std::string line = "\"C:\\tools\\vornalt.exe\" --vornalt-elevated " + ID +
                           " \"C:\\a b\\\\\" C:\\Windows\\System32\\conhost.exe conhost.exe "
                           "cmd.exe /c title && x";
  const struct {
    std::string own_line;
    bool server_is_vornalt;
    std::vector<std::string> reads;
    Result create;
    int status;
    std::string written;
    Calls calls;
  } cases[] = {
      {line,
       true,
       {"vars 1\nset 5\nA=1 2\n"},
       {},
       7,
       "pid 4120\n",
       {"CreateFileW(pipe)", "ReadFile(pipe)", "GetEnvironmentStringsW", "CreateProcessW",
        "WriteFile(pipe)", "CloseHandle(pipe)", "WaitForSingleObject(process,4294967295)",
        "GetExitCodeProcess(process)", "CloseHandle(process)", "CloseHandle(thread)"}},
      {line, false, {"vars 0\n"}, {}, 1, "", {"CreateFileW(pipe)", "CloseHandle(pipe)"}},
      {line, true, {"vars 2\nset 3\nA=1\n"}, {}, 1, "", {}},
      {line,
       true,
       {"vars 0\n"},
       error_from_win32(5),
       1,
       "failed 2147942405\n",
       {"CreateFileW(pipe)", "ReadFile(pipe)", "CreateProcessW", "WriteFile(pipe)",
        "CloseHandle(pipe)"}},
      {"v --vornalt-elevated " + ID + " C:\\work", true, {"vars 0\n"}, {}, 1, "", Calls{}},
      {"v --vornalt-elevated x C:\\w C:\\conhost.exe conhost.exe x", true, {}, {}, 1, "", Calls{}},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.own_command_line = c.own_line;
    system.server_is_vornalt = c.server_is_vornalt;
    system.pipe_reads = c.reads;
    system.create_result = c.create;
    system.exit_status = 7;
    EXPECT_EQ(run(std::vector<std::string>{"vornalt.exe", "--vornalt-elevated"}, system), c.status)
        << c.own_line;
    EXPECT_EQ(system.pipe_written, c.written) << c.own_line;
    if (!c.calls.empty() || c.own_line != line) {
      EXPECT_EQ(system.calls, c.calls) << c.own_line;
    }
    if (c.status == 7) {
      EXPECT_EQ(system.pipe_name, "\\\\.\\pipe\\vornalt-" + ID + "-elevated");
      EXPECT_EQ(system.application, "C:\\Windows\\System32\\conhost.exe");
      EXPECT_EQ(to_wtf8(system.command_line),
                "conhost.exe cmd.exe /c title && x" + std::string(1, '\0'));
      EXPECT_EQ(system.start_folder, "C:\\a b\\");
      EXPECT_NE(system.start_environment.find(u"A=1 2"), std::u16string::npos);
    }
  }
}

}  // namespace
}  // namespace vornalt
