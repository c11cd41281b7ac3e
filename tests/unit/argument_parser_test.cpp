#include "cli/argument_parser.h"

#include <gtest/gtest.h>

#include <map>

#include "cli/options.h"

namespace vornalt {
namespace {

// The argument list with the program's name in front.
std::vector<std::string> argv(std::vector<std::string> args) {
  args.insert(args.begin(), "vornalt.exe");
  return args;
}

ParseOutcome parse(const std::vector<std::string>& args) { return parse_arguments(argv(args)); }

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
      {{"wt", "--size", "120x40", "x"},
       "Invalid size '120x40' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "120, 40", "x"},
       "Invalid size '120, 40' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", " 120,40", "x"},
       "Invalid size ' 120,40' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "120,40,1", "x"},
       "Invalid size '120,40,1' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "120,", "x"},
       "Invalid size '120,' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", ",40", "x"},
       "Invalid size ',40' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "", "x"}, "Invalid size '' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "0,40", "x"},
       "Invalid size '0,40' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "120,-1", "x"},
       "Invalid size '120,-1' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "32768,1", "x"},
       "Invalid size '32768,1' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "+120,40", "x"},
       "Invalid size '+120,40' (expected COLS,ROWS, each from 1 to 32767)"},
      // A number of many digits, even one whose 32-bit remainder is in range.
      {{"wt", "--size", "4294967376,25", "x"},
       "Invalid size '4294967376,25' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--pos", "0,4294967297", "x"},
       "Invalid position '0,4294967297' (expected X,Y, each from -32768 to 32767)"},
      {{"wt", "--size", "99999999999999999999,1", "x"},
       "Invalid size '99999999999999999999,1' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--size", "１２０,40", "x"},
       "Invalid size '１２０,40' (expected COLS,ROWS, each from 1 to 32767)"},
      {{"wt", "--pos", "-32769,0", "x"},
       "Invalid position '-32769,0' (expected X,Y, each from -32768 to 32767)"},
      {{"wt", "--pos", "0,32768", "x"},
       "Invalid position '0,32768' (expected X,Y, each from -32768 to 32767)"},
      {{"wt", "--pos", "--5,0", "x"},
       "Invalid position '--5,0' (expected X,Y, each from -32768 to 32767)"},
      {{"wt", "--pos", "-,0", "x"},
       "Invalid position '-,0' (expected X,Y, each from -32768 to 32767)"},
      {{"wt", "--pos", "1.5,0", "x"},
       "Invalid position '1.5,0' (expected X,Y, each from -32768 to 32767)"},
      {{"wt", "--pos", "10", "x"},
       "Invalid position '10' (expected X,Y, each from -32768 to 32767)"},
      {{"wt", "--pos", "-q", "x"},
       "Invalid position '-q' (expected X,Y, each from -32768 to 32767)"},
      // Windows Terminal's tab and pane: wt only, each value as it allows.
      {{"conhost", "-p", "Dev", "x"}, "The profile option needs the target 'wt'"},
      {{"CONHOST", "/Tab-Color", "#fff", "x"}, "The tab-color option needs the target 'wt'"},
      {{"conhost", "--split", "right", "x"}, "The split option needs the target 'wt'"},
      {{"conhost", "/SPLIT-SIZE", "30", "x"}, "The split-size option needs the target 'wt'"},
      {{"wt", "--profile"}, "Missing value after profile option"},
      {{"wt", "--tab-color"}, "Missing value after tab-color option"},
      {{"wt", "/split"}, "Missing value after split option"},
      {{"wt", "--split-size"}, "Missing value after split-size option"},
      {{"wt", "-p", "", "x"}, "Invalid profile '' (expected a profile's name or GUID)"},
      {{"wt", "--tab-color", "3A7BD5", "x"}, "Invalid color '3A7BD5' (expected #RRGGBB or #RGB)"},
      {{"wt", "--tab-color", "#3A7BD", "x"}, "Invalid color '#3A7BD' (expected #RRGGBB or #RGB)"},
      {{"wt", "--tab-color", "#GGG", "x"}, "Invalid color '#GGG' (expected #RRGGBB or #RGB)"},
      {{"wt", "--tab-color", "red", "x"}, "Invalid color 'red' (expected #RRGGBB or #RGB)"},
      {{"wt", "--tab-color", "#3A7BD5 ", "x"},
       "Invalid color '#3A7BD5 ' (expected #RRGGBB or #RGB)"},
      {{"wt", "--split", "Left", "x"},
       "Unknown split direction 'left' (expected 'right', 'down' or 'auto')"},
      {{"wt", "--split", "", "x"},
       "Unknown split direction '' (expected 'right', 'down' or 'auto')"},
      {{"wt", "--split", "right", "--split-size", "0", "x"},
       "Invalid split size '0' (expected a whole number from 1 to 99)"},
      {{"wt", "--split", "right", "--split-size", "100", "x"},
       "Invalid split size '100' (expected a whole number from 1 to 99)"},
      {{"wt", "--split", "right", "--split-size", "30%", "x"},
       "Invalid split size '30%' (expected a whole number from 1 to 99)"},
      {{"wt", "--split", "right", "--split-size", "0.3", "x"},
       "Invalid split size '0.3' (expected a whole number from 1 to 99)"},
      {{"wt", "--split", "right", "--split-size", "-5", "x"},
       "Invalid split size '-5' (expected a whole number from 1 to 99)"},
      {{"wt", "--split-size", "30", "x"}, "The split-size option needs --split"},
      {{"wt", "--split-size", "30"}, "The split-size option needs --split"},
      {{"wt", "--split", "right", "--min", "x"},
       "The split option cannot be given with --min, --max, --fullscreen, --no-focus, --size or "
       "--pos"},
      {{"wt", "--pos", "0,0", "--split", "down", "x"},
       "The split option cannot be given with --min, --max, --fullscreen, --no-focus, --size or "
       "--pos"},
      {{"wt", "--no-focus", "--split", "auto", "x"},
       "The split option cannot be given with --min, --max, --fullscreen, --no-focus, --size or "
       "--pos"},
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
  EXPECT_EQ(parse({"wt", "/?"}), ParseOutcome(Launch{{.target = Target::wt, .words = {"/?"}}}));
  EXPECT_EQ(parse({"wt", "-h"}), ParseOutcome(Launch{{.target = Target::wt, .words = {"-h"}}}));
  EXPECT_EQ(parse({"--HELP"}),
            ParseOutcome(UsageError{"Unknown target '--help' (expected 'wt' or 'conhost')"}));
  // The version flags, the same way.
  for (const char* flag : {"--version", "/version"}) {
    EXPECT_EQ(parse({flag}), ParseOutcome(Version{})) << flag;
    EXPECT_EQ(parse({flag, "bad", "-s"}), ParseOutcome(Version{})) << flag;
  }
  EXPECT_EQ(parse({"wt", "--version"}),
            ParseOutcome(Launch{{.target = Target::wt, .words = {"--version"}}}));
  EXPECT_EQ(parse({"/Version"}),
            ParseOutcome(UsageError{"Unknown target '/version' (expected 'wt' or 'conhost')"}));
}

