#include "compose/console_command_line.h"

#include <gtest/gtest.h>

#include "cli/argument_parser.h"
#include "cmd_round_trip.h"
#include "composed_lines.h"
#include "pipe/protocol.h"
#include "platform_readers.h"
#include "random_text.h"
#include "relay/relay_message.h"
#include "text/wtf8.h"
#include "wt_title.h"

namespace vornalt {
namespace {

LaunchRequest request(std::string_view target, std::string_view shell, std::string title,
                      std::vector<std::string> words) {
  return {.target = *target_named(target),
          .shell = *shell_named(shell),
          .title = std::move(title),
          .words = std::move(words)};
}

std::string compose(const LaunchRequest& request) {
  return compose_command_line(request, plan_launch(request, false));
}

// With the folder of -d found.
std::string compose_in(const LaunchRequest& request, const std::string& folder) {
  LaunchPlan plan = plan_launch(request, false);
  plan.folder = folder;
  return compose_command_line(request, plan);
}

// With a relay that has a pipe, and sizes the window where asked.
std::string compose_with_relay(const LaunchRequest& request, const std::string& program,
                               const std::string& id, std::optional<Cells> size = {}) {
  LaunchPlan plan = plan_launch(request, false);
  plan.relay = RelayMessage{.pipe_id = id, .window_size = size};
  plan.reads_command_status = true;
  plan.relay_program = program;
  plan.pipe_id = id;
  return compose_command_line(request, plan);
}

struct ComposeCase {
  LaunchRequest request;
  std::string line;
};

// The whole requests of the shared table, with the fakes' vornalt.exe and
// pipe id found before the start.
TEST(ComposeCommandLine, TheTableOfWholeRequests) {
  for (const testing::ComposedLine& composed : testing::composed_lines()) {
    std::vector<std::string> args = composed.args;
    args.insert(args.begin(), "vornalt.exe");
    const ParseOutcome outcome = parse_arguments(args);
    ASSERT_TRUE(std::holds_alternative<Launch>(outcome)) << composed.line;
    const LaunchRequest& r = std::get<Launch>(outcome).request;
    LaunchPlan plan = plan_launch(r, false);
    plan.folder = r.folder.value_or("");
    plan.relay_program = "C:\\tools\\vornalt.exe";
    plan.pipe_id = testing::FAKE_ID;
    if (plan.has_relay_pipe()) plan.relay->pipe_id = plan.pipe_id;
    EXPECT_EQ(compose_command_line(r, plan), composed.line);
  }
}

TEST(ComposeCommandLine, EscapesTheWordsAndTheTitleForEachHost) {
  const ComposeCase cases[] = {
      // Titles escaped for cmd's title command.
      {request("conhost", "cmd", "A & B", {"x"}), "conhost.exe cmd.exe /c title A ^& B && x"},
      {request("conhost", "cmd", "A & echo X>x.txt", {"x"}),
       "conhost.exe cmd.exe /c title A ^& echo X^>x.txt && x"},
      {request("conhost", "cmd", "^|<>\"%PATH%", {"x"}),
       "conhost.exe cmd.exe /c title ^^^|^<^>'%PATH% && x"},
      {request("conhost", "cmd", "a ", {"x"}), "conhost.exe cmd.exe /c title a^ && x"},
      {request("conhost", "cmd", " ", {"x"}), "conhost.exe cmd.exe /c title ^ && x"},
      // The cmd arguments as wt.exe must read them.
      {request("wt", "cmd", "", {"my tools\\probe.exe", "a b"}),
       "wt.exe --window vornalt --title \"\" --startingDirectory . cmd.exe /s /c \\\" \"my "
       "tools\\probe.exe\" \"a b\" \\\""},
      {request("wt", "cmd", "", {"p", "a;b", "c;d e"}),
       "wt.exe --window vornalt --title \"\" --startingDirectory . cmd.exe /c p a\\;b \"c\\;d e\""},
      {request("wt", "cmd", "", {"p", "a\"b", "x&y", "", "a\tb"}),
       "wt.exe --window vornalt --title \"\" --startingDirectory . cmd.exe /c p a\\\\\\\"b x&y "
       "\\\"\\\" \"\\\"a\tb\\\"\""},
      // Titles escaped for wt.exe.
      {request("wt", "cmd", "C:\\work\\", {"x"}),
       "wt.exe --window vornalt --title \"C:\\work\\\\\" --startingDirectory . cmd.exe /c x"},
      {request("wt", "cmd", "a;b", {"x"}),
       "wt.exe --window vornalt --title \"a\\;b\" --startingDirectory . cmd.exe /c x"},
      {request("wt", "cmd", "say \"hi\"", {"x"}),
       "wt.exe --window vornalt --title \"say \\\"hi\\\"\" --startingDirectory . cmd.exe /c x"},
      // Unpaired surrogates and other characters pass through.
      {request("wt", "cmd", "日本 \xED\xA0\x80", {"x", "\xED\xB0\x80"}),
       "wt.exe --window vornalt --title \"日本 \xED\xA0\x80\" --startingDirectory . cmd.exe /c x "
       "\xED\xB0\x80"},
  };
  for (const auto& c : cases) EXPECT_EQ(compose(c.request), c.line) << c.line;
}

TEST(EscapeTitleForWt, OnlyQuotesBackslashRunsAndSemicolons) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"Plain Title", "Plain Title"},
      {"C:\\work\\dir", "C:\\work\\dir"},
      {"C:\\work\\", "C:\\work\\\\"},
      {"a\\\\", "a\\\\\\\\"},
      {"\"", "\\\""},
      {"a\\\"b", "a\\\\\\\"b"},
      {"a;b;", "a\\;b\\;"},
      {"a\\;b", "a\\\\;b"},
      {"日本;", "日本\\;"},
  };
  for (const auto& [title, escaped] : cases)
    EXPECT_EQ(escape_title_for_wt(title), escaped) << title;
}

