#include "relay.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "wtf8.h"

namespace vornalt {
namespace {

using Calls = std::vector<std::string>;

const std::string ID = "0123456789abcdef0123456789abcdef";

TEST(RunRelay, RunsTheShellInThisConsoleAndReportsIt) {
  const struct {
    std::string line;
    std::vector<std::string> files;
    Result pipe_result;
    Result create_result;
    int status;
    std::string written, err, application;
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
       {"CreateFileW(pipe)", "SetConsoleCtrlHandler", "CreateProcessW(this console)",
        "WriteFile(pipe)", "WaitForSingleObject(shell,4294967295)", "GetExitCodeProcess(shell)",
        "WriteFile(pipe)", "CloseHandle(pipe)", "CloseHandle(shell)", "CloseHandle(shell thread)",
        "ReportDone"}},
      // Never a shell from vornalt.exe's own folder (or the current one).
      {"C:\\tools\\vornalt.exe --vornalt-relay " + ID + " pwsh.exe -EncodedCommand QQA=",
       {"C:\\tools\\pwsh.exe", "D:\\pwsh\\pwsh.exe"},
       {},
       {},
       3,
       "pid 5678\nstatus 3\n",
       "",
       "D:\\pwsh\\pwsh.exe",
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
       {}},
      {"vornalt --vornalt-relay by-hand cmd.exe /c x",
       {"C:\\Windows\\System32\\cmd.exe"},
       {},
       {},
       3,
       "",
       "",
       "C:\\Windows\\System32\\cmd.exe",
       {"SetConsoleCtrlHandler", "CreateProcessW(this console)",
        "WaitForSingleObject(shell,4294967295)", "GetExitCodeProcess(shell)", "CloseHandle(shell)",
        "CloseHandle(shell thread)", "ReportDone"}},
      // The shell found nowhere, or not started: the failure goes both ways.
      {"v --vornalt-relay " + ID + " pwsh.exe -EncodedCommand QQA=",
       {},
       {},
       {},
       1,
       "failed 2147942402\n",
       "Failed to start 'pwsh.exe': Error { code: HRESULT(0x80070002), message: \"The system "
       "cannot find the file specified.\" }\n",
       "",
       {"CreateFileW(pipe)", "SetConsoleCtrlHandler", "WriteFile(pipe)", "CloseHandle(pipe)",
        "FormatMessageW(HRESULT(0x80070002))", "ReportDone"}},
      {"v --vornalt-relay " + ID + " cmd.exe /c x",
       {"C:\\Windows\\cmd.exe"},
       {},
       error_from_win32(5),
       1,
       "failed 2147942405\n",
       "Failed to start 'cmd.exe': Error { code: HRESULT(0x80070005), message: \"The system "
       "cannot find the file specified.\" }\n",
       "C:\\Windows\\cmd.exe",
       {}},
      {"v --vornalt-relay " + ID,
       {},
       {},
       {},
       1,
       "",
       "Error: The relay was given no command\n",
       "",
       {}},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.own_command_line = c.line;
    system.files = c.files;
    system.path_variable = ".;D:\\pwsh";
    system.pipe_result = c.pipe_result;
    system.create_result = c.create_result;
    system.exit_status = 3;
    EXPECT_EQ(run_relay(system), c.status) << c.line;
    EXPECT_EQ(system.pipe_written, c.written) << c.line;
    EXPECT_EQ(system.err, c.err) << c.line;
    EXPECT_EQ(system.out, "");
    EXPECT_EQ(system.application, c.application) << c.line;
    if (!c.application.empty()) {
      // The shell gets exactly the rest of the line.
      EXPECT_EQ(to_wtf8(system.command_line),
                c.line.substr(c.line.find(ID) + ID.size() + 1) + std::string(1, '\0'));
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
    if (wait_fails) {
      system.wait_result = WAIT_EVENT{0xFFFFFFFF};
    } else {
      system.exit_result = error_from_win32(6);
    }
    EXPECT_EQ(run_relay(system), 1);
    EXPECT_EQ(system.pipe_written, "pid 5678\n");
  }
}

TEST(IsRelay, OnlyTheMarkerAsTheSecondWord) {
  using Args = std::vector<std::string>;
  EXPECT_TRUE(is_relay(Args{"vornalt.exe", "--vornalt-relay"}));
  EXPECT_TRUE(is_relay(Args{"v", "--vornalt-relay", "x", "cmd.exe"}));
  EXPECT_FALSE(is_relay(Args{"v", "wt", "--vornalt-relay"}));
  EXPECT_FALSE(is_relay(Args{"v", "--VORNALT-RELAY", "x"}));
  EXPECT_FALSE(is_relay(Args{"v"}));
}

}  // namespace
}  // namespace vornalt
