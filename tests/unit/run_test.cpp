#include "run.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "help_screen.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

struct RunResult {
  int status;
  testing::FakeSystem system;
};

RunResult run_with(std::vector<std::string> args) {
  args.insert(args.begin(), "vornalt.exe");
  RunResult result{0, {}};
  result.status = run(args, result.system);
  return result;
}

std::string help_screen() { return std::string(testing::HELP_SCREEN_80); }

// A quiet run of `args` (after the program's name), the relay reporting
// `reads`.
testing::FakeSystem run_quietly(std::vector<std::string> args, std::vector<std::string> reads,
                                int status, const std::string& line) {
  args.insert(args.begin() + 1, "-q");
  args.insert(args.begin(), "vornalt.exe");
  testing::FakeSystem system;
  system.pipe_reads = std::move(reads);
  EXPECT_EQ(run(args, system), status) << line;
  EXPECT_EQ(to_wtf8(system.command_line), line + std::string(1, '\0'));
  return system;
}

TEST(RoleOf, OnlyAMarkerAsTheSecondWordExactly) {
  using Args = std::vector<std::string>;
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

TEST(Run, HelpAndUsageErrors) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"-h"}, 0, ""},
      {{"/?", "wt", "x"}, 0, ""},
      {{}, 1, "Error: No arguments provided\n\n"},
      {{"x"}, 1, "Error: Unknown target 'x' (expected 'wt' or 'conhost')\n\n"},
      {{"wt"}, 1, "Error: Missing command (nothing after target/options)\n\n"},
  };
  for (const auto& c : cases) {
    RunResult r = run_with(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.system.err, c.err);
    EXPECT_EQ(r.system.out, help_screen());
    EXPECT_EQ(r.system.both, c.err + help_screen());
    EXPECT_TRUE(r.system.calls.empty());
  }
}

TEST(Run, CmdCommandsThatCmdCannotCarryAreRefusedBeforeAnythingStarts) {
  const std::string line_break =
      "Error: A command word holds a line break, which cmd.exe cannot pass on (use -s pwsh or -s "
      "powershell)\n";
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"conhost", "echo", "a\nb"}, line_break},
      {{"wt", "-q", "echo", "a", "\r"}, line_break},
      {{"wt", "-s", "pwsh", "-s", "cmd", "x", "\r\n"}, line_break},
      // The PowerShell script carries line breaks, and the title is written
      // for cmd's title command without them.
      {{"conhost", "-s", "pwsh", "echo", "a\nb"}, ""},
      {{"wt", "-s", "powershell", "echo", "a\r\nb"}, ""},
      {{"conhost", "-t", "a\nb", "x"}, ""},
  };
  for (const auto& c : cases) {
    RunResult r = run_with(c.args);
    EXPECT_EQ(r.status, c.err.empty() ? 0 : 1);
    EXPECT_EQ(r.system.err, c.err);
    if (!c.err.empty()) {
      EXPECT_EQ(r.system.both, c.err);
    }
    EXPECT_EQ(r.system.calls.empty(), !c.err.empty());
  }
}