TEST(EscapeTitleForCmd, ConhostKeepsItAndCmdTakesItLiterally) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"Plain Title", "Plain Title"},
      {"say \"hi\"", "say 'hi'"},
      {"^&|<>", "^^^&^|^<^>"},
      {" a", "^ a"},
      {"a ", "a^ "},
      {"a  b", "a^ ^ b"},
      {"a\tb\nc\r", "a b c^ "},
      {"C:\\work\\ a;b %X%", "C:\\work\\ a;b %X%"},
  };
  for (const auto& [title, escaped] : cases)
    EXPECT_EQ(escape_title_for_cmd(title), escaped) << title;
}

TEST(ComposeCommandLine, WtReadsBackTheTitle) {
  // wt.exe splits its command line with CommandLineToArgvW (the tested model
  // of it here) and then turns "\;" into ";".
  const std::string pieces[] = {"a",  " ",    "\\", "\"",   ";",
                                "\t", "日本", "😀",  "\\\\", "\xED\xA0\x80"};
  std::vector<std::string> titles = {"", "C:\\work\\", "\"\"", "\\\"", ";;", "a\\;b", "\\"};
  for (const auto& a : pieces) {
    for (const auto& b : pieces) {
      for (const auto& c : pieces) titles.push_back(a + b + c);
    }
  }
  for (const auto& title : titles) {
    for (const char* shell : {"cmd", "pwsh", "powershell"}) {
      const std::string line = compose(request("wt", shell, title, {"x"}));
      EXPECT_EQ(testing::title_seen_by_wt(line), title) << line;
    }
  }
}

