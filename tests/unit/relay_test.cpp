#include "relay/relay.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

using Calls = std::vector<std::string>;

const std::string ID = "0123456789abcdef0123456789abcdef";

int run_relay(testing::FakeSystem& system) {
  Output output(system, system);
  return vornalt::run_relay(output, system, system, system, system);
}

TEST(RunRelay, RunsTheShellInThisConsoleAndReportsIt) {
  const struct {
    std::string line;
    std::vector<std::string> files;
    Result pipe_result;
    Result create_result;
    int status;
    std::string written, err, application;
    std::string shell_line;  // what the shell gets
    Calls calls;
  } cases[] = {
      {"C:\\tools\\vornalt.exe --vornalt-relay " + ID + " cmd.exe /c title  && x",
       {"C:\\Windows\\System32\\cmd.exe"},
       {},
       {},
       3,
       "pid 5678\nstatus 3\n",
       "",
       "C:\\Windows\\System32\\cmd.exe",
       "cmd.exe /c title  && x",
       {"CreateFileW(pipe)", "ReadFile(pipe)", "SetConsoleCtrlHandler",
        "CreateProcessW(this console)", "WriteFile(pipe)", "WaitForSingleObject(shell,4294967295)",
        "GetExitCodeProcess(shell)", "WriteFile(pipe)", "CloseHandle(pipe)", "CloseHandle(shell)",
        "CloseHandle(shell thread)", "LetConsoleClose"}},
      // Never a shell from vornalt.exe's own folder (or the current one).
      {"C:\\tools\\vornalt.exe --vornalt-relay " + ID + " pwsh.exe -EncodedCommand QQA=",
       {"C:\\tools\\pwsh.exe", "D:\\pwsh\\pwsh.exe"},
       {},
       {},
       3,
       "pid 5678\nstatus 3\n",
       "",
       "D:\\pwsh\\pwsh.exe",
       "pwsh.exe -EncodedCommand QQA=",
       {}},
      // Without its first vornalt, or started by hand, it still runs.
      {"vornalt --vornalt-relay " + ID + " cmd.exe /c x",
       {"C:\\Windows\\System32\\cmd.exe"},
       error_from_win32(2),
       {},
       3,
       "",
       "",
       "C:\\Windows\\System32\\cmd.exe",
       "cmd.exe /c x",
       {}},
      {"vornalt --vornalt-relay by-hand cmd.exe /c x",
       {"C:\\Windows\\System32\\cmd.exe"},
       {},
       {},
       3,
       "",
       "",
       "C:\\Windows\\System32\\cmd.exe",
       "cmd.exe /c x",
       {"SetConsoleCtrlHandler", "CreateProcessW(this console)",
        "WaitForSingleObject(shell,4294967295)", "GetExitCodeProcess(shell)", "CloseHandle(shell)",
        "CloseHandle(shell thread)", "LetConsoleClose"}},
      // The shell found nowhere, or not started: the failure goes both ways.
      {"v --vornalt-relay " + ID + " pwsh.exe -EncodedCommand QQA=",
       {},
       {},
       {},
       1,
       "failed 2147942402\n",
       "Error: Failed to start 'pwsh.exe': Error { code: HRESULT(0x80070002), message: \"The "
       "system cannot find the file specified.\" }\n",
       "",
       "",
       {"CreateFileW(pipe)", "ReadFile(pipe)", "SetConsoleCtrlHandler", "WriteFile(pipe)",
        "CloseHandle(pipe)", "FormatMessageW(HRESULT(0x80070002))", "LetConsoleClose"}},
      {"v --vornalt-relay " + ID + " cmd.exe /c x",
       {"C:\\Windows\\cmd.exe"},
       {},
       error_from_win32(5),
       1,
       "failed 2147942405\n",
       "Error: Failed to start 'cmd.exe': Error { code: HRESULT(0x80070005), message: \"The "
       "system cannot find the file specified.\" }\n",
       "C:\\Windows\\cmd.exe",
       "cmd.exe /c x",
       {}},
      {"v --vornalt-relay " + ID,
       {},
       {},
       {},
       1,
       "",
       "Error: The relay was given no command\n",
       "",
       "",
       {}},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.own_command_line = c.line;
    system.files = c.files;
    system.path_variable = ".;D:\\pwsh";
    system.pipe_result = c.pipe_result;
    system.pipe_reads = {"vars 0\n"};
    system.create_result = c.create_result;
    system.exit_status = 3;
    EXPECT_EQ(run_relay(system), c.status) << c.line;
    EXPECT_EQ(system.pipe_written, c.written) << c.line;
    EXPECT_EQ(system.err, c.err) << c.line;
    EXPECT_EQ(system.out, "");
    EXPECT_EQ(system.application, c.application) << c.line;
    if (!c.application.empty()) {
      // The shell gets exactly the rest of the line.
      EXPECT_EQ(to_wtf8(system.command_line), c.shell_line + std::string(1, '\0')) << c.line;
    }
    if (!c.written.empty()) {
      EXPECT_EQ(system.pipe_name, "\\\\.\\pipe\\vornalt-" + ID) << c.line;
    }
    if (!c.calls.empty()) {
      EXPECT_EQ(system.calls, c.calls) << c.line;
    }
  }
}