TEST(Run, VersionOnly) {
  for (const char* flag : {"--version", "/version"}) {
    RunResult r = run_with({flag, "wt", "x"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.system.both, "vornalt Console Launcher, v1.0.0\n");
    EXPECT_TRUE(r.system.calls.empty());
  }
}

TEST(Run, TheStartingFolder) {
  const std::string summary = "Target:    conhost\nShell:     cmd\nTitle:     \n";
  const std::string deep = "C:\\" + std::string(253, 'd') + "\\";  // 257 characters
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
    std::vector<std::string> calls;
    std::string start_folder;
  } cases[] = {
      // The longest folder a program can start in; one more is refused
      // before anything starts, not by a failed start that names no folder.
      {{"conhost", "-q", "-d", deep + "x", "x"},
       0,
       "",
       "",
       {"CreateProcessW", "CloseHandle(process)", "CloseHandle(thread)"},
       deep + "x"},
      // Its last backslash is not counted.
      {{"conhost", "-q", "-d", deep + "x\\", "x"},
       0,
       "",
       "",
       {"CreateProcessW", "CloseHandle(process)", "CloseHandle(thread)"},
       deep + "x\\"},
      {{"wt", "-q", "-d", deep + "\xF0\x9F\x98\x80", "x"},
       1,
       "",
       "Failed to use folder '" + deep +
           "\xF0\x9F\x98\x80': it has 259 characters, over the 258 "
           "that Windows allows for the folder a program starts in\n",
       {},
       ""},
      {{"conhost", "-d", "C:\\work", "x"},
       0,
       summary + "Folder:    C:\\work\nArguments: x\ncmdline:   conhost.exe cmd.exe /c title && x\n"
                 "Launched 'conhost' with PID: 4120\n",
       "",
       {"CreateProcessW", "CloseHandle(process)", "CloseHandle(thread)"},
       "C:\\work"},
      // Made absolute against the current folder; wt.exe gets it on its line.
      {{"wt", "-q", "-d", "src", "x"},
       0,
       "",
       "",
       {"CreateProcessW", "CloseHandle(process)", "CloseHandle(thread)"},
       ""},
      {{"conhost", "-d", "missing", "x"},
       1,
       "",
       "Failed to use folder 'C:\\work\\missing': Error { code: HRESULT(0x80070003), message: "
       "\"The system cannot find the path specified.\" }\n",
       {"FormatMessageW(HRESULT(0x80070003))"},
       ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "vornalt.exe");
    testing::FakeSystem system;
    system.folders = {"C:\\work", "C:\\work\\src", deep + "x", deep + "x\\",
                      deep + "\xF0\x9F\x98\x80"};
    system.message = "The system cannot find the path specified.";
    EXPECT_EQ(run(args, system), c.status);
    EXPECT_EQ(system.out, c.out);
    EXPECT_EQ(system.err, c.err);
    EXPECT_EQ(system.calls, c.calls);
    EXPECT_EQ(system.start_folder, c.start_folder);
    if (c.args[0] == "wt" && c.status == 0) {
      EXPECT_NE(to_wtf8(system.command_line).find(" --startingDirectory C:\\work\\src cmd.exe "),
                std::string::npos);
    }
  }
}

// wt.exe replaces %NAME% and unpaired surrogates in the relay's own path:
// its short name passes, or nothing starts.
TEST(Run, TheRelaysPathReachesWtUnchanged) {
  const std::string relay = " --vornalt-relay - --keep cmd.exe /c ";
  const std::string refused = "), and the path has no short name that it would\n";
  const struct {
    std::string target, program, short_name;
    std::string relay_program;  // as on the line; empty: refused
    std::string err = "";
    Result lookup = {};  // of the variables in the path
  } cases[] = {
      {"wt", "C:\\%USERNAME%\\vornalt.exe", "C:\\USERNA~1\\vornalt.exe",
       "C:\\USERNA~1\\vornalt.exe"},
      {"wt", "C:\\%USERNAME%\\vornalt.exe", "", "",
       "Error: wt.exe would not pass on the path of vornalt.exe, 'C:\\%USERNAME%\\vornalt.exe', "
       "as it is (%USERNAME% is a variable that it would replace" +
           refused},
      {"wt", "C:\\x\xED\xA0\x80\\vornalt.exe", "C:\\X~1\\vornalt.exe", "C:\\X~1\\vornalt.exe"},
      {"wt", "C:\\x\xED\xA0\x80\\vornalt.exe", "C:\\x\xED\xA0\x80\\v.exe", "",
       "Error: wt.exe would not pass on the path of vornalt.exe, 'C:\\x\xED\xA0\x80\\vornalt.exe', "
       "as it is (it holds an unpaired surrogate" +
           refused},
      // What wt.exe leaves as it is stays: an undefined name, a lone %. The
      // search goes on after an undefined name's second %.
      {"wt", "C:\\%NOT_SET%\\100%\\%%\\v.exe", "", "C:\\%NOT_SET%\\100%\\%%\\v.exe"},
      {"wt", "C:\\%UNSET%USERNAME%\\v.exe", "C:\\UNSET~1\\v.exe", "C:\\%UNSET%USERNAME%\\v.exe"},
      // A name that cannot be looked up may be replaced.
      {"wt", "C:\\%X%\\v.exe", "C:\\X~1\\v.exe", "C:\\X~1\\v.exe", "", error_from_win32(5)},
      // conhost.exe hands every unit on.
      {"conhost", "C:\\%USERNAME%\\v.exe", "", "C:\\%USERNAME%\\v.exe"},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.program_file = c.program;
    system.short_name = c.short_name;
    system.environment.push_back("username=me");
    system.environment_result = c.lookup;
    const std::vector<std::string> args = {"vornalt.exe", c.target, "-q", "-k", "x"};
    EXPECT_EQ(run(args, system), c.relay_program.empty() ? 1 : 0) << c.program;
    EXPECT_EQ(system.err, c.err) << c.program;
    const std::string line = to_wtf8(system.command_line);
    if (c.relay_program.empty()) {
      EXPECT_EQ(line, "") << c.program;
    } else {
      EXPECT_NE(line.find(" " + c.relay_program + relay), std::string::npos) << line;
    }
  }
}