// The window that --window names, as wt.exe reads it back; without it,
// "vornalt".
// The window by --window, and wt.exe's own options for a window that it
// creates, where it reads them: before the tab's, with the words intact.
TEST(ComposeCommandLine, WtReadsBackTheWindow) {
  const std::optional<std::string> windows[] = {
      std::nullopt, "new", "last",    "0",     "-1", "Dev",    "a b", "a;b",     ";",       "a\\;b",
      "say \"hi\"", "\"",  "C:\\x\\", "a b\\", "\\", "日本 😀", " ",   "--title", "a\tb c\\"};
  const WindowLayout layouts[] = {
      {},
      {.show = WindowShow::maximized, .size = Cells{120, 40}, .position = Pixels{-1200, 80}},
      {.show = WindowShow::fullscreen, .position = Pixels{-32768, 32767}},
      {.show = WindowShow::minimized, .size = Cells{1, 1}},
      {.no_focus = true},
  };
  const auto as_it_is = [](std::string_view text) { return std::string(text); };
  for (const auto& window : windows) {
    for (const WindowLayout& layout : layouts) {
      for (const char* shell : {"cmd", "pwsh"}) {
        LaunchRequest r = request("wt", shell, "T", {"probe.exe", "a b;c"});
        r.window = window;
        r.window_layout = layout;
        const std::string line = compose(r);
        const testing::WtReading reading = testing::wt_reading(line, as_it_is);
        EXPECT_EQ(reading.window, window.value_or(layout.asked() ? "new" : "vornalt")) << line;
        EXPECT_EQ(reading.maximized, layout.show == WindowShow::maximized) << line;
        EXPECT_EQ(reading.fullscreen, layout.show == WindowShow::fullscreen) << line;
        EXPECT_FALSE(reading.focus) << line;
        EXPECT_EQ(reading.pos,
                  layout.position ? std::optional(to_string(*layout.position)) : std::nullopt)
            << line;
        EXPECT_EQ(reading.size, layout.size ? std::optional(to_string(*layout.size)) : std::nullopt)
            << line;
        EXPECT_EQ(reading.title, "T") << line;
        EXPECT_EQ(reading.subcommands, 1u) << line;
        if (shell == std::string("cmd")) {
          EXPECT_EQ(reading.command, "cmd.exe /c probe.exe \"a b;c\"") << line;
        }
      }
    }
  }
  LaunchRequest r = request("wt", "cmd", "T", {"x"});
  r.window_layout = layouts[1];
  EXPECT_EQ(compose(r),
            "wt.exe --window new --maximized --pos -1200,80 --size 120,40 --title \"T\" "
            "--startingDirectory . cmd.exe /c x");
}

// The model of wt.exe reads its subcommands as Terminal does: the root's
// options, then a subcommand's name only where an option could stand, then
// its own options, an unknown option or a refused value being an error.
TEST(WtModel, ReadsTheSubcommandAndItsOptions) {
  const auto as_it_is = [](std::string_view text) { return std::string(text); };
  const struct {
    std::string line;
    std::string subcommand = "new-tab";
    std::optional<char> split = {};
    std::optional<std::string> size = {};  // the root's, for the window
    std::string command = "x";
    bool error = false;
  } cases[] = {
      {.line = "wt -w 0 split-pane -V -s 0.3 --title T x",
       .subcommand = "split-pane",
       .split = 'V'},
      {.line = "wt sp -H --size 0.05 x", .subcommand = "split-pane", .split = 'H'},
      {.line = "wt --size 100,30 split-pane x", .subcommand = "split-pane", .size = "100,30"},
      {.line = "wt --size 100,30 nt x", .size = "100,30"},
      {.line = "wt --title T split-pane x", .command = "split-pane x"},
      {.line = "wt x split-pane -V", .command = "x split-pane -V"},
      {.line = "wt split-pane -s 1.5 x", .subcommand = "split-pane", .error = true},
      {.line = "wt split-pane -s 0 x", .subcommand = "split-pane", .error = true},
      {.line = "wt split-pane -H -V x", .subcommand = "split-pane", .split = 'V', .error = true},
      {.line = "wt -V x", .command = "-V x", .error = true},
      {.line = "wt new-tab -s 0.3 x", .command = "-s 0.3 x", .error = true},
      {.line = "wt --unknown x", .command = "--unknown x", .error = true},
  };
  for (const auto& c : cases) {
    const testing::WtReading reading = testing::wt_reading(c.line, as_it_is);
    EXPECT_EQ(reading.subcommand, c.subcommand) << c.line;
    EXPECT_EQ(reading.split, c.split) << c.line;
    EXPECT_EQ(reading.size, c.size) << c.line;
    EXPECT_EQ(reading.command, c.command) << c.line;
    EXPECT_EQ(reading.error, c.error) << c.line;
  }
  EXPECT_EQ(testing::wt_reading("wt --tabColor red x", as_it_is).tab_color, std::nullopt);
  EXPECT_EQ(testing::wt_reading("wt --tabColor #aBc x", as_it_is).tab_color, "#aBc");
}

