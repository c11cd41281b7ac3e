#include "relay/relay.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace vornalt {
namespace {

using Names = std::vector<std::string>;

const std::string ID = "0123456789abcdef0123456789abcdef";
const std::string PIPE = "\\\\.\\pipe\\vornalt-" + ID;
const std::string CMD = "C:\\Windows\\System32\\cmd.exe";
const std::string REPORT = "pid 5678\nstatus 3\n";
const std::string MESSAGE = "message: \"The system cannot find the file specified.\" }";

// The relay's seams, with a first vornalt that sends no variables and a
// shell that ends with status 3; and what was seen at the moments that
// count: the shell's start, the wait for it, and the console let close.
struct Relay {
  testing::FakeConsole console;
  testing::FakeMessages messages;
  testing::FakeProcesses processes;
  testing::FakePipes pipes;
  testing::FakePaths paths;
  testing::FakeEnvironment environment;

  struct AtStart {
    bool events_held;
    std::vector<Variable> variables;
    CellRect window;
    std::string err;
  };
  std::optional<AtStart> at_start;
  std::optional<std::string> written_at_wait;
  struct AtClose {
    bool key_awaited;
    std::string written;
    int ends_open;
    Names open;
  };
  std::optional<AtClose> at_close;

  Relay() {
    pipes.reads = {"vars 0\n"};
    processes.exit_status = 3;
    environment.strings = {"Path=.;D:\\pwsh"};
    processes.on_start = [this](const testing::Start&) {
      at_start = {console.events_held, environment.set, console.screen.window, console.err};
    };
    processes.on_wait = [this](const std::string&) { written_at_wait = pipes.written; };
    console.on_let_close = [this] {
      if (!at_close) {
        at_close = {console.key_awaited, pipes.written, pipes.ends_open, processes.open};
      }
    };
  }