constexpr Target WT = Target::wt;
constexpr Target CONHOST = Target::conhost;
const std::vector<std::string> X = {"x"};

struct LaunchCase {
  std::vector<std::string> args;
  LaunchRequest expected;
  std::vector<std::string> warnings = {};
};

// Every form of every option, as listed or upper-cased, means what its first
// form means, and means something.
TEST(ParseArguments, EveryFormOfAnOptionMeansTheSame) {
  for (const Option& option : OPTIONS) {
    const auto parse_with = [&](std::string form) {
      std::vector<std::string> args = {"wt", form};
      // A value that it takes.
      static const std::map<OptionKind, std::string> VALUES = {
          {OptionKind::shell, "pwsh"},     {OptionKind::size, "1,2"},
          {OptionKind::position, "3,4"},   {OptionKind::variable, "A=1"},
          {OptionKind::tab_color, "#fff"}, {OptionKind::split, "down"},
          {OptionKind::split_size, "30"}};
      if (takes_value(option.kind))
        args.push_back(VALUES.contains(option.kind) ? VALUES.at(option.kind) : "v");
      // The share of a pane needs a pane.
      if (option.kind == OptionKind::split_size)
        args.insert(args.begin() + 1, {"--split", "right"});
      args.push_back("x");
      return parse(args);
    };
    const ParseOutcome meant = parse_with(std::string(option.forms[0]));
    ASSERT_TRUE(std::holds_alternative<Launch>(meant)) << option.forms[0];
    EXPECT_NE(meant, parse_with("--")) << option.forms[0];
    for (std::string_view form : option.forms) {
      if (form.empty()) continue;
      std::string upper(form);
      for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
      EXPECT_EQ(parse_with(std::string(form)), meant) << form;
      EXPECT_EQ(parse_with(upper), meant) << upper;
    }
  }
}

