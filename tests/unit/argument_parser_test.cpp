#include "cli/argument_parser.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

// The argument list with the program's name in front.
std::vector<std::string> argv(std::vector<std::string> args) {
  args.insert(args.begin(), "vornalt.exe");
  return args;
}

ParseOutcome parse(const std::vector<std::string>& args) { return parse_arguments(argv(args)); }

LaunchRequest request(std::string_view target, std::string_view shell, std::string title,
                      std::vector<std::string> words, bool wait = false, bool quiet = false) {
  return {.target = *target_named(target),
          .shell = *shell_named(shell),
          .title = std::move(title),
          .words = std::move(words),
          .wait = wait,
          .quiet = quiet};
}

struct ErrorCase {
  std::vector<std::string> args;
  std::string message;
};

TEST(ParseArguments, ReportsEveryUsageError) {
  const ErrorCase cases[] = {
      {{}, "No arguments provided"},
      {{"foo"}, "Unknown target 'foo' (expected 'wt' or 'conhost')"},
      {{"Foo", "x"}, "Unknown target 'foo' (expected 'wt' or 'conhost')"},
      {{""}, "Unknown target '' (expected 'wt' or 'conhost')"},
      {{"-H"}, "Unknown target '-h' (expected 'wt' or 'conhost')"},
      {{"ÀBÇ"}, "Unknown target 'àbç' (expected 'wt' or 'conhost')"},
      {{"ΣΑΣ"}, "Unknown target 'σας' (expected 'wt' or 'conhost')"},
      {{"İ"}, "Unknown target 'i̇' (expected 'wt' or 'conhost')"},
      {{"wt"}, "Missing command (nothing after target/options)"},
      {{"wt", "-q"}, "Missing command (nothing after target/options)"},
      {{"wt", "-w", "-q"}, "Missing command (nothing after target/options)"},
      {{"wt", "-s", "pwsh"}, "Missing command (nothing after target/options)"},
      {{"wt", "-t", "T"}, "Missing command (nothing after target/options)"},
      {{"wt", "-q", "--"}, "Missing command (nothing after target/options)"},
      {{"wt", "-s"}, "Missing value after shell option"},
      {{"wt", "-t"}, "Missing value after title option"},
      {{"wt", "-d"}, "Missing value after dir option"},
      {{"wt", "-q", "/DIR"}, "Missing value after dir option"},
      {{"wt", "-d", "C:\\"}, "Missing command (nothing after target/options)"},
      {{"wt", "-e", "-n"}, "Missing command (nothing after target/options)"},
      {{"wt", "-q", "/TITLE"}, "Missing value after title option"},
      {{"wt", "-s", "Bash", "x"}, "Unknown shell 'bash' (expected 'cmd', 'pwsh' or 'powershell')"},
      {{"wt", "-s", "-q", "x"}, "Unknown shell '-q' (expected 'cmd', 'pwsh' or 'powershell')"},
      {{"wt", "-v"}, "Missing value after variable option"},
      {{"wt", "-k", "/VAR"}, "Missing value after variable option"},
      {{"wt", "-v", "A=1"}, "Missing command (nothing after target/options)"},
      {{"wt", "-k"}, "Missing command (nothing after target/options)"},
      {{"wt", "-a"}, "Missing command (nothing after target/options)"},
      {{"wt", "--window"}, "Missing value after window option"},
      {{"wt", "-q", "/WINDOW"}, "Missing value after window option"},
      {{"conhost", "--window"}, "Missing value after window option"},
      {{"wt", "--window", "", "x"}, "Invalid window ''"},
      {{"conhost", "--window", "Dev", "x"}, "The window option needs the target 'wt'"},
      {{"CONHOST", "-q", "/Window", "new", "x"}, "The window option needs the target 'wt'"},
      {{"wt", "--window", "Dev"}, "Missing command (nothing after target/options)"},
      // Echoed as typed: case and all.
      {{"wt", "-v", "Path", "x"}, "Invalid variable 'Path' (expected NAME=VALUE)"},
      {{"wt", "-v", "", "x"}, "Invalid variable '' (expected NAME=VALUE)"},
      {{"wt", "-v", "=C:=C:\\", "x"}, "Invalid variable '=C:=C:\\' (expected NAME=VALUE)"},
      {{"wt", "-v", "=", "x"}, "Invalid variable '=' (expected NAME=VALUE)"},
      {{"wt", "-v", std::string("A\0B=1", 5), "x"},
       "Invalid variable '" + std::string("A\0B=1", 5) + "' (expected NAME=VALUE)"},
      {{"wt", "-v", std::string("A=1\0", 4), "x"},
       "Invalid variable '" + std::string("A=1\0", 4) + "' (expected NAME=VALUE)"},
      {{"wt", "-v", "A=1", "-v", "B", "x"}, "Invalid variable 'B' (expected NAME=VALUE)"},
      // The window's state: one of three, full screen only in Windows
      // Terminal, and never without the focus when it takes it.
      {{"wt", "--min", "--max", "x"}, "Only one of --min, --max and --fullscreen may be given"},
      {{"wt", "/MAX", "--fullscreen", "x"},
       "Only one of --min, --max and --fullscreen may be given"},
      {{"wt", "--fullscreen", "-q", "/min", "x"},
       "Only one of --min, --max and --fullscreen may be given"},
      {{"conhost", "--fullscreen", "x"}, "The fullscreen option needs the target 'wt'"},
      {{"CONHOST", "/FullScreen"}, "The fullscreen option needs the target 'wt'"},
      {{"wt", "--max", "--no-focus", "x"},
       "The no-focus option cannot be given with --max or --fullscreen"},
      {{"wt", "/no-focus", "--fullscreen", "x"},
       "The no-focus option cannot be given with --max or --fullscreen"},
      {{"wt", "--min"}, "Missing command (nothing after target/options)"},
      // A size and a position: two whole numbers in range, one comma, no
      // blanks; echoed as typed.
      {{"wt", "--size"}, "Missing value after size option"},
      {{"conhost", "-q", "/SIZE"}, "Missing value after size option"},
      {{"wt", "--pos"}, "Missing value after position option"},
      {{"conhost", "/Pos"}, "Missing value after position option"},
      {{"wt", "--size", "120,40"}, "Missing command (nothing after target/options)"},
      {{"wt", "--size", "120x40", "x"}, "Invalid size '120x40' (expected COLS,ROWS)"},
      {{"wt", "--size", "120, 40", "x"}, "Invalid size '120, 40' (expected COLS,ROWS)"},
      {{"wt", "--size", " 120,40", "x"}, "Invalid size ' 120,40' (expected COLS,ROWS)"},
      {{"wt", "--size", "120,40,1", "x"}, "Invalid size '120,40,1' (expected COLS,ROWS)"},
      {{"wt", "--size", "120,", "x"}, "Invalid size '120,' (expected COLS,ROWS)"},
      {{"wt", "--size", ",40", "x"}, "Invalid size ',40' (expected COLS,ROWS)"},
      {{"wt", "--size", "", "x"}, "Invalid size '' (expected COLS,ROWS)"},
      {{"wt", "--size", "0,40", "x"}, "Invalid size '0,40' (expected COLS,ROWS)"},
      {{"wt", "--size", "120,-1", "x"}, "Invalid size '120,-1' (expected COLS,ROWS)"},
      {{"wt", "--size", "32768,1", "x"}, "Invalid size '32768,1' (expected COLS,ROWS)"},
      {{"wt", "--size", "+120,40", "x"}, "Invalid size '+120,40' (expected COLS,ROWS)"},
      {{"wt", "--size", "99999999999999999999,1", "x"},
       "Invalid size '99999999999999999999,1' (expected COLS,ROWS)"},
      {{"wt", "--size", "１２０,40", "x"}, "Invalid size '１２０,40' (expected COLS,ROWS)"},
      {{"wt", "--pos", "-32769,0", "x"}, "Invalid position '-32769,0' (expected X,Y)"},
      {{"wt", "--pos", "0,32768", "x"}, "Invalid position '0,32768' (expected X,Y)"},
      {{"wt", "--pos", "--5,0", "x"}, "Invalid position '--5,0' (expected X,Y)"},
      {{"wt", "--pos", "-,0", "x"}, "Invalid position '-,0' (expected X,Y)"},
      {{"wt", "--pos", "1.5,0", "x"}, "Invalid position '1.5,0' (expected X,Y)"},
      {{"wt", "--pos", "10", "x"}, "Invalid position '10' (expected X,Y)"},
      {{"wt", "--pos", "-q", "x"}, "Invalid position '-q' (expected X,Y)"},
      // The first failing check decides.
      {{"wt", "-s", "bad"}, "Unknown shell 'bad' (expected 'cmd', 'pwsh' or 'powershell')"},
      {{"bad", "-s"}, "Unknown target 'bad' (expected 'wt' or 'conhost')"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse(c.args), ParseOutcome(UsageError{c.message})) << c.message;
  }
  EXPECT_EQ(parse_arguments(std::vector<std::string>{}),
            ParseOutcome(UsageError{"No arguments provided"}));
}