TEST(Run, DryRunPrintsWhatARunWouldAndTheHostAndStartsNothing) {
  const std::vector<std::vector<std::string>> requests = {
      {"wt", "-t", "T", "-s", "pwsh", "echo", "a b"},
      {"conhost", "-d", "C:\\work", "-e", "cmd", "/c", "echo", "&"},
      {"wt", "--window", "a b", "-e", "x"},
  };
  for (const auto& args : requests) {
    RunResult real = run_with(args);
    std::vector<std::string> dry = args;
    dry.insert(dry.begin() + 1, "-n");
    RunResult r = run_with(dry);
    EXPECT_EQ(r.status, 0);
    const std::string host = "Host:      C:\\Windows\\System32\\" + args[0] + ".exe\n";
    const std::string out = real.system.out.substr(0, real.system.out.find("Launched '"));
    EXPECT_EQ(r.system.out, out + host);
    EXPECT_EQ(r.system.err, "");
    // The search for the host, and nothing else.
    ASSERT_FALSE(r.system.probed.empty());
    EXPECT_EQ(r.system.probed.front(), "C:\\tools\\" + args[0] + ".exe");
    EXPECT_EQ(r.system.calls, std::vector<std::string>{});
    dry.insert(dry.begin() + 1, "-q");
    r = run_with(dry);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.system.both, "");
  }
  // It checks what a run would check, and fails as a run would.
  RunResult r = run_with({"conhost", "-n", "-q", "-d", "nowhere", "x"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.system.err.find("Failed to use folder 'C:\\work\\nowhere': "), std::string::npos);
  r = run_with({"wt", "-n", "x", "\n"});
  EXPECT_EQ(r.status, 1);
  for (const char* quiet : {"-q", "-w"}) {
    std::vector<std::string> args = {"vornalt.exe", "wt", quiet, "x"};
    testing::FakeSystem real;
    real.files = {};
    EXPECT_EQ(run(args, real), 1);
    args.insert(args.begin() + 2, "-n");
    testing::FakeSystem dry;
    dry.files = {};
    EXPECT_EQ(run(args, dry), 1);
    EXPECT_EQ(dry.both, real.both);
    EXPECT_NE(dry.err.find("Looked for wt.exe in "), std::string::npos);
  }
}

// The relay's words as the fake system makes them, and wt's line before them.
const std::string RELAY = "C:\\tools\\vornalt.exe --vornalt-relay ";
const std::string ID = "0123456789abcdeffedcba9876543210 ";
const std::string WT = "wt.exe --window vornalt --title \"\" --startingDirectory . ";