// The tab's profile and colour and the pane's split, as wt.exe reads them
// back: one subcommand, its options where Terminal reads them, each value
// exactly, and the command's words intact; a split opens in the current
// window unless --window names one.
TEST(ComposeCommandLine, WtReadsBackTheTabAndThePane) {
  const std::optional<std::string> profiles[] = {std::nullopt,
                                                 "Dev",
                                                 "My Profile; \"dev\"",
                                                 "{2c4de342-38b7-51cf-b940-2309a097f518}",
                                                 "日本 😀 \xED\xA0\x80",
                                                 "a\\",
                                                 "-p",
                                                 "--title",
                                                 "\\;"};
  const std::optional<std::string> colors[] = {std::nullopt, "#3A7BD5", "#f0a"};
  const std::optional<SplitDirection> splits[] = {std::nullopt, SplitDirection::right,
                                                  SplitDirection::down, SplitDirection::automatic};
  const std::optional<int> percents[] = {std::nullopt, 1, 5, 30, 99};
  const auto as_it_is = [](std::string_view text) { return std::string(text); };
  for (const auto& profile : profiles) {
    for (const auto& color : colors) {
      for (const auto& split : splits) {
        for (const auto& percent : percents) {
          if (percent && !split) continue;
          for (const std::optional<std::string>& window :
               {std::optional<std::string>(), std::optional<std::string>("w")}) {
            LaunchRequest r = request("wt", "cmd", "T", {"probe.exe", "a b;c"});
            r.tab = {.profile = profile, .color = color, .split = split, .split_percent = percent};
            r.window = window;
            const std::string line = compose(r);
            const testing::WtReading reading = testing::wt_reading(line, as_it_is);
            EXPECT_FALSE(reading.error) << line;
            EXPECT_EQ(reading.subcommands, 1u) << line;
            EXPECT_EQ(reading.subcommand, split ? "split-pane" : "new-tab") << line;
            const std::optional<char> flag = !split || *split == SplitDirection::automatic
                                                 ? std::nullopt
                                             : *split == SplitDirection::right ? std::optional('V')
                                                                               : std::optional('H');
            EXPECT_EQ(reading.split, flag) << line;
            EXPECT_EQ(reading.split_size,
                      percent ? std::optional(pane_share(*percent)) : std::nullopt)
                << line;
            EXPECT_EQ(reading.window, window.value_or(split ? "0" : "vornalt")) << line;
            // An unpaired surrogate reaches Terminal as U+FFFD, as in every word.
            EXPECT_EQ(reading.profile,
                      profile ? std::optional(to_utf8_lossy(*profile)) : std::nullopt)
                << line;
            EXPECT_EQ(reading.tab_color, color) << line;
            EXPECT_EQ(reading.title, "T") << line;
            EXPECT_EQ(reading.command, "cmd.exe /c probe.exe \"a b;c\"") << line;
          }
        }
      }
    }
  }
}

TEST(ComposeCommandLine, WtReadsBackTheStartingFolder) {
  const std::string folders[] = {"",
                                 "C:\\",
                                 "C:\\a b",
                                 "C:\\a b\\",
                                 "C:\\x;y\\;z;",
                                 "C:\\Grüße 日本 😀",
                                 "\\\\server\\share\\a b;c\\",
                                 "C:\\a\\\\b \\\\"};
  const auto as_it_is = [](std::string_view text) { return std::string(text); };
  for (const auto& folder : folders) {
    for (const char* shell : {"cmd", "pwsh"}) {
      const std::string line = compose_in(request("wt", shell, "T", {"x"}), folder);
      const testing::WtReading reading = testing::wt_reading(line, as_it_is);
      EXPECT_EQ(reading.starting_directory, folder.empty() ? "." : folder) << line;
      EXPECT_EQ(reading.subcommands, 1u) << line;
      EXPECT_EQ(reading.command.substr(0, 4), shell == std::string("cmd") ? "cmd." : "pwsh")
          << line;
    }
  }
}