TEST(ParseArguments, HelpFlagsOnlyAsFirstArgumentAndExact) {
  for (const char* flag : {"-h", "--help", "/h", "/help", "/?"}) {
    EXPECT_EQ(parse({flag}), ParseOutcome(Help{})) << flag;
    EXPECT_EQ(parse({flag, "wt", "x"}), ParseOutcome(Help{})) << flag;
    EXPECT_EQ(parse({flag, "bad", "-s"}), ParseOutcome(Help{})) << flag;
  }
  EXPECT_EQ(parse({"wt", "/?"}), ParseOutcome(Launch{request("wt", "cmd", "", {"/?"})}));
  EXPECT_EQ(parse({"wt", "-h"}), ParseOutcome(Launch{request("wt", "cmd", "", {"-h"})}));
  EXPECT_EQ(parse({"--HELP"}),
            ParseOutcome(UsageError{"Unknown target '--help' (expected 'wt' or 'conhost')"}));
  // The version flags, the same way.
  for (const char* flag : {"--version", "/version"}) {
    EXPECT_EQ(parse({flag}), ParseOutcome(Version{})) << flag;
    EXPECT_EQ(parse({flag, "bad", "-s"}), ParseOutcome(Version{})) << flag;
  }
  EXPECT_EQ(parse({"wt", "--version"}),
            ParseOutcome(Launch{request("wt", "cmd", "", {"--version"})}));
  EXPECT_EQ(parse({"/Version"}),
            ParseOutcome(UsageError{"Unknown target '/version' (expected 'wt' or 'conhost')"}));
}