TEST(RunRelay, AShellWithoutAStatusEndsTheReportShort) {
  for (bool wait_fails : {true, false}) {
    testing::FakeSystem system;
    system.own_command_line = "v --vornalt-relay " + ID + " cmd.exe /c x";
    system.files = {"C:\\Windows\\System32\\cmd.exe"};
    system.pipe_reads = {"vars 0\n"};
    if (wait_fails) {
      system.wait_result = WAIT_EVENT{0xFFFFFFFF};
    } else {
      system.exit_result = error_from_win32(6);
    }
    EXPECT_EQ(run_relay(system), 1);
    EXPECT_EQ(system.pipe_written, "pid 5678\n");
  }
}

// The variables arrive before the shell starts, and only from a pipe that
// this program made; a command that needs them does not run without them.
TEST(RunRelay, SetsTheVariablesOrRunsNothing) {
  const std::string refused = "; the command does not run\n";
  const Calls ran = {"CreateFileW(pipe)",       "ReadFile(pipe)",
                     "SetEnvironmentVariableW", "SetEnvironmentVariableW",
                     "SetConsoleCtrlHandler",   "CreateProcessW(this console)"};
  const struct {
    std::string options;  // after the id
    std::string id = ID;
    std::vector<std::string> reads = {};
    Result pipe_result = {};
    bool server_is_vornalt = true;
    Result set_result = {};
    std::string err = "";
    Calls calls = {};  // the first calls
  } cases[] = {
      {"--variables", ID, {"vars 2\nset 5\nA=1 2\nunset 1\nB\n"}, {}, true, {}, "", ran},
      // In pieces, and without --variables too: the pipe is what counts.
      {"", ID, {"vars 2\nset 5\nA=1", " 2\nuns", "et 1\nB\n"}, {}, true, {}, "", {}},
      {"--variables",
       "-",
       {},
       {},
       true,
       {},
       "Error: The vornalt.exe that opened this window could not be reached" + refused,
       {"LetConsoleClose"}},
      {"--variables",
       ID,
       {},
       error_from_win32(2),
       true,
       {},
       "Error: The vornalt.exe that opened this window could not be reached" + refused,
       {"CreateFileW(pipe)", "LetConsoleClose"}},
      // Nothing is read from, or said to, a pipe that some other program made.
      {"",
       ID,
       {"vars 0\n"},
       {},
       false,
       {},
       "Error: A program other than vornalt.exe made the relay's pipe" + refused,
       {"CreateFileW(pipe)", "CloseHandle(pipe)", "LetConsoleClose"}},
      {"--variables",
       ID,
       {"vars 2\nset 5\nA=1 2\n"},
       {},
       true,
       {},
       "Error: The variables from vornalt.exe could not be read" + refused,
       {"CreateFileW(pipe)", "ReadFile(pipe)", "ReadFile(pipe)", "CloseHandle(pipe)",
        "LetConsoleClose"}},
      {"--variables",
       ID,
       {"vars 1\nset 3\nA=1\nx"},
       {},
       true,
       {},
       "Error: The variables from vornalt.exe could not be read" + refused,
       {}},
      {"--variables",
       ID,
       {"vars 2\nset 5\nA=1 2\nunset 1\nB\n"},
       {},
       true,
       error_from_win32(203),
       "Error: Failed to set the variable 'A': Error { code: HRESULT(0x800700CB), message: \"The "
       "system cannot find the file specified.\" }" +
           refused,
       {"CreateFileW(pipe)", "ReadFile(pipe)", "SetEnvironmentVariableW",
        "FormatMessageW(HRESULT(0x800700CB))", "CloseHandle(pipe)", "LetConsoleClose"}},
  };
  for (const auto& c : cases) {
    const std::string line = "v --vornalt-relay " + c.id + " " + c.options + " cmd.exe /c x";
    testing::FakeSystem system;
    system.own_command_line = line;
    system.files = {"C:\\Windows\\System32\\cmd.exe"};
    system.pipe_reads = c.reads;
    system.pipe_result = c.pipe_result;
    system.server_is_vornalt = c.server_is_vornalt;
    system.set_variable_result = c.set_result;
    system.exit_status = 3;
    const bool runs = c.err.empty();
    EXPECT_EQ(run_relay(system), runs ? 3 : 1) << line;
    EXPECT_EQ(system.err, c.err) << line;
    EXPECT_EQ(system.pipe_written, runs ? "pid 5678\nstatus 3\n" : "") << line;
    EXPECT_EQ(system.application, runs ? "C:\\Windows\\System32\\cmd.exe" : "") << line;
    if (runs) {
      EXPECT_EQ(system.variables_set, (std::vector<Variable>{{"A", "1 2"}, {"B", std::nullopt}}));
    }
    if (!c.calls.empty()) {
      EXPECT_EQ(Calls(system.calls.begin(),
                      system.calls.begin() + std::min(system.calls.size(), c.calls.size())),
                c.calls)
          << line;
    }
  }
}

