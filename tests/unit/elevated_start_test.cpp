#include "elevated/elevated_start.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "run.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

using Calls = std::vector<std::string>;

const std::string ID = "0123456789abcdeffedcba9876543210";

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
    StartupWindow window = {};  // of the host's STARTUPINFO
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
      // The host's window as a plain start would open it.
      {"\"C:\\tools\\vornalt.exe\" --vornalt-elevated " + ID +
           " --show 7 --pos -1200,80 \"C:\\a b\\\\\" C:\\Windows\\System32\\conhost.exe "
           "conhost.exe cmd.exe /c title && x",
       true,
       {"vars 1\nset 5\nA=1 2\n"},
       {},
       7,
       "pid 4120\n",
       {},
       {.show = ShowCommand::show_min_no_activate, .position = Pixels{-1200, 80}}},
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
    EXPECT_EQ(system.start_window, c.window) << c.own_line;
    if (!c.calls.empty() || (c.own_line != line && c.status != 7)) {
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