// The relay gets back its own words, and after them exactly the line that
// the host hands the shell without a relay.
TEST(ComposeCommandLine, TheRelaysWordsComeBackThroughEitherHost) {
  const std::string programs[] = {
      "C:\\tools\\vornalt.exe",   "C:\\Program Files\\vornalt\\vornalt.exe",
      "C:\\a;b\\;c\\vornalt.exe", "C:\\a\\;b c\\vornalt.exe",
      "C:\\Grüße 日本 😀\\v.exe",  "\\\\server\\share\\x  y\\vornalt.exe"};
  const auto as_it_is = [](std::string_view text) { return std::string(text); };
  const auto shell_line = [&](const std::string& line) {
    return line.starts_with("conhost.exe ") ? testing::conhost_reading(line)
                                            : testing::wt_reading(line, as_it_is).command;
  };
  const std::string id = "0123456789abcdef0123456789abcdef";
  for (const auto& program : programs) {
    for (const char* target : {"conhost", "wt"}) {
      for (const char* shell : {"cmd", "pwsh"}) {
        for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
                 {"x"}, {"my tools\\p.exe", "a b", "&", "a;b"}, {""}}) {
          const LaunchRequest r = request(target, shell, "T", words);
          const std::optional<Cells> size =
              words.size() > 1 ? std::optional(Cells{120, 40}) : std::nullopt;
          const std::string line = compose_with_relay(r, program, id, size);
          const std::optional<RelayMessage> relay = read_relay_line(shell_line(line));
          ASSERT_TRUE(relay.has_value()) << line;
          EXPECT_EQ(relay->pipe_id, id) << line;
          EXPECT_EQ(relay->window_size, size) << line;
          EXPECT_EQ(relay->shell_line, shell_line(compose(r))) << line;
          EXPECT_EQ(shell_program(*relay), std::string(shell) + ".exe") << line;
          // The program name, read by the rule of the relay's own start.
          EXPECT_EQ(testing::command_line_to_argv(shell_line(line))[0], program) << line;
        }
      }
    }
  }
}

TEST(ComposeCommandLine, CmdWordsArriveThroughEitherHost) {
  const std::vector<std::string> hard[] = {
      {"p", "plain", "a&b"},
      {"p", "x", "a|b"},
      {"p", "a b", "C:\\Program Files\\"},
      {"p", "a;b", "c"},
      {"my tools\\probe.exe", "a b"},
      {"p", "^", "&", "|", "<", ">", "\"", "\\", ";", "%"},
      {"p", "&&", "||", "^^", "\\\\\"", "\"\"\"", "a\\\\", "a \\\\", ""},
      {"p", "a\"b", "x&y", "\"", "<z>"},
      {"p", "", "", "\t", " ", "  a  "},
      {"cmd", "/c", "echo", "Hello", "&&", "pause"},
      {"p", "Grüße Welt", "日本;&", "😀|", "x\xED\xA0\x80y"},
      {"", "x"},
  };
  const std::string titles[] = {"",    "Plain",  "say \"hi\"", "^&|<>",
                                "a;b", " a  b ", "C:\\x\\",    "\t"};
  for (const auto& words : hard) {
    for (const auto& title : titles) {
      for (const char* target : {"conhost", "wt"}) {
        EXPECT_EQ(testing::cmd_round_trip_fault(target, title, words), "");
      }
    }
  }
}

TEST(ComposeCommandLine, RandomCmdWordsArriveThroughEitherHost) {
  std::mt19937 random(20261207);
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::string> words{"probe.exe"};
    for (std::size_t n = random() % 6; n > 0; --n) words.push_back(testing::random_text(random, 6));
    const std::string title = testing::random_text(random, 5);
    EXPECT_EQ(testing::cmd_round_trip_fault(i % 2 ? "wt" : "conhost", title, words), "");
  }
}

}  // namespace
}  // namespace vornalt