  /// Runs the relay of `words` (after the marker). What it had to report is
  /// out, and the pipe and the shell's handles closed, before the console
  /// may close and before any key is waited for.
  int run(const std::string& words) {
    processes.own_command_line = "C:\\tools\\vornalt.exe --vornalt-relay " + words;
    Output output(console, messages);
    const int status = run_relay(output, processes, pipes, paths, environment);
    if (at_close) {
      EXPECT_FALSE(at_close->key_awaited) << words;
      EXPECT_EQ(at_close->written, pipes.written) << words;
      EXPECT_EQ(at_close->ends_open, 0) << words;
      EXPECT_EQ(at_close->open, Names{}) << words;
    }
    EXPECT_FALSE(console.events_held) << words;
    EXPECT_EQ(processes.open, Names{}) << words;
    EXPECT_EQ(pipes.ends_open, 0) << words;
    return status;
  }
};

TEST(RunRelay, RunsTheShellInThisConsoleAndReportsIt) {
  const struct {
    std::string words;  // after the marker
    Names files = {CMD};
    Result open_result = {};
    Result create_result = {};
    int status = 3;
    std::string written = REPORT;
    std::string err = "";
    std::string application = CMD;  // empty: nothing started
  } cases[] = {
      {.words = ID + " cmd.exe /c title  && x"},
      // Never a shell from vornalt.exe's own folder (or the current one).
      {.words = ID + " pwsh.exe -EncodedCommand QQA=",
       .files = {"C:\\tools\\pwsh.exe", "D:\\pwsh\\pwsh.exe"},
       .application = "D:\\pwsh\\pwsh.exe"},
      // Without its first vornalt, or started by hand, it still runs.
      {.words = ID + " cmd.exe /c x", .open_result = error_from_win32(2), .written = ""},
      {.words = "by-hand cmd.exe /c x", .written = ""},
      // The shell found nowhere, or not started: the failure goes both ways.
      {.words = ID + " pwsh.exe -EncodedCommand QQA=",
       .files = {},
       .status = 1,
       .written = "failed 2147942402\n",
       .err = "Error: Failed to start 'pwsh.exe': Error { code: HRESULT(0x80070002), " + MESSAGE +
              "\n",
       .application = ""},
      {.words = ID + " cmd.exe /c x",
       .files = {"C:\\Windows\\cmd.exe"},
       .create_result = error_from_win32(5),
       .status = 1,
       .written = "failed 2147942405\n",
       .err =
           "Error: Failed to start 'cmd.exe': Error { code: HRESULT(0x80070005), " + MESSAGE + "\n",
       .application = "C:\\Windows\\cmd.exe"},
      {.words = ID,
       .status = 1,
       .written = "",
       .err = "Error: The relay was given no command\n",
       .application = ""},
  };
  for (const auto& c : cases) {
    Relay relay;
    relay.paths.files = c.files;
    relay.pipes.open_result = c.open_result;
    relay.processes.create_result = c.create_result;
    EXPECT_EQ(relay.run(c.words), c.status) << c.words;
    EXPECT_EQ(relay.pipes.written, c.written) << c.words;
    EXPECT_EQ(relay.console.err, c.err) << c.words;
    EXPECT_EQ(relay.console.out, "");
    EXPECT_FALSE(relay.console.key_awaited);
    EXPECT_EQ(relay.pipes.opened, c.words.starts_with(ID + " ") ? Names{PIPE} : Names{}) << c.words;
    ASSERT_EQ(relay.processes.starts.size(), c.application.empty() ? 0u : 1u) << c.words;
    if (c.application.empty()) continue;
    const testing::Start& shell = relay.processes.starts[0];
    EXPECT_EQ(shell.application, c.application) << c.words;
    // In this console, with exactly the rest of the line; Ctrl+C and a
    // closing window are the shell's while it runs.
    EXPECT_FALSE(shell.new_console);
    EXPECT_EQ(shell.line(), c.words.substr(c.words.find(' ') + 1));
    EXPECT_TRUE(relay.at_start->events_held) << c.words;
    // The first vornalt learns the shell's id while it runs.
    if (c.status == 3) {
      EXPECT_EQ(relay.written_at_wait, c.written.empty() ? "" : "pid 5678\n") << c.words;
    }
  }
}

// The variables arrive before the shell starts, and only from a pipe that
// this program made; a command that needs them does not run without them.
TEST(RunRelay, SetsTheVariablesOrRunsNothing) {
  const std::string refused = "; the command does not run\n";
  const std::string unreachable =
      "Error: The vornalt.exe that opened this window could not be reached" + refused;
  const std::string unreadable =
      "Error: The variables from vornalt.exe could not be read" + refused;
  const struct {
    std::string words;  // after the marker
    Names reads = {"vars 2\nset 5\nA=1 2\nunset 1\nB\n"};
    Result open_result = {};
    bool maker_is_vornalt = true;
    Result set_result = {};
    std::string err = "";    // empty: the command runs
    std::size_t unread = 0;  // pieces
  } cases[] = {
      {.words = ID + " --variables cmd.exe /c x"},
      // In pieces, and without --variables too: the pipe is what counts.
      {.words = ID + " cmd.exe /c x", .reads = {"vars 2\nset 5\nA=1", " 2\nuns", "et 1\nB\n"}},
      {.words = "- --variables cmd.exe /c x", .reads = {}, .err = unreachable},
      {.words = ID + " --variables cmd.exe /c x",
       .reads = {},
       .open_result = error_from_win32(2),
       .err = unreachable},
      // Nothing is read from, or said to, a pipe that some other program made.
      {.words = ID + " cmd.exe /c x",
       .maker_is_vornalt = false,
       .err = "Error: A program other than vornalt.exe made the relay's pipe" + refused,
       .unread = 1},
      {.words = ID + " --variables cmd.exe /c x",
       .reads = {"vars 2\nset 5\nA=1 2\n"},
       .err = unreadable},
      {.words = ID + " --variables cmd.exe /c x",
       .reads = {"vars 1\nset 3\nA=1\nx"},
       .err = unreadable},
      {.words = ID + " --variables cmd.exe /c x",
       .set_result = error_from_win32(203),
       .err = "Error: Failed to set the variable 'A': Error { code: HRESULT(0x800700CB), " +
              MESSAGE + refused},
  };
  for (const auto& c : cases) {
    Relay relay;
    relay.pipes.reads = c.reads;
    relay.pipes.open_result = c.open_result;
    relay.pipes.maker_is_vornalt = c.maker_is_vornalt;
    relay.environment.set_result = c.set_result;
    const bool runs = c.err.empty();
    EXPECT_EQ(relay.run(c.words), runs ? 3 : 1) << c.words;
    EXPECT_EQ(relay.console.err, c.err) << c.words;
    EXPECT_EQ(relay.pipes.written, runs ? REPORT : "") << c.words;
    EXPECT_EQ(relay.pipes.reads.size(), c.unread) << c.words;
    EXPECT_EQ(relay.pipes.opened.empty(), c.words.starts_with("-")) << c.words;
    EXPECT_EQ(relay.processes.starts.size(), runs ? 1u : 0u) << c.words;
    if (runs) {
      EXPECT_EQ(relay.at_start->variables, (std::vector<Variable>{{"A", "1 2"}, {"B", {}}}));
    }
  }
}

// --size: the window is sized before the shell starts; a console that keeps
// it as it is gets a warning, and the command runs all the same.
TEST(RunRelay, SizesTheWindowBeforeTheShellStarts) {
  const struct {
    std::string options;
    Result refused = {};
    CellRect window = {0, 0, 119, 29};  // as the shell starts
    std::string warning = "";
  } cases[] = {
      {.options = "--size 100,40", .window = {0, 0, 99, 39}},
      {.options = "--keep --size 100,40",
       .refused = error_from_win32(87),
       .warning = "Warning: The window could not be made 100x40 cells: Error { code: "
                  "HRESULT(0x80070057), " +
                  MESSAGE + "\n"},
      {.options = ""},
  };
  for (const auto& c : cases) {
    Relay relay;
    relay.console.window_result = c.refused;
    EXPECT_EQ(relay.run("- " + c.options + " cmd.exe /c x"), 3) << c.options;
    EXPECT_EQ(relay.at_start->window, c.window) << c.options;
    EXPECT_EQ(relay.at_start->err, c.warning) << c.options;
    EXPECT_EQ(relay.console.err, c.warning) << c.options;
  }
}

// -k: the window waits for a key once the status is out (Relay::run); the
// keys pressed while the command ran are not that key. A shell without a
// status ends the report short.
TEST(RunRelay, KeepsTheWindowUntilAKeyIsPressed) {
  const std::string press = "Press any key to close this window.";
  const std::string no_status = "The command ended; its exit status could not be read. ";
  const struct {
    std::uint32_t status = 3;  // the shell's
    WAIT_EVENT wait = WAIT_EVENT_OBJECT_0;
    Result exit_result = {};
    Result input = {};  // the console's
    std::string said;   // before the prompt
  } cases[] = {
      {.status = 0, .said = "The command ended with exit status 0. "},
      {.said = "The command ended with exit status 3. "},
      {.status = 0xC000013A,
       .said = "The command ended with exit status -1073741510 (0xC000013A). "},
      {.status = 0x7FFFFFFF, .said = "The command ended with exit status 2147483647. "},
      {.status = 0x80000000,
       .said = "The command ended with exit status -2147483648 (0x80000000). "},
      {.input = error_from_win32(6), .said = "The command ended with exit status 3. "},
      {.wait = WAIT_EVENT{0xFFFFFFFF}, .said = no_status},
      {.exit_result = error_from_win32(6), .said = no_status},
  };
  for (const auto& c : cases) {
    Relay relay;
    relay.processes.exit_status = c.status;
    relay.processes.wait_result = c.wait;
    relay.processes.exit_result = c.exit_result;
    relay.console.input_result = c.input;
    const bool ended = c.said != no_status;
    EXPECT_EQ(relay.run(ID + " --keep cmd.exe /c x"), ended ? static_cast<int>(c.status) : 1);
    const std::string written =
        ended ? "pid 5678\nstatus " + std::to_string(c.status) + "\n" : "pid 5678\n";
    EXPECT_EQ(relay.pipes.written, written);
    EXPECT_EQ(relay.console.out,
              c.said + press +
                  (c.input.ok() ? "\n"
                                : " No key can be read in this console: Error { code: "
                                  "HRESULT(0x80070006), " +
                                      MESSAGE + "\n"));
    // A key pressed once the prompt shows is never discarded.
    EXPECT_EQ(relay.console.out_when_discarded, "");
    EXPECT_TRUE(relay.at_close.has_value());
    EXPECT_EQ(relay.console.key_awaited, c.input.ok());
  }
  // It waits after a failure too, so that the line can be read: a refusal,
  // or a shell that did not start.
  for (const Names& files : {Names{CMD}, Names{}}) {
    Relay relay;
    relay.paths.files = files;
    EXPECT_EQ(relay.run(files.empty() ? "- --keep cmd.exe /c x" : "- --keep --variables cmd.exe"),
              1);
    EXPECT_EQ(relay.console.out, press + "\n");
    EXPECT_TRUE(relay.at_close && relay.console.key_awaited);
  }
}

}  // namespace
}  // namespace vornalt
