#include "elevated/elevated_start.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace vornalt {
namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

const std::string ID = "0123456789abcdeffedcba9876543210";
const std::string PIPE = "\\\\.\\pipe\\vornalt-" + ID + "-elevated";
const std::string HOST = "C:\\Windows\\System32\\conhost.exe";

// What went over the pipe, and its ends still open, as the host is waited
// for.
using AtWait = std::optional<std::pair<std::string, int>>;

// The elevated start believes only a pipe that this program made, starts
// only what its own command line says, and stands in for the host once the
// first vornalt has its id.
TEST(RunElevated, StartsTheHostOfItsLineAndStandsInForIt) {
  const struct {
    std::string words = ID + " \"C:\\a b\\\\\" " + HOST + " conhost.exe cmd.exe /c title && x";
    bool maker_is_vornalt = true;
    Names reads = {"vars 1\nset 5\nA=1 2\n"};
    Result create = {};
    int status = 7;
    std::string written = "pid 4120\n";  // empty: no host started
    StartupWindow window = {};           // of the host's STARTUPINFO
    Names opened = {PIPE};
    std::size_t unread = 0;  // pieces
  } cases[] = {
      {},
      // The host's window as a plain start would open it.
      {.words = ID + " --show 7 --pos -1200,80 \"C:\\a b\\\\\" " + HOST +
                " conhost.exe cmd.exe /c title && x",
       .window = {.show = ShowCommand::show_min_no_activate, .position = Pixels{-1200, 80}}},
      // Nothing read from a pipe that some other program made, and nothing
      // started without the whole variables.
      {.maker_is_vornalt = false, .status = 1, .written = "", .unread = 1},
      {.reads = {"vars 2\nset 3\nA=1\n"}, .status = 1, .written = ""},
      {.create = error_from_win32(5), .status = 1, .written = "failed 2147942405\n"},
      // No host on the line, or no pipe's id: nothing at all.
      {.words = ID + " C:\\work", .status = 1, .written = "", .opened = {}, .unread = 1},
      {.words = "x C:\\w C:\\conhost.exe conhost.exe x",
       .status = 1,
       .written = "",
       .opened = {},
       .unread = 1},
  };
  for (const auto& c : cases) {
    testing::FakeProcesses processes;
    testing::FakePipes pipes;
    testing::FakeEnvironment environment;
    processes.own_command_line = "\"C:\\tools\\vornalt.exe\" --vornalt-elevated " + c.words;
    pipes.maker_is_vornalt = c.maker_is_vornalt;
    pipes.reads = c.reads;
    processes.create_result = c.create;
    processes.exit_status = 7;
    AtWait at_wait;
    processes.on_wait = [&](const std::string&) { at_wait = {pipes.written, pipes.ends_open}; };
    EXPECT_EQ(run_elevated_start(processes, pipes, environment), c.status) << c.words;
    EXPECT_EQ(pipes.written, c.written) << c.words;
    EXPECT_EQ(pipes.opened, c.opened) << c.words;
    EXPECT_EQ(pipes.reads.size(), c.unread) << c.words;
    EXPECT_EQ(processes.open, Names{}) << c.words;
    EXPECT_EQ(pipes.ends_open, 0) << c.words;
    // The first vornalt has the host's id, and the pipe is closed, while
    // the host runs.
    EXPECT_EQ(at_wait, c.status == 7 ? AtWait({c.written, 0}) : AtWait()) << c.words;
    ASSERT_EQ(processes.starts.size(), c.written.empty() ? 0u : 1u) << c.words;
    if (c.written.empty()) continue;
    const testing::Start& host = processes.starts[0];
    EXPECT_EQ(host.application, HOST);
    EXPECT_EQ(host.line(), "conhost.exe cmd.exe /c title && x");
    EXPECT_EQ(host.folder, "C:\\a b\\");
    EXPECT_EQ(host.environment, u"=C:=C:\\work\0A=1 2\0Path=C:\\Windows\0\0"s);
    EXPECT_EQ(host.window, c.window) << c.words;
    EXPECT_TRUE(host.new_console);
  }
}

}  // namespace
}  // namespace vornalt
