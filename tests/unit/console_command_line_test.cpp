#include "compose/console_command_line.h"

#include <gtest/gtest.h>

#include "cli/argument_parser.h"
#include "cmd_round_trip.h"
#include "composed_lines.h"
#include "pipe/protocol.h"
#include "platform_readers.h"
#include "random_text.h"
#include "relay/relay_message.h"
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
  for (const testing::ComposedLine& composed : testing::COMPOSED_LINES) {
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