LaunchRequest with_folder(LaunchRequest request, std::string folder) {
  request.folder = std::move(folder);
  return request;
}

LaunchRequest with_window(LaunchRequest request, std::string window) {
  request.window = std::move(window);
  return request;
}

LaunchRequest admin(LaunchRequest request) {
  request.admin = true;
  return request;
}

LaunchRequest exit_code(LaunchRequest request) {
  request.exit_code = true;
  return request;
}

LaunchRequest dry_run(LaunchRequest request) {
  request.dry_run = true;
  return request;
}

LaunchRequest keep(LaunchRequest request) {
  request.keep = true;
  return request;
}

LaunchRequest with_layout(LaunchRequest request, WindowLayout layout) {
  request.window_layout = layout;
  return request;
}

LaunchRequest with_variables(LaunchRequest request, std::vector<Variable> variables) {
  request.variables = std::move(variables);
  return request;
}

struct LaunchCase {
  std::vector<std::string> args;
  LaunchRequest expected;
};

TEST(ParseArguments, BuildsTheRequest) {
  const LaunchCase cases[] = {
      {{"wt", "x"}, request("wt", "cmd", "", {"x"})},
      {{"WT", "x"}, request("wt", "cmd", "", {"x"})},
      {{"CONHOST", "x"}, request("conhost", "cmd", "", {"x"})},
      {{"Conhost", "x"}, request("conhost", "cmd", "", {"x"})},
      // Every form of every option, in any case.
      {{"wt", "-s", "pwsh", "x"}, request("wt", "pwsh", "", {"x"})},
      {{"wt", "--shell", "pwsh", "x"}, request("wt", "pwsh", "", {"x"})},
      {{"wt", "/s", "pwsh", "x"}, request("wt", "pwsh", "", {"x"})},
      {{"wt", "/SHELL", "pwsh", "x"}, request("wt", "pwsh", "", {"x"})},
      {{"wt", "-S", "PowerShell", "x"}, request("wt", "powershell", "", {"x"})},
      {{"wt", "-t", "T", "x"}, request("wt", "cmd", "T", {"x"})},
      {{"wt", "--TITLE", "My Title", "x"}, request("wt", "cmd", "My Title", {"x"})},
      {{"wt", "/t", "T", "x"}, request("wt", "cmd", "T", {"x"})},
      {{"wt", "/Title", "T", "x"}, request("wt", "cmd", "T", {"x"})},
      {{"wt", "-w", "x"}, request("wt", "cmd", "", {"x"}, true)},
      {{"wt", "--wait", "x"}, request("wt", "cmd", "", {"x"}, true)},
      {{"wt", "/W", "x"}, request("wt", "cmd", "", {"x"}, true)},
      {{"wt", "/wait", "x"}, request("wt", "cmd", "", {"x"}, true)},
      {{"wt", "-q", "x"}, request("wt", "cmd", "", {"x"}, false, true)},
      {{"wt", "--Quiet", "x"}, request("wt", "cmd", "", {"x"}, false, true)},
      {{"wt", "/q", "x"}, request("wt", "cmd", "", {"x"}, false, true)},
      {{"wt", "/quiet", "x"}, request("wt", "cmd", "", {"x"}, false, true)},
      {{"conhost", "-d", "C:\\a b", "x"},
       with_folder(request("conhost", "cmd", "", {"x"}), "C:\\a b")},
      {{"wt", "--Dir", "", "x"}, with_folder(request("wt", "cmd", "", {"x"}), "")},
      {{"wt", "/d", "..", "-d", "D", "x"}, with_folder(request("wt", "cmd", "", {"x"}), "D")},
      {{"wt", "/dir", "-q", "x"}, with_folder(request("wt", "cmd", "", {"x"}), "-q")},
      {{"wt", "--window", "Dev", "x"}, with_window(request("wt", "cmd", "", {"x"}), "Dev")},
      {{"wt", "/WINDOW", "new", "x"}, with_window(request("wt", "cmd", "", {"x"}), "new")},
      {{"WT", "--Window", "a b;\"\\", "-w", "/window", "0", "x"},
       with_window(request("wt", "cmd", "", {"x"}, true), "0")},
      {{"wt", "--window", "-q", "x"}, with_window(request("wt", "cmd", "", {"x"}), "-q")},
      {{"wt", "-a", "x"}, admin(request("wt", "cmd", "", {"x"}))},
      {{"conhost", "--ADMIN", "x"}, admin(request("conhost", "cmd", "", {"x"}))},
      {{"wt", "/a", "-a", "x"}, admin(request("wt", "cmd", "", {"x"}))},
      {{"wt", "/admin", "x"}, admin(request("wt", "cmd", "", {"x"}))},
      {{"wt", "-e", "x"}, exit_code(request("wt", "cmd", "", {"x"}))},
      {{"wt", "--EXIT-CODE", "x"}, exit_code(request("wt", "cmd", "", {"x"}))},
      {{"wt", "/e", "x"}, exit_code(request("wt", "cmd", "", {"x"}))},
      {{"wt", "/exit-code", "x"}, exit_code(request("wt", "cmd", "", {"x"}))},
      {{"wt", "-n", "x"}, dry_run(request("wt", "cmd", "", {"x"}))},
      {{"wt", "--DRY-RUN", "x"}, dry_run(request("wt", "cmd", "", {"x"}))},
      {{"wt", "/n", "x"}, dry_run(request("wt", "cmd", "", {"x"}))},
      {{"wt", "/dry-run", "x"}, dry_run(request("wt", "cmd", "", {"x"}))},
      {{"wt", "-k", "x"}, keep(request("wt", "cmd", "", {"x"}))},
      {{"wt", "--KEEP", "x"}, keep(request("wt", "cmd", "", {"x"}))},
      {{"wt", "/k", "x"}, keep(request("wt", "cmd", "", {"x"}))},
      {{"wt", "/keep", "-k", "x"}, keep(request("wt", "cmd", "", {"x"}))},
      {{"wt", "-v", "A=1", "x"}, with_variables(request("wt", "cmd", "", {"x"}), {{"A", "1"}})},
      {{"wt", "--Var", "A=", "x"},
       with_variables(request("wt", "cmd", "", {"x"}), {{"A", std::nullopt}})},
      {{"wt", "/v", "A==", "x"}, with_variables(request("wt", "cmd", "", {"x"}), {{"A", "="}})},
      // Where and how the window opens.
      {{"wt", "--min", "x"},
       with_layout(request("wt", "cmd", "", {"x"}), {.show = WindowShow::minimized})},
      {{"conhost", "/MIN", "--min", "x"},
       with_layout(request("conhost", "cmd", "", {"x"}), {.show = WindowShow::minimized})},
      {{"conhost", "--Max", "x"},
       with_layout(request("conhost", "cmd", "", {"x"}), {.show = WindowShow::maximized})},
      {{"wt", "/max", "x"},
       with_layout(request("wt", "cmd", "", {"x"}), {.show = WindowShow::maximized})},
      {{"wt", "--FULLSCREEN", "x"},
       with_layout(request("wt", "cmd", "", {"x"}), {.show = WindowShow::fullscreen})},
      {{"wt", "/fullscreen", "x"},
       with_layout(request("wt", "cmd", "", {"x"}), {.show = WindowShow::fullscreen})},
      {{"conhost", "--no-focus", "x"},
       with_layout(request("conhost", "cmd", "", {"x"}), {.no_focus = true})},
      {{"wt", "/NO-FOCUS", "--min", "x"},
       with_layout(request("wt", "cmd", "", {"x"}),
                   {.show = WindowShow::minimized, .no_focus = true})},
      {{"conhost", "--size", "120,40", "x"},
       with_layout(request("conhost", "cmd", "", {"x"}), {.size = Cells{120, 40}})},
      {{"wt", "/Size", "1,32767", "--size", "007,2", "x"},
       with_layout(request("wt", "cmd", "", {"x"}), {.size = Cells{7, 2}})},
      {{"conhost", "--pos", "-1200,80", "x"},
       with_layout(request("conhost", "cmd", "", {"x"}), {.position = Pixels{-1200, 80}})},
      {{"wt", "/POS", "-32768,32767", "x"},
       with_layout(request("wt", "cmd", "", {"x"}), {.position = Pixels{-32768, 32767}})},
      {{"wt", "--pos", "-0,0", "x"},
       with_layout(request("wt", "cmd", "", {"x"}), {.position = Pixels{0, 0}})},
      {{"conhost", "--max", "--size", "100,30", "--pos", "0,0", "-e", "x"},
       with_layout(exit_code(request("conhost", "cmd", "", {"x"})),
                   {.show = WindowShow::maximized, .size = Cells{100, 30}, .position = Pixels{}})},
      {{"wt", "--window", "build", "--no-focus", "--pos", "5,-5", "x"},
       with_layout(with_window(request("wt", "cmd", "", {"x"}), "build"),
                   {.no_focus = true, .position = Pixels{5, -5}})},
      {{"wt", "x", "--max"}, request("wt", "cmd", "", {"x", "--max"})},
      // A value exactly as typed.
      {{"wt", "/VAR", "A= a=\"%b%\" \n\xED\xA0\x80 ", "x"},
       with_variables(request("wt", "cmd", "", {"x"}), {{"A", " a=\"%b%\" \n\xED\xA0\x80 "}})},
      // Names without case: the last one wins, in the first one's place.
      {{"wt", "-v", "A=1", "-v", "b=2", "-v", "a=3", "-v", "B=", "x"},
       with_variables(request("wt", "cmd", "", {"x"}), {{"a", "3"}, {"B", std::nullopt}})},
      {{"wt", "-v", "Grüße=1", "-v", "GRÜSSE=2", "-v", "GRÜßE=3", "x"},
       with_variables(request("wt", "cmd", "", {"x"}), {{"GRÜßE", "3"}, {"GRÜSSE", "2"}})},
      // The value after an option is the next argument, whatever it is.
      {{"wt", "-v", "-q=1", "x"}, with_variables(request("wt", "cmd", "", {"x"}), {{"-q", "1"}})},
      {{"wt", "-t", "-q", "x"}, request("wt", "cmd", "-q", {"x"})},
      {{"wt", "-t", "", "x"}, request("wt", "cmd", "", {"x"})},
      // Repeats: the last value wins; flags stay set.
      {{"wt", "-t", "A", "-t", "B", "x"}, request("wt", "cmd", "B", {"x"})},
      {{"wt", "-s", "pwsh", "-s", "cmd", "x", "a b"}, request("wt", "cmd", "", {"x", "a b"})},
      {{"wt", "-q", "-q", "-w", "-w", "x"}, request("wt", "cmd", "", {"x"}, true, true)},
      // Options only before the command and only as whole arguments.
      {{"wt", "x", "-q"}, request("wt", "cmd", "", {"x", "-q"})},
      {{"wt", "--shell=pwsh", "x"}, request("wt", "cmd", "", {"--shell=pwsh", "x"})},
      {{"wt", "-sq", "x"}, request("wt", "cmd", "", {"-sq", "x"})},
      {{"wt", "x", "-s", "pwsh", "a b"}, request("wt", "cmd", "", {"x", "-s", "pwsh", "a b"})},
      {{"wt", ""}, request("wt", "cmd", "", {""})},
      // "--" ends the options: the next word is the command, however it looks.
      {{"conhost", "--", "-weird.exe"}, request("conhost", "cmd", "", {"-weird.exe"})},
      {{"wt", "-q", "--", "-h", "--"}, request("wt", "cmd", "", {"-h", "--"}, false, true)},
      {{"wt", "--", "--"}, request("wt", "cmd", "", {"--"})},
      {{"wt", "-t", "--", "x"}, request("wt", "cmd", "--", {"x"})},
      {{"wt", "x", "--", "-q"}, request("wt", "cmd", "", {"x", "--", "-q"})},
      // The shell in force at the command chooses the quoting.
      {{"conhost", "-s", "powershell", "-t", "My Title", "Get-ChildItem", "-Recurse"},
       request("conhost", "powershell", "My Title", {"Get-ChildItem", "-Recurse"})},
      {{"wt", "-s", "pwsh", "echo", "it's", "&&"},
       request("wt", "pwsh", "", {"echo", "it's", "&&"})},
      {{"wt", "echo", "it's", "&&"}, request("wt", "cmd", "", {"echo", "it's", "&&"})},
      // Title and command words exactly as typed.
      {{"wt", "-t", "ÀBÇ \xED\xA0\x80", "ÀBÇ", "\xED\xB0\x80"},
       request("wt", "cmd", "ÀBÇ \xED\xA0\x80", {"ÀBÇ", "\xED\xB0\x80"})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse(c.args), ParseOutcome(Launch{c.expected})) << c.args.back();
  }
}

}  // namespace
}  // namespace vornalt