TEST(Run, TheRelayWatchesTheCommandForExitCodeAndForWtsWait) {
  const std::string relay = RELAY + ID;
  const std::string& wt = WT;
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> reads;  // the relay's report
    int status;
    std::string line;  // as started
    std::string err;
  } cases[] = {
      {{"conhost", "-e", "x"},
       {"pid 5678\nstatus 7\n"},
       7,
       "conhost.exe " + relay + "cmd.exe /c title && x"},
      {{"wt", "-e", "x"},
       {"pid 5678\nstatus 3221225786\n"},
       static_cast<int>(0xC000013A),
       wt + relay + "cmd.exe /c x"},
      {{"wt", "-e", "x"},
       {"pid 5678\n"},
       1,
       wt + relay + "cmd.exe /c x",
       "Error: The new console ended before it reported the command's exit status\n"},
      // wt -w waits for the command through the relay; its status stays 0.
      {{"wt", "-w", "x"}, {"pid 5678\nstatus 7\n"}, 0, wt + relay + "cmd.exe /c x"},
      {{"wt", "-w", "x"},
       {"pid 5678\n"},
       0,
       wt + relay + "cmd.exe /c x",
       "Warning: The new console ended before it reported the command's exit status\n"},
      // A shell that never started ran nothing: status 1, whatever was asked.
      {{"wt", "-w", "x"},
       {"failed 2147942402\n"},
       1,
       wt + relay + "cmd.exe /c x",
       "Error: Failed to start 'cmd.exe' in the new console: Error { code: HRESULT(0x80070002), "
       "message: \"The system cannot find the file specified.\" }\n"},
      // Otherwise the lines are as ever.
      {{"conhost", "-w", "x"}, {}, 0, "conhost.exe cmd.exe /c title && x"},
      {{"wt", "x"}, {}, 0, wt + "cmd.exe /c x"},
  };
  for (const auto& c : cases) {
    const testing::FakeSystem system = run_quietly(c.args, c.reads, c.status, c.line);
    EXPECT_EQ(system.err, c.err) << c.line;
    EXPECT_EQ(system.pipe_name.empty(), c.reads.empty()) << c.line;
  }
  // Without the random id nothing starts.
  testing::FakeSystem system;
  system.random_result = error_from_win32(5);
  system.message = "Access is denied.";
  EXPECT_EQ(run(std::vector<std::string>{"vornalt.exe", "conhost", "-e", "x"}, system), 1);
  EXPECT_EQ(system.err,
            "Failed to launch 'conhost': Error { code: HRESULT(0x80070005), message: \"Access is "
            "denied.\" }\n");
  EXPECT_EQ(system.out, "");
  EXPECT_EQ(system.calls, (std::vector<std::string>{"FormatMessageW(HRESULT(0x80070005))"}));
}

// An environment block of these strings.
std::u16string block(std::initializer_list<std::u16string_view> strings) {
  std::u16string out;
  for (std::u16string_view string : strings) (out += string) += u'\0';
  return out + u'\0';
}

// The names, never the values, in the summary; the values reach the command
// through conhost.exe's environment, or over the relay's pipe past wt.exe,
// never on a command line.
TEST(Run, TheVariablesReachTheCommandOffTheCommandLine) {
  const std::string& relay = RELAY;
  const std::string& id = ID;
  const std::string& wt = WT;
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> reads;  // the relay's report
    int status;
    std::string line;            // as started
    std::u16string environment;  // as started
    std::string written, err;    // to the relay, and on standard error
  } cases[] = {
      {{"conhost", "-v", "SECRET=s3 cr3t", "-v", "Path=", "x"},
       {},
       0,
       "conhost.exe cmd.exe /c title && x",
       block({u"=C:=C:\\work", u"SECRET=s3 cr3t"})},
      {{"wt", "-v", "SECRET=s3 cr3t", "-v", "Path=", "x"},
       {"pid 5678\n"},
       0,
       wt + relay + id + "--variables cmd.exe /c x",
       u"",
       "vars 2\nset 14\nSECRET=s3 cr3t\nunset 4\nPath\n"},
      // The command does not run without them.
      {{"wt", "-v", "SECRET=s3 cr3t", "x"},
       {},
       1,
       wt + relay + id + "--variables cmd.exe /c x",
       u"",
       "vars 1\nset 14\nSECRET=s3 cr3t\n",
       "Error: The new console ended before it reported the command's exit status\n"},
      // The relay reads its options in this order.
      {{"wt", "-k", "-v", "A=1", "x"},
       {"pid 5678\n"},
       0,
       wt + relay + id + "--keep --variables cmd.exe /c x",
       u"",
       "vars 1\nset 3\nA=1\n"},
      // -k alone: the relay with no pipe.
      {{"wt", "-k", "x"}, {}, 0, wt + relay + "- --keep cmd.exe /c x", u""},
      {{"conhost", "-k", "-e", "-v", "A=1", "x"},
       {"pid 5678\nstatus 7\n"},
       7,
       "conhost.exe " + relay + id + "--keep cmd.exe /c title && x",
       block({u"=C:=C:\\work", u"A=1", u"Path=C:\\Windows"}),
       "vars 0\n"},
  };
  for (const auto& c : cases) {
    const testing::FakeSystem system = run_quietly(c.args, c.reads, c.status, c.line);
    EXPECT_EQ(system.start_environment, c.environment) << c.line;
    EXPECT_EQ(system.pipe_written, c.written) << c.line;
    EXPECT_EQ(system.err, c.err) << c.line;
  }
  // Without vornalt's own environment there is none to change: nothing
  // starts.
  testing::FakeSystem system;
  system.environment_strings_result = error_from_win32(8);
  EXPECT_EQ(run(std::vector<std::string>{"vornalt.exe", "conhost", "-q", "-v", "A=1", "x"}, system),
            1);
  EXPECT_EQ(system.err,
            "Failed to launch 'conhost': Error { code: HRESULT(0x80070008), message: \"The system "
            "cannot find the file specified.\" }\n");
  EXPECT_EQ(std::count(system.calls.begin(), system.calls.end(), "CreateProcessW"), 0);
  for (const char* dry : {"-w", "-n"}) {
    RunResult r = run_with({"conhost", dry, "-v", "B=1", "-v", "a=", "-v", "b=2", "x"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.system.out.substr(0, r.system.out.find("cmdline:")),
              "Target:    conhost\nShell:     cmd\nTitle:     \nVariables: b, a\nArguments: x\n");
  }
}