// --size: the window is sized before the shell starts; a console that keeps
// it as it is gets a warning, and the command runs all the same.
TEST(RunRelay, SizesTheWindowBeforeTheShellStarts) {
  const std::string warning =
      "Warning: The window could not be made 100x40 cells: Error { code: HRESULT(0x80070057), "
      "message: \"The system cannot find the file specified.\" }\n";
  const struct {
    std::string options;
    Result refused;
    std::string err;
    Calls calls;  // the first ones
  } cases[] = {
      {"--size 100,40",
       {},
       "",
       {"SetConsoleWindowInfo(0,0,99,39)", "CreateProcessW(this console)"}},
      {"--keep --size 100,40",
       error_from_win32(87),
       warning,
       {"SetConsoleWindowInfo(0,0,99,39)", "FormatMessageW(HRESULT(0x80070057))",
        "CreateProcessW(this console)"}},
      {"", {}, "", {"CreateProcessW(this console)"}},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.own_command_line = "v --vornalt-relay - " + c.options + " cmd.exe /c x";
    system.files = {"C:\\Windows\\System32\\cmd.exe"};
    system.console_window_result = c.refused;
    system.exit_status = 3;
    EXPECT_EQ(run_relay(system), 3) << c.options;
    EXPECT_EQ(system.err, c.err) << c.options;
    Calls calls;
    for (const std::string& call : system.calls) {
      if (call.starts_with("SetConsoleW") || call.starts_with("SetConsoleS") ||
          call.starts_with("Create") || call.starts_with("Format"))
        calls.push_back(call);
    }
    calls.resize(std::min(calls.size(), c.calls.size()));
    EXPECT_EQ(calls, c.calls) << c.options;
  }
}

// -k: the status goes to the first vornalt before the window waits for a key;
// the keys pressed while the command ran are not that key.
TEST(RunRelay, KeepsTheWindowUntilAKeyIsPressed) {
  const std::string press = "Press any key to close this window.";
  const Result unreadable = error_from_win32(6);
  const std::string no_key =
      " No key can be read in this console: Error { code: HRESULT(0x80070006), message: \"The "
      "system cannot find the file specified.\" }\n";
  const struct {
    std::uint32_t status;
    Result console;
    std::string out;
  } cases[] = {
      {0, {}, "The command ended with exit status 0. " + press + "\n"},
      {3, {}, "The command ended with exit status 3. " + press + "\n"},
      {0xC000013A,
       {},
       "The command ended with exit status -1073741510 (0xC000013A). " + press + "\n"},
      {0x7FFFFFFF, {}, "The command ended with exit status 2147483647. " + press + "\n"},
      {0x80000000,
       {},
       "The command ended with exit status -2147483648 (0x80000000). " + press + "\n"},
      {3, unreadable, "The command ended with exit status 3. " + press + no_key},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.own_command_line = "v --vornalt-relay " + ID + " --keep cmd.exe /c x";
    system.files = {"C:\\Windows\\System32\\cmd.exe"};
    system.pipe_reads = {"vars 0\n"};
    system.exit_status = c.status;
    system.console_input_result = c.console;
    EXPECT_EQ(run_relay(system), static_cast<int>(c.status));
    EXPECT_EQ(system.out, c.out);
    // A key pressed once the prompt shows is never discarded.
    EXPECT_EQ(system.out_when_discarded, "");
    EXPECT_EQ(system.pipe_written, "pid 5678\nstatus " + std::to_string(c.status) + "\n");
    const Calls last(system.calls.end() - 5, system.calls.end());
    EXPECT_EQ(last, (Calls{"CloseHandle(shell)", "CloseHandle(shell thread)", "LetConsoleClose",
                           "FlushConsoleInputBuffer",
                           c.console.ok() ? "ReadConsoleInputW"
                                          : "FormatMessageW(HRESULT(0x80070006))"}));
  }
  // It waits after a failure too, so that the line can be read: a refusal,
  // or a shell that did not start.
  for (const char* files : {"C:\\Windows\\System32\\cmd.exe", ""}) {
    testing::FakeSystem system;
    system.own_command_line = "v --vornalt-relay - --keep --variables cmd.exe /c x";
    if (*files == '\0') system.own_command_line = "v --vornalt-relay - --keep cmd.exe /c x";
    system.files = {files};
    EXPECT_EQ(run_relay(system), 1);
    EXPECT_EQ(system.out, press + "\n");
    EXPECT_EQ(system.calls.back(), "ReadConsoleInputW");
  }
  testing::FakeSystem without_keep;
  without_keep.own_command_line = "v --vornalt-relay - cmd.exe /c x";
  without_keep.files = {"C:\\Windows\\System32\\cmd.exe"};
  EXPECT_EQ(run_relay(without_keep), 0);
  EXPECT_EQ(without_keep.out, "");
  EXPECT_EQ(without_keep.calls.back(), "LetConsoleClose");
}

}  // namespace
}  // namespace vornalt
