#include "run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "composed_lines.h"
#include "fakes.h"
#include "help_screen.h"

namespace vornalt {
namespace {

using Args = std::vector<std::string>;
using testing::composed_line;

// Runs vornalt.exe with `args` on the fakes of `system`; its exit status.
int run_on(testing::FakeSystem& system, Args args) {
  args.insert(args.begin(), "vornalt.exe");
  return run(args, system);
}

// `args` with `flags` after the target.
Args with(Args args, const Args& flags) {
  args.insert(args.begin() + 1, flags.begin(), flags.end());
  return args;
}

// Nothing was started, nor made or asked for a start.
bool started_nothing(const testing::FakeSystem& system) {
  return system.processes.starts.empty() && system.pipes.made.empty() && !system.elevation.program;
}

// The summary's first lines for a request with no title.
const std::string CONHOST = "Target:    conhost\nShell:     cmd\nTitle:     \n";
const std::string WT = "Target:    wt\nShell:     cmd\nTitle:     \n";

TEST(RoleOf, OnlyAMarkerAsTheSecondWordExactly) {
  const struct {
    Args args;
    Role role;
  } cases[] = {
      {{"vornalt.exe", "--vornalt-relay"}, Role::relay},
      {{"v", "--vornalt-relay", "x", "cmd.exe"}, Role::relay},
      {{"v", "--vornalt-elevated", "x"}, Role::elevated_start},
      {{"v", "wt", "--vornalt-relay"}, Role::launch},
      {{"v", "--VORNALT-RELAY", "x"}, Role::launch},
      {{"v", "--vornalt-elevated-x"}, Role::launch},
      {{"v"}, Role::launch},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(role_of(c.args), c.role) << ::testing::PrintToString(c.args);
  }
}

TEST(Run, HelpVersionAndUsageErrorsStartNothing) {
  const std::string help(testing::HELP_SCREEN_80);
  const struct {
    Args args;
    int status = 0;
    std::string err = "";  // before `out`
    std::string out;
  } cases[] = {
      {.args = {"-h"}, .out = help},
      {.args = {"/?", "wt", "x"}, .out = help},
      {.args = {}, .status = 1, .err = "Error: No arguments provided\n\n", .out = help},
      {.args = {"x"},
       .status = 1,
       .err = "Error: Unknown target 'x' (expected 'wt' or 'conhost')\n\n",
       .out = help},
      {.args = {"wt"},
       .status = 1,
       .err = "Error: Missing command (nothing after target/options)\n\n",
       .out = help},
      {.args = {"--version", "wt", "x"}, .out = "vornalt Console Launcher, v1.0.0\n"},
      {.args = {"/version", "wt", "x"}, .out = "vornalt Console Launcher, v1.0.0\n"},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    EXPECT_EQ(run_on(system, c.args), c.status);
    EXPECT_EQ(system.console.err, c.err);
    EXPECT_EQ(system.console.both, c.err + c.out);
    EXPECT_TRUE(started_nothing(system));
  }
}

TEST(Run, CmdCommandsThatCmdCannotCarryAreRefusedBeforeAnythingStarts) {
  const std::string line_break =
      "Error: A command word holds a line break, which cmd.exe cannot pass on (use -s pwsh or -s "
      "powershell)\n";
  const struct {
    Args args;
    std::string err;
  } cases[] = {
      {{"conhost", "echo", "a\nb"}, line_break},
      {{"wt", "-q", "echo", "a", "\r"}, line_break},
      {{"wt", "-s", "pwsh", "-s", "cmd", "x", "\r\n"}, line_break},
      {{"wt", "-n", "x", "\n"}, line_break},
      // The PowerShell script carries line breaks, and the title is written
      // for cmd's title command without them.
      {{"conhost", "-s", "pwsh", "echo", "a\nb"}, ""},
      {{"wt", "-s", "powershell", "echo", "a\r\nb"}, ""},
      {{"conhost", "-t", "a\nb", "x"}, ""},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    EXPECT_EQ(run_on(system, c.args), c.err.empty() ? 0 : 1);
    EXPECT_EQ(system.console.err, c.err);
    EXPECT_EQ(system.console.out.empty(), !c.err.empty());  // no summary when refused
    EXPECT_EQ(started_nothing(system), !c.err.empty());
  }
}

// What a run prints: a warning about the command's first word before
// anything else; the summary, which names the variables but shows no value,
// and the line; what started, or, whatever -q says, why nothing did. The dry
// run prints the host in place of the start, and starts nothing.
TEST(Run, PrintsTheSummaryTheLineAndTheStart) {
  const struct {
    Args args;
    std::string summary;                                        // before the line
    std::string after = "Launched 'conhost' with PID: 4120\n";  // after the line, in a run
    Result create = {};
    std::string warning = "";
  } cases[] = {
      {.args = {"wt", "-t", "Plain Title", "cmd", "/c", "echo", "Hello", "&&", "pause"},
       .summary = "Target:    wt\nShell:     cmd\nTitle:     Plain Title\n"
                  "Arguments: cmd /c echo Hello ^&^& pause\n",
       .after = "Launched 'wt' with PID: 4120\n"},
      {.args = {"conhost", "-t", "A & B", "x"},
       .summary = "Target:    conhost\nShell:     cmd\nTitle:     A & B\nArguments: x\n"},
      {.args = {"conhost", "-d", "C:\\work", "x"},
       .summary = CONHOST + "Folder:    C:\\work\nArguments: x\n"},
      {.args = {"conhost", "-v", "SECRET=s3 cr3t", "-v", "Path=", "x"},
       .summary = CONHOST + "Variables: SECRET, Path\nArguments: x\n"},
      {.args = {"conhost", "-w", "x"}, .summary = CONHOST + "Arguments: x\n"},
      {.args = {"conhost", "-e", "x"},
       .summary = CONHOST + "Arguments: x\n",
       .after = "Launched 'conhost' with PID: 4120\nShell PID: 5678\n"},
      {.args = {"conhost", "--size=80,25", "x"},
       .summary = CONHOST + "Arguments: --size=80,25 x\n",
       .warning = "Warning: '--size=80,25' starts the command; an option's value is the next "
                  "word (--size 80,25)\n"},
      {.args = {"wt", "x"},
       .summary = WT + "Arguments: x\n",
       .after = "Failed to launch 'wt': Error { code: HRESULT(0x80070002), message: \"The system "
                "cannot find the file specified.\" }\n",
       .create = error_from_win32(2)},
  };
  for (const auto& c : cases) {
    for (const Args& flags : {Args{}, Args{"-q"}, Args{"-n"}, Args{"-n", "-q"}}) {
      const bool quiet = std::ranges::count(flags, "-q") == 1;
      const bool dry = std::ranges::count(flags, "-n") == 1;
      SCOPED_TRACE(::testing::PrintToString(with(c.args, flags)));
      testing::FakeSystem system;
      system.processes.create_result = c.create;
      system.pipes.reads = {"pid 5678\nstatus 0\n"};
      const bool fails = !dry && !c.create.ok();
      EXPECT_EQ(run_on(system, with(c.args, flags)), fails ? 1 : 0);
      const std::string host = "C:\\Windows\\System32\\" + c.args[0] + ".exe";
      const std::string line = composed_line(c.args);
      const std::string failure = fails ? c.after : "";
      EXPECT_EQ(system.console.err, quiet ? failure : c.warning + failure);
      EXPECT_EQ(system.console.both, quiet ? failure
                                           : c.warning + c.summary + "cmdline:   " + line + "\n" +
                                                 (dry ? "Host:      " + host + "\n" : c.after));
      if (dry) {
        EXPECT_TRUE(started_nothing(system));
        continue;
      }
      ASSERT_EQ(system.processes.starts.size(), 1u);
      EXPECT_EQ(system.processes.starts[0].application, host);
      EXPECT_EQ(system.processes.starts[0].line(), line);
    }
  }
}

// A host that cannot be found starts nothing; only one found nowhere gets the
// line that says where it was looked for. The dry run looks for it too, and
// fails as the run does.
TEST(Run, AHostThatCannotBeFoundStartsNothing) {
  const std::string where =
      " in vornalt.exe's own folder, the system folder, the Windows folder and the folders on "
      "PATH given by a full path, never in the current folder";
  const struct {
    Args args = {"conhost", "-w", "x"};
    Args files = {};
    Result folders = {};
    Result lookup = {};  // of PATH
    std::string code = "0x80070002";
    std::string detail = "";
  } cases[] = {
      {.detail = "Looked for conhost.exe" + where + "\n"},
      {.args = {"wt", "x"},
       .detail = "Looked for wt.exe" + where + "; Windows Terminal may not be installed\n"},
      {.files = {"C:\\Windows\\conhost.exe"}, .folders = error_from_win32(5), .code = "0x80070005"},
      {.files = {"C:\\a\\conhost.exe"}, .lookup = error_from_win32(8), .code = "0x80070008"},
  };
  for (const auto& c : cases) {
    for (const Args& flags : {Args{}, Args{"-q"}, Args{"-n"}, Args{"-n", "-q"}}) {
      SCOPED_TRACE(c.code + " " + ::testing::PrintToString(flags));
      testing::FakeSystem system;
      system.paths.files = c.files;
      system.paths.folder_result = c.folders;
      system.environment.lookup_result = c.lookup;
      EXPECT_EQ(run_on(system, with(c.args, flags)), 1);
      EXPECT_EQ(system.console.err, "Failed to launch '" + c.args[0] + "': Error { code: HRESULT(" +
                                        c.code +
                                        "), message: \"The system cannot find the file "
                                        "specified.\" }\n" +
                                        c.detail);
      const std::string summary = (c.args[0] == "wt" ? WT : CONHOST) +
                                  "Arguments: x\ncmdline:   " + composed_line(c.args) + "\n";
      EXPECT_EQ(system.console.out, std::ranges::count(flags, "-q") ? "" : summary);
      EXPECT_TRUE(started_nothing(system));
    }
  }
}

TEST(Run, TheStartingFolder) {
  const std::string deep = "C:\\" + std::string(253, 'd') + "\\";  // 257 characters
  const std::string missing =
      "Failed to use folder 'C:\\work\\missing': Error { code: HRESULT(0x80070003), message: "
      "\"The system cannot find the path specified.\" }\n";
  const struct {
    Args args;               // after -q
    std::string started_in;  // by conhost.exe
    Args line_of = {};       // the table's request whose line it starts
    std::string err = "";    // nothing starts
  } cases[] = {
      // The longest folder a program can start in; one more is refused
      // before anything starts, not by a failed start that names no folder.
      {.args = {"conhost", "-d", deep + "x", "x"}, .started_in = deep + "x"},
      // Its last backslash is not counted.
      {.args = {"conhost", "-d", deep + "x\\", "x"}, .started_in = deep + "x\\"},
      {.args = {"wt", "-d", deep + "\xF0\x9F\x98\x80", "x"},
       .err = "Failed to use folder '" + deep +
              "\xF0\x9F\x98\x80': it has 259 characters, over the 258 that Windows allows for the "
              "folder a program starts in\n"},
      {.args = {"conhost", "-d", "C:\\work", "x"}, .started_in = "C:\\work"},
      // Made absolute against the current folder; wt.exe gets it on its line.
      {.args = {"wt", "-d", "src", "x"}, .line_of = {"wt", "-d", "C:\\work\\src", "x"}},
      {.args = {"conhost", "-d", "missing", "x"}, .err = missing},
      // The dry run checks it as a run would.
      {.args = {"conhost", "-n", "-d", "missing", "x"}, .err = missing},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    testing::FakeSystem system;
    system.paths.folders = {"C:\\work", "C:\\work\\src", deep + "x", deep + "x\\",
                            deep + "\xF0\x9F\x98\x80"};
    system.messages.message = "The system cannot find the path specified.";
    EXPECT_EQ(run_on(system, with(c.args, {"-q"})), c.err.empty() ? 0 : 1);
    EXPECT_EQ(system.console.both, c.err);
    if (!c.err.empty()) {
      EXPECT_TRUE(started_nothing(system));
      continue;
    }
    ASSERT_EQ(system.processes.starts.size(), 1u);
    EXPECT_EQ(system.processes.starts[0].folder, c.started_in);
    if (!c.line_of.empty()) {
      EXPECT_EQ(system.processes.starts[0].line(), composed_line(c.line_of));
    }
    EXPECT_TRUE(system.processes.open.empty());
  }
}

// wt.exe replaces %NAME% and unpaired surrogates in the relay's own path:
// its short name passes, or nothing starts.
TEST(Run, TheRelaysPathReachesWtUnchanged) {
  const std::string refused = "), and the path has no short name that it would\n";
  const struct {
    std::string target = "wt";
    std::string program, short_name = "";
    std::string relay = "";  // as on the line; empty: refused
    std::string err = "";
    Result lookup = {};  // of the variables in the path
  } cases[] = {
      {.program = "C:\\%USERNAME%\\vornalt.exe",
       .short_name = "C:\\USERNA~1\\vornalt.exe",
       .relay = "C:\\USERNA~1\\vornalt.exe"},
      {.program = "C:\\%USERNAME%\\vornalt.exe",
       .err = "Error: wt.exe would not pass on the path of vornalt.exe, "
              "'C:\\%USERNAME%\\vornalt.exe', as it is (%USERNAME% is a variable that it would "
              "replace" +
              refused},
      {.program = "C:\\x\xED\xA0\x80\\vornalt.exe",
       .short_name = "C:\\X~1\\vornalt.exe",
       .relay = "C:\\X~1\\vornalt.exe"},
      {.program = "C:\\x\xED\xA0\x80\\vornalt.exe",
       .short_name = "C:\\x\xED\xA0\x80\\v.exe",
       .err = "Error: wt.exe would not pass on the path of vornalt.exe, "
              "'C:\\x\xED\xA0\x80\\vornalt.exe', as it is (it holds an unpaired surrogate" +
              refused},
      // What wt.exe leaves as it is stays: an undefined name, a lone %. The
      // search goes on after an undefined name's second %.
      {.program = "C:\\%NOT_SET%\\100%\\%%\\v.exe", .relay = "C:\\%NOT_SET%\\100%\\%%\\v.exe"},
      {.program = "C:\\%UNSET%USERNAME%\\v.exe",
       .short_name = "C:\\UNSET~1\\v.exe",
       .relay = "C:\\%UNSET%USERNAME%\\v.exe"},
      // A name that cannot be looked up may be replaced.
      {.program = "C:\\%X%\\v.exe",
       .short_name = "C:\\X~1\\v.exe",
       .relay = "C:\\X~1\\v.exe",
       .lookup = error_from_win32(5)},
      // conhost.exe hands every unit on.
      {.target = "conhost", .program = "C:\\%USERNAME%\\v.exe", .relay = "C:\\%USERNAME%\\v.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    testing::FakeSystem system;
    system.paths.program_file = c.program;
    system.paths.short_name = c.short_name;
    system.environment.strings.push_back("username=me");
    system.environment.lookup_result = c.lookup;
    EXPECT_EQ(run_on(system, {c.target, "-q", "-k", "x"}), c.relay.empty() ? 1 : 0);
    EXPECT_EQ(system.console.err, c.err);
    if (c.relay.empty()) {
      EXPECT_TRUE(started_nothing(system));
      continue;
    }
    // The table's line, with this relay's path in place of the fakes' one.
    const std::string own = "C:\\tools\\vornalt.exe";
    std::string line = composed_line({c.target, "-k", "x"});
    line.replace(line.find(own), own.size(), c.relay);
    ASSERT_EQ(system.processes.starts.size(), 1u);
    EXPECT_EQ(system.processes.starts[0].line(), line);
  }
}

TEST(Run, TheRelayWatchesTheCommandForExitCodeAndForWtsWait) {
  const struct {
    Args args;
    Args reads;  // the relay's report
    int status = 0;
    std::string err = "";
  } cases[] = {
      {.args = {"conhost", "-e", "x"}, .reads = {"pid 5678\nstatus 7\n"}, .status = 7},
      {.args = {"wt", "-e", "x"},
       .reads = {"pid 5678\nstatus 3221225786\n"},
       .status = static_cast<int>(0xC000013A)},
      {.args = {"wt", "-e", "x"},
       .reads = {"pid 5678\n"},
       .status = 1,
       .err = "Error: The new console ended before it reported the command's exit status\n"},
      // wt -w waits for the command through the relay; its status stays 0.
      {.args = {"wt", "-w", "x"}, .reads = {"pid 5678\nstatus 7\n"}},
      {.args = {"wt", "-w", "x"},
       .reads = {"pid 5678\n"},
       .err = "Warning: The new console ended before it reported the command's exit status\n"},
      // A shell that never started ran nothing: status 1, whatever was asked.
      {.args = {"wt", "-w", "x"},
       .reads = {"failed 2147942402\n"},
       .status = 1,
       .err = "Error: Failed to start 'cmd.exe' in the new console: Error { code: "
              "HRESULT(0x80070002), message: \"The system cannot find the file specified.\" }\n"},
      // Otherwise there is no relay's pipe.
      {.args = {"conhost", "-w", "x"}},
      {.args = {"wt", "x"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args) + c.err);
    testing::FakeSystem system;
    system.pipes.reads = c.reads;
    EXPECT_EQ(run_on(system, with(c.args, {"-q"})), c.status);
    EXPECT_EQ(system.console.err, c.err);
    ASSERT_EQ(system.processes.starts.size(), 1u);
    EXPECT_EQ(system.processes.starts[0].line(), composed_line(c.args));
    EXPECT_EQ(system.pipes.made.empty(), c.reads.empty());
  }
}

// An environment block of these strings.
std::u16string block(std::initializer_list<std::u16string_view> strings) {
  std::u16string out;
  for (std::u16string_view string : strings) (out += string) += u'\0';
  return out + u'\0';
}

// The values reach the command through conhost.exe's environment, or over
// the relay's pipe past wt.exe, never on a command line (the table's lines
// hold none).
TEST(Run, TheVariablesReachTheCommandOffTheCommandLine) {
  const struct {
    Args args;
    Args reads = {};  // the relay's report
    int status = 0;
    std::u16string environment = u"";  // conhost.exe's
    std::string written = "";          // to the relay
    std::string err = "";
  } cases[] = {
      {.args = {"conhost", "-v", "SECRET=s3 cr3t", "-v", "Path=", "x"},
       .environment = block({u"=C:=C:\\work", u"SECRET=s3 cr3t"})},
      {.args = {"wt", "-v", "SECRET=s3 cr3t", "-v", "Path=", "x"},
       .reads = {"pid 5678\n"},
       .written = "vars 2\nset 14\nSECRET=s3 cr3t\nunset 4\nPath\n"},
      // The command does not run without them.
      {.args = {"wt", "-v", "A=1", "x"},
       .status = 1,
       .written = "vars 1\nset 3\nA=1\n",
       .err = "Error: The new console ended before it reported the command's exit status\n"},
      {.args = {"wt", "-k", "-v", "A=1", "x"},
       .reads = {"pid 5678\n"},
       .written = "vars 1\nset 3\nA=1\n"},
      // -k alone: the relay with no pipe.
      {.args = {"wt", "-k", "x"}},
      {.args = {"conhost", "-k", "-e", "-v", "A=1", "x"},
       .reads = {"pid 5678\nstatus 7\n"},
       .status = 7,
       .environment = block({u"=C:=C:\\work", u"A=1", u"Path=C:\\Windows"}),
       .written = "vars 0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    testing::FakeSystem system;
    system.pipes.reads = c.reads;
    EXPECT_EQ(run_on(system, with(c.args, {"-q"})), c.status);
    ASSERT_EQ(system.processes.starts.size(), 1u);
    EXPECT_EQ(system.processes.starts[0].line(), composed_line(c.args));
    EXPECT_EQ(system.processes.starts[0].environment, c.environment);
    EXPECT_EQ(system.pipes.written, c.written);
    EXPECT_EQ(system.console.err, c.err);
  }
  // Without vornalt's own environment there is none to change: nothing
  // starts.
  testing::FakeSystem system;
  system.environment.strings_result = error_from_win32(8);
  EXPECT_EQ(run_on(system, {"conhost", "-q", "-v", "A=1", "x"}), 1);
  EXPECT_EQ(system.console.err,
            "Failed to launch 'conhost': Error { code: HRESULT(0x80070008), message: \"The system "
            "cannot find the file specified.\" }\n");
  EXPECT_TRUE(system.processes.starts.empty());
}

// The window as asked: conhost.exe's STARTUPINFO and the relay for its
// size, wt.exe's own options for a new window and its STARTUPINFO; the
// summary says what was asked.
TEST(Run, TheWindowOpensAsAsked) {
  const struct {
    Args args;
    std::string window;  // the summary's line
    StartupWindow startup = {};
  } cases[] = {
      {.args = {"conhost", "--min", "--pos", "-1200,80", "x"},
       .window = "minimized, at -1200,80",
       .startup = {.show = ShowCommand::show_min_no_activate, .position = Pixels{-1200, 80}}},
      {.args = {"conhost", "--max", "x"},
       .window = "maximized",
       .startup = {.show = ShowCommand::show_maximized}},
      {.args = {"conhost", "--no-focus", "--size", "100,30", "x"},
       .window = "100x30 cells, no focus",
       .startup = {.show = ShowCommand::show_no_activate}},
      {.args = {"wt", "--max", "--size", "100,30", "x"}, .window = "maximized, 100x30 cells"},
      {.args = {"wt", "--fullscreen", "--pos", "0,-5", "x"}, .window = "full screen, at 0,-5"},
      {.args = {"wt", "--min", "--no-focus", "x"},
       .window = "minimized, no focus",
       .startup = {.show = ShowCommand::show_min_no_activate}},
      {.args = {"wt", "--window", "Dev", "--no-focus", "x"},
       .window = "no focus",
       .startup = {.show = ShowCommand::show_no_activate}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    testing::FakeSystem system;
    EXPECT_EQ(run_on(system, c.args), 0);
    EXPECT_NE(system.console.out.find("\nTitle:     \nWindow:    " + c.window + "\nArguments: x\n"),
              std::string::npos)
        << system.console.out;
    ASSERT_EQ(system.processes.starts.size(), 1u);
    EXPECT_EQ(system.processes.starts[0].line(), composed_line(c.args));
    EXPECT_EQ(system.processes.starts[0].window, c.startup);
  }
}

// The dry run says what the host's STARTUPINFO would say of its window, and
// when Terminal applies its window options only to a new window.
TEST(Run, TheDryRunShowsTheHostsWindow) {
  const struct {
    Args args;
    std::string shown;  // after the host
  } cases[] = {
      {{"conhost", "--max", "--pos", "1,2", "x"},
       "Startup:   dwFlags STARTF_USESHOWWINDOW | STARTF_USEPOSITION, wShowWindow "
       "SW_SHOWMAXIMIZED (3), dwX 1, dwY 2\n"},
      {{"conhost", "--pos", "3,4", "x"}, "Startup:   dwFlags STARTF_USEPOSITION, dwX 3, dwY 4\n"},
      {{"wt", "--window", "Dev", "--size", "100,30", "x"},
       "Note:      Windows Terminal applies the window options only if the window 'Dev' is new\n"},
      {{"wt", "x"}, ""},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    EXPECT_EQ(run_on(system, with(c.args, {"-n"})), 0);
    EXPECT_TRUE(system.console.out.ends_with("\nHost:      C:\\Windows\\System32\\" + c.args[0] +
                                             ".exe\n" + c.shown))
        << system.console.out;
  }
}

// advapi32 and bcrypt are loaded only for what needs them: the question
// whether this process is elevated only for -a, a random id only for a
// pipe; a plain launch neither asks nor draws, and cannot fail for them.
// Without the random id nothing starts.
TEST(Run, APlainLaunchNeitherAsksForElevationNorDrawsAnId) {
  const struct {
    Args args;
    int asked = 0, drawn = 0;
  } cases[] = {
      {.args = {"conhost", "x"}},
      {.args = {"wt", "-t", "T", "-d", "C:\\work", "x"}},
      {.args = {"conhost", "-w", "-v", "A=1", "-k", "x"}},
      {.args = {"wt", "-n", "-k", "x"}},
      {.args = {"conhost", "-e", "x"}, .drawn = 1},
      {.args = {"wt", "-a", "x"}, .asked = 1, .drawn = 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    testing::FakeSystem system;
    system.pipes.random_result = error_from_win32(5);
    system.messages.message = "Access is denied.";
    system.pipes.reads = {"pid 5678\nstatus 0\n"};
    EXPECT_EQ(run_on(system, c.args), c.drawn);
    EXPECT_EQ(system.elevation.asked, c.asked);
    EXPECT_EQ(system.pipes.random_drawn, c.drawn);
    if (c.drawn == 0) continue;
    EXPECT_EQ(system.console.both, "Failed to launch '" + c.args[0] +
                                       "': Error { code: HRESULT(0x80070005), message: \"Access "
                                       "is denied.\" }\n");
    EXPECT_EQ(system.console.out, "");
    EXPECT_TRUE(started_nothing(system));
  }
}

}  // namespace
}  // namespace vornalt