// The window as asked: conhost.exe's STARTUPINFO and the relay for its
// size, wt.exe's own options for a new window and its STARTUPINFO; the
// summary says what was asked, and the dry run what the STARTUPINFO says and
// when Terminal's options apply.
TEST(Run, TheWindowOpensAsAsked) {
  const std::string relay = "C:\\tools\\vornalt.exe --vornalt-relay - --size 100,30 ";
  const std::string wt = "wt.exe --window new";
  const std::string rest = " --title \"\" --startingDirectory . cmd.exe /c x";
  const struct {
    std::vector<std::string> args;
    std::string window;  // the summary's line
    std::string line;
    StartupWindow startup;
  } cases[] = {
      {{"conhost", "--min", "--pos", "-1200,80", "x"},
       "minimized, at -1200,80",
       "conhost.exe cmd.exe /c title && x",
       {.show = ShowCommand::show_min_no_activate, .position = Pixels{-1200, 80}}},
      {{"conhost", "--max", "x"},
       "maximized",
       "conhost.exe cmd.exe /c title && x",
       {.show = ShowCommand::show_maximized}},
      {{"conhost", "--no-focus", "--size", "100,30", "x"},
       "100x30 cells, no focus",
       "conhost.exe " + relay + "cmd.exe /c title && x",
       {.show = ShowCommand::show_no_activate}},
      {{"wt", "--max", "--size", "100,30", "x"},
       "maximized, 100x30 cells",
       wt + " --maximized --size 100,30" + rest,
       {}},
      {{"wt", "--fullscreen", "--pos", "0,-5", "x"},
       "full screen, at 0,-5",
       wt + " --fullscreen --pos 0,-5" + rest,
       {}},
      {{"wt", "--min", "--no-focus", "x"},
       "minimized, no focus",
       wt + rest,
       {.show = ShowCommand::show_min_no_activate}},
      {{"wt", "--window", "Dev", "--no-focus", "x"},
       "no focus",
       "wt.exe --window Dev" + rest,
       {.show = ShowCommand::show_no_activate}},
  };
  for (const auto& c : cases) {
    RunResult r = run_with(c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.system.out.find("\nTitle:     \nWindow:    " + c.window + "\nArguments: x\n"),
              std::string::npos)
        << r.system.out;
    EXPECT_EQ(to_wtf8(r.system.command_line), c.line + std::string(1, '\0'));
    EXPECT_EQ(r.system.start_window, c.startup) << c.line;
  }
  RunResult dry = run_with({"conhost", "-n", "--max", "--pos", "1,2", "x"});
  EXPECT_NE(dry.system.out.find("\nHost:      C:\\Windows\\System32\\conhost.exe\n"
                                "Startup:   dwFlags STARTF_USESHOWWINDOW | STARTF_USEPOSITION, "
                                "wShowWindow SW_SHOWMAXIMIZED (3), dwX 1, dwY 2\n"),
            std::string::npos)
      << dry.system.out;
  dry = run_with({"wt", "-n", "--window", "Dev", "--size", "100,30", "x"});
  EXPECT_TRUE(dry.system.out.ends_with(
      "\nHost:      C:\\Windows\\System32\\wt.exe\n"
      "Note:      Windows Terminal applies the window options only if the window 'Dev' is new\n"))
      << dry.system.out;
  dry = run_with({"wt", "-n", "x"});
  EXPECT_TRUE(dry.system.out.ends_with("\nHost:      C:\\Windows\\System32\\wt.exe\n"));
}