TEST(ParseArguments, BuildsTheRequest) {
  const LaunchCase cases[] = {
      {{"wt", "x"}, {.target = WT, .words = X}},
      {{"WT", "x"}, {.target = WT, .words = X}},
      {{"CONHOST", "x"}, {.target = CONHOST, .words = X}},
      {{"Conhost", "x"}, {.target = CONHOST, .words = X}},
      // What each option sets (every form of it: below).
      {{"wt", "-s", "pwsh", "x"}, {.target = WT, .shell = Shell::pwsh, .words = X}},
      {{"wt", "-S", "PowerShell", "x"}, {.target = WT, .shell = Shell::powershell, .words = X}},
      {{"wt", "-t", "T", "x"}, {.target = WT, .title = "T", .words = X}},
      {{"wt", "--TITLE", "My Title", "x"}, {.target = WT, .title = "My Title", .words = X}},
      {{"wt", "-w", "x"}, {.target = WT, .words = X, .wait = true}},
      {{"wt", "-q", "x"}, {.target = WT, .words = X, .quiet = true}},
      {{"conhost", "-d", "C:\\a b", "x"}, {.target = CONHOST, .words = X, .folder = "C:\\a b"}},
      {{"wt", "--Dir", "", "x"}, {.target = WT, .words = X, .folder = ""}},
      {{"wt", "/d", "..", "-d", "D", "x"}, {.target = WT, .words = X, .folder = "D"}},
      {{"wt", "/dir", "-q", "x"}, {.target = WT, .words = X, .folder = "-q"}},
      {{"wt", "--window", "Dev", "x"}, {.target = WT, .words = X, .window = "Dev"}},
      {{"WT", "--Window", "a b;\"\\", "-w", "/window", "0", "x"},
       {.target = WT, .words = X, .wait = true, .window = "0"}},
      {{"wt", "--window", "-q", "x"}, {.target = WT, .words = X, .window = "-q"}},
      {{"wt", "-a", "x"}, {.target = WT, .words = X, .admin = true}},
      {{"wt", "-e", "x"}, {.target = WT, .words = X, .exit_code = true}},
      {{"wt", "-n", "x"}, {.target = WT, .words = X, .dry_run = true}},
      {{"wt", "-k", "x"}, {.target = WT, .words = X, .keep = true}},
      {{"wt", "-v", "A=1", "x"}, {.target = WT, .words = X, .variables = {{"A", "1"}}}},
      {{"wt", "--Var", "A=", "x"}, {.target = WT, .words = X, .variables = {{"A", std::nullopt}}}},
      {{"wt", "/v", "A==", "x"}, {.target = WT, .words = X, .variables = {{"A", "="}}}},
      // Where and how the window opens.
      {{"wt", "--min", "x"},
       {.target = WT, .words = X, .window_layout = {.show = WindowShow::minimized}}},
      {{"conhost", "/MIN", "--min", "x"},
       {.target = CONHOST, .words = X, .window_layout = {.show = WindowShow::minimized}}},
      {{"conhost", "--Max", "x"},
       {.target = CONHOST, .words = X, .window_layout = {.show = WindowShow::maximized}}},
      {{"wt", "--FULLSCREEN", "x"},
       {.target = WT, .words = X, .window_layout = {.show = WindowShow::fullscreen}}},
      {{"conhost", "--no-focus", "x"},
       {.target = CONHOST, .words = X, .window_layout = {.no_focus = true}}},
      {{"wt", "/NO-FOCUS", "--min", "x"},
       {.target = WT,
        .words = X,
        .window_layout = {.show = WindowShow::minimized, .no_focus = true}}},
      {{"conhost", "--size", "120,40", "x"},
       {.target = CONHOST, .words = X, .window_layout = {.size = Cells{120, 40}}}},
      {{"wt", "/Size", "1,32767", "--size", "007,2", "x"},
       {.target = WT, .words = X, .window_layout = {.size = Cells{7, 2}}}},
      {{"conhost", "--pos", "-1200,80", "x"},
       {.target = CONHOST, .words = X, .window_layout = {.position = Pixels{-1200, 80}}}},
      {{"wt", "/POS", "-32768,32767", "x"},
       {.target = WT, .words = X, .window_layout = {.position = Pixels{-32768, 32767}}}},
      {{"wt", "--pos", "-0,0", "x"},
       {.target = WT, .words = X, .window_layout = {.position = Pixels{0, 0}}}},
      {{"conhost", "--max", "--size", "100,30", "--pos", "0,0", "-e", "x"},
       {.target = CONHOST,
        .words = X,
        .window_layout = {.show = WindowShow::maximized,
                          .size = Cells{100, 30},
                          .position = Pixels{}},
        .exit_code = true}},
      {{"wt", "--window", "build", "--no-focus", "--pos", "5,-5", "x"},
       {.target = WT,
        .words = X,
        .window = "build",
        .window_layout = {.no_focus = true, .position = Pixels{5, -5}}}},
      {{"wt", "x", "--max"}, {.target = WT, .words = {"x", "--max"}}},
      // Windows Terminal's tab and pane.
      {{"wt", "-p", "Dev", "x"}, {.target = WT, .words = X, .tab = {.profile = "Dev"}}},
      {{"wt", "--PROFILE", "{2c4de342-38b7-51cf-b940-2309a097f518}", "x"},
       {.target = WT, .words = X, .tab = {.profile = "{2c4de342-38b7-51cf-b940-2309a097f518}"}}},
      {{"wt", "/Profile", "My Profile; \"dev\"", "x"},
       {.target = WT, .words = X, .tab = {.profile = "My Profile; \"dev\""}}},
      {{"wt", "--tab-color", "#3a7BD5", "x"},
       {.target = WT, .words = X, .tab = {.color = "#3a7BD5"}}},
      {{"wt", "--split", "RIGHT", "x"},
       {.target = WT, .words = X, .tab = {.split = SplitDirection::right}}},
      {{"wt", "--Split", "Auto", "x"},
       {.target = WT, .words = X, .tab = {.split = SplitDirection::automatic}}},
      {{"wt", "--split-size", "30", "--split", "right", "x"},
       {.target = WT, .words = X, .tab = {.split = SplitDirection::right, .split_percent = 30}}},
      {{"wt", "--split", "down", "/SPLIT-SIZE", "05", "--split-size", "99", "x"},
       {.target = WT, .words = X, .tab = {.split = SplitDirection::down, .split_percent = 99}}},
      {{"wt", "--split", "down", "--split-size", "1", "-a", "-e", "-k", "--window", "w", "x"},
       {.target = WT,
        .words = X,
        .window = "w",
        .exit_code = true,
        .keep = true,
        .admin = true,
        .tab = {.split = SplitDirection::down, .split_percent = 1}}},
      // A value exactly as typed.
      {{"wt", "/VAR", "A= a=\"%b%\" \n\xED\xA0\x80 ", "x"},
       {.target = WT, .words = X, .variables = {{"A", " a=\"%b%\" \n\xED\xA0\x80 "}}}},
      // Names without case: the last one wins, in the first one's place.
      {{"wt", "-v", "A=1", "-v", "b=2", "-v", "a=3", "-v", "B=", "x"},
       {.target = WT, .words = X, .variables = {{"a", "3"}, {"B", std::nullopt}}}},
      {{"wt", "-v", "Grüße=1", "-v", "GRÜSSE=2", "-v", "GRÜßE=3", "x"},
       {.target = WT, .words = X, .variables = {{"GRÜßE", "3"}, {"GRÜSSE", "2"}}}},
      // The value after an option is the next argument, whatever it is.
      {{"wt", "-v", "-q=1", "x"}, {.target = WT, .words = X, .variables = {{"-q", "1"}}}},
      {{"wt", "-t", "-q", "x"}, {.target = WT, .title = "-q", .words = X}},
      {{"wt", "-t", "", "x"}, {.target = WT, .words = X}},
      // Repeats: the last value wins; flags stay set.
      {{"wt", "-t", "A", "-t", "B", "x"}, {.target = WT, .title = "B", .words = X}},
      {{"wt", "-s", "pwsh", "-s", "cmd", "x", "a b"}, {.target = WT, .words = {"x", "a b"}}},
      {{"wt", "-q", "-q", "-w", "-w", "x"},
       {.target = WT, .words = X, .wait = true, .quiet = true}},
      // Options only before the command and only as whole arguments; an
      // option's form with a value glued to it starts the command, with a
      // warning, unless "--" came first.
      {{"wt", "x", "-q"}, {.target = WT, .words = {"x", "-q"}}},
      {{"wt", "-sq", "x"}, {.target = WT, .words = {"-sq", "x"}}},
      {{"wt", "x", "-s", "pwsh", "a b"}, {.target = WT, .words = {"x", "-s", "pwsh", "a b"}}},
      {{"wt", "--shell=pwsh", "x"},
       {.target = WT, .words = {"--shell=pwsh", "x"}},
       {"Warning: '--shell=pwsh' starts the command; an option's value is the next word "
        "(--shell pwsh)"}},
      {{"conhost", "-q", "--Size=80,25", "x"},
       {.target = CONHOST, .words = {"--Size=80,25", "x"}, .quiet = true},
       {"Warning: '--Size=80,25' starts the command; an option's value is the next word "
        "(--Size 80,25)"}},
      {{"wt", "/pos=10,10"},
       {.target = WT, .words = {"/pos=10,10"}},
       {"Warning: '/pos=10,10' starts the command; an option's value is the next word "
        "(/pos 10,10)"}},
      {{"wt", "--max=1"},
       {.target = WT, .words = {"--max=1"}},
       {"Warning: '--max=1' starts the command; the option --max takes no value"}},
      {{"wt", "--", "--size=80,25"}, {.target = WT, .words = {"--size=80,25"}}},
      {{"wt", "x", "--size=80,25"}, {.target = WT, .words = {"x", "--size=80,25"}}},
      {{"wt", "--sizes=1", "=x", "a=b"}, {.target = WT, .words = {"--sizes=1", "=x", "a=b"}}},
      {{"wt", ""}, {.target = WT, .words = {""}}},
      // "--" ends the options: the next word is the command, however it looks.
      {{"conhost", "--", "-weird.exe"}, {.target = CONHOST, .words = {"-weird.exe"}}},
      {{"wt", "-q", "--", "-h", "--"}, {.target = WT, .words = {"-h", "--"}, .quiet = true}},
      {{"wt", "--", "--"}, {.target = WT, .words = {"--"}}},
      {{"wt", "-t", "--", "x"}, {.target = WT, .title = "--", .words = X}},
      {{"wt", "x", "--", "-q"}, {.target = WT, .words = {"x", "--", "-q"}}},
      // The shell in force at the command is the request's.
      {{"conhost", "-s", "powershell", "-t", "My Title", "Get-ChildItem", "-Recurse"},
       {.target = CONHOST,
        .shell = Shell::powershell,
        .title = "My Title",
        .words = {"Get-ChildItem", "-Recurse"}}},
      // Title and command words exactly as typed.
      {{"wt", "-t", "ÀBÇ \xED\xA0\x80", "ÀBÇ", "\xED\xB0\x80"},
       {.target = WT, .title = "ÀBÇ \xED\xA0\x80", .words = {"ÀBÇ", "\xED\xB0\x80"}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse(c.args), ParseOutcome(Launch{c.expected, c.warnings}))
        << ::testing::PrintToString(c.args);
  }
}

}  // namespace
}  // namespace vornalt