TEST(Run, SummaryThenLaunch) {
  RunResult r = run_with({"WT", "-t", "My Title", "cmd", "/c", "echo", "a b"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.system.out,
            "Target:    wt\n"
            "Shell:     cmd\n"
            "Title:     My Title\n"
            "Arguments: cmd /c echo \"a b\"\n"
            "cmdline:   wt.exe --window vornalt --title \"My Title\" --startingDirectory . cmd.exe "
            "/c cmd /c echo \"a b\"\n"
            "Launched 'wt' with PID: 4120\n");
  EXPECT_EQ(r.system.err, "");
}

TEST(Run, TitleShownAsTypedAndEmptyTitleLine) {
  RunResult r = run_with({"conhost", "-t", "A & B", "x"});
  EXPECT_NE(r.system.out.find("Title:     A & B\n"), std::string::npos);
  EXPECT_NE(r.system.out.find("title A ^& B && x\n"), std::string::npos);
  r = run_with({"conhost", "x"});
  EXPECT_NE(r.system.out.find("\nTitle:     \nArguments: x\n"), std::string::npos);
}

// advapi32 and bcrypt are loaded only for what needs them: the question
// whether this process is elevated only for -a, a random id only for a
// pipe; a plain launch neither asks nor draws, and cannot fail for them.
TEST(Run, APlainLaunchNeitherAsksForElevationNorDrawsAnId) {
  const struct {
    std::vector<std::string> args;
    int asked, drawn;
  } cases[] = {
      {{"conhost", "x"}, 0, 0},
      {{"wt", "-t", "T", "-d", "C:\\work", "x"}, 0, 0},
      {{"conhost", "-w", "-v", "A=1", "-k", "x"}, 0, 0},
      {{"wt", "-n", "-k", "x"}, 0, 0},
      {{"conhost", "-e", "x"}, 0, 1},
      {{"wt", "-a", "x"}, 1, 1},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "vornalt.exe");
    testing::FakeSystem system;
    system.random_result = error_from_win32(5);
    system.pipe_reads = {"pid 5678\nstatus 0\n"};
    EXPECT_EQ(run(args, system), c.drawn) << args[1];
    EXPECT_EQ(system.elevation_asked, c.asked) << args[1];
    EXPECT_EQ(system.random_drawn, c.drawn) << args[1];
  }
}

TEST(Run, QuietLaunchWritesNothing) {
  RunResult r = run_with({"conhost", "-q", "-w", "x"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.system.both, "");
}

TEST(Run, FailedLaunchEndsWithStatusOne) {
  for (bool quiet : {false, true}) {
    std::vector<std::string> args = {"wt", "x"};
    if (quiet) args.insert(args.begin() + 1, "-q");
    args.insert(args.begin(), "vornalt.exe");
    testing::FakeSystem system;
    system.create_result = error_from_win32(2);
    EXPECT_EQ(run(args, system), 1);
    const std::string failure =
        "Failed to launch 'wt': Error { code: HRESULT(0x80070002), message: \"The system cannot "
        "find the file specified.\" }\n";
    EXPECT_EQ(system.err, failure);
    EXPECT_EQ(system.both, quiet ? failure
                                 : "Target:    wt\nShell:     cmd\nTitle:     \nArguments: x\n"
                                   "cmdline:   wt.exe --window vornalt --title \"\" "
                                   "--startingDirectory . cmd.exe /c x\n" +
                                       failure);
  }
}

}  // namespace
}  // namespace vornalt
