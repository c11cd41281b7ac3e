// End-to-end tests of the real vornalt.exe. Each case copies it, with the
// stand-in hosts it needs, into a fresh folder (vornalt.exe looks for the
// hosts in its own folder first), runs it with a raw UTF-16 command line
// and checks the bytes of both streams, the exit status and what the hosts
// received.
//
// Usage: e2e_test <path of vornalt.exe> <folder of the stand-in hosts>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "console_command_line.h"
#include "e2e_sandbox.h"
#include "help.h"
#include "win32_system.h"
#include "wtf8.h"

namespace vornalt {
namespace {

using testing::command_line;
using testing::exists;
using testing::Outcome;
using testing::Sandbox;
using testing::Streams;
using testing::utf16_args;

std::string help_screen() { return std::string(BANNER) + wrap_text(HELP_TEXT, 80) + "\n"; }

std::string summary(const std::string& target, const std::string& shell, const std::string& title,
                    const std::string& arguments) {
  return "Target:    " + target + "\nShell:     " + shell + "\nTitle:     " + title +
         "\nArguments: " + arguments + "\n";
}

bool has_carriage_return(const Outcome& outcome) {
  return outcome.out.find('\r') != std::string::npos || outcome.err.find('\r') != std::string::npos;
}

// "Launched 'wt' with PID: 1234\n": the id in plain decimal.
bool is_launch_line(const std::string& line, const std::string& target) {
  const std::string prefix = "Launched '" + target + "' with PID: ";
  if (!line.starts_with(prefix) || !line.ends_with("\n")) return false;
  const std::string id = line.substr(prefix.size(), line.size() - prefix.size() - 1);
  return !id.empty() && id[0] != '0' && id.find_first_not_of("0123456789") == std::string::npos;
}

TEST(EndToEnd, UsageErrorsGiveTheMessageAndTheHelpScreen) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "No arguments provided"},
      {{"ÀBÇ"}, "Unknown target 'àbç' (expected 'wt' or 'conhost')"},
      {{"-H"}, "Unknown target '-h' (expected 'wt' or 'conhost')"},
      {{"wt"}, "Missing command (nothing after target/options)"},
      {{"wt", "-s"}, "Missing value after shell option"},
      {{"wt", "-t"}, "Missing value after title option"},
      {{"wt", "-s", "Bash", "x"}, "Unknown shell 'bash' (expected 'cmd', 'pwsh' or 'powershell')"},
  };
  Sandbox sandbox;
  for (const auto& c : cases) {
    std::vector<std::u16string> args;
    for (const auto& arg : c.args) args.push_back(to_utf16(arg));
    const Outcome outcome = sandbox.run(command_line(args));
    EXPECT_EQ(outcome.status, 1u) << c.message;
    EXPECT_EQ(outcome.err, "Error: " + c.message + "\n\n");
    EXPECT_EQ(outcome.out, help_screen());
  }
  EXPECT_FALSE(exists(sandbox.path(L"wt.cmdline")));
}

TEST(EndToEnd, HelpGoesToStandardOutputOnly) {
  Sandbox sandbox;
  for (const char* flag : {"-h", "--help", "/h", "/help", "/?"}) {
    const Outcome outcome = sandbox.run({flag, "wt", "x"});
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.out, help_screen()) << flag;
    EXPECT_EQ(outcome.err, "");
  }
  const Outcome piped = sandbox.run({"--help"}, {Streams::one_pipe, L""});
  EXPECT_EQ(piped.status, 0u);
  EXPECT_EQ(piped.out, help_screen());
  EXPECT_FALSE(has_carriage_return(piped));
}

// A line as printed: the unpaired surrogate of the requests below shows as
// U+FFFD.
std::string printed(std::string line) {
  for (std::size_t at; (at = line.find("\xED\xA0\x80")) != std::string::npos;) {
    line.replace(at, 3, "\xEF\xBF\xBD");
  }
  return line;
}

TEST(EndToEnd, EveryTargetAndShellReachesTheHost) {
  // The words of the requests below, quoted for cmd and for PowerShell.
  const std::string cmd_words = "echo it's a^&b 日本 x\xED\xA0\x80y";
  const std::string powershell_words = "echo 'it''s' 'a&b' 日本 x\xED\xA0\x80y";
  // Base64 of the UTF-16LE bytes of "$host.UI.RawUI.WindowTitle = 'Grüße 😀' ; "
  // and the PowerShell words, and of the words alone (the surrogate is the
  // unit D800 there).
  const std::string conhost_script =
      "JABoAG8AcwB0AC4AVQBJAC4AUgBhAHcAVQBJAC4AVwBpAG4AZABvAHcAVABpAHQAbABlACAAPQAgACcARwByAPwA3wBl"
      "ACAAPdgA3icAIAA7ACAAZQBjAGgAbwAgACcAaQB0ACcAJwBzACcAIAAnAGEAJgBiACcAIADlZSxnIAB4AADYeQA=";
  const std::string wt_script =
      "ZQBjAGgAbwAgACcAaQB0ACcAJwBzACcAIAAnAGEAJgBiACcAIADlZSxnIAB4AADYeQA=";
  const std::string wt = "wt.exe --window vornalt --title \"Grüße 😀\" --startingDirectory . ";
  const struct {
    std::string target, shell, arguments, line;
    std::vector<std::wstring> hosts;  // the stand-ins that run, outermost first
  } cases[] = {
      {"conhost",
       "cmd",
       cmd_words,
       "conhost.exe cmd.exe /c title Grüße 😀 && " + cmd_words,
       {L"conhost"}},
      {"conhost",
       "pwsh",
       powershell_words,
       "conhost.exe pwsh.exe -EncodedCommand " + conhost_script,
       {L"conhost", L"pwsh"}},
      {"conhost",
       "powershell",
       powershell_words,
       "conhost.exe powershell.exe -EncodedCommand " + conhost_script,
       {L"conhost", L"powershell"}},
      {"wt", "cmd", cmd_words, wt + "cmd.exe /c " + cmd_words, {L"wt"}},
      {"wt",
       "pwsh",
       powershell_words,
       wt + "pwsh.exe -EncodedCommand " + wt_script,
       {L"wt", L"pwsh"}},
      {"wt",
       "powershell",
       powershell_words,
       wt + "powershell.exe -EncodedCommand " + wt_script,
       {L"wt", L"powershell"}},
  };
  for (const auto& c : cases) {
    Sandbox sandbox;
    // Non-ASCII, outside the BMP, and an unpaired surrogate, straight from
    // the raw UTF-16 command line.
    std::vector<std::u16string> args =
        utf16_args({c.target, "-s", c.shell, "-t", "Grüße 😀", "echo", "it's", "a&b", "日本"});
    args.push_back(std::u16string{u'x', 0xD800, u'y'});
    const Outcome outcome = sandbox.run(command_line(args));

    SCOPED_TRACE(c.line);
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    const std::string expected_start = summary(c.target, c.shell, "Grüße 😀", printed(c.arguments)) +
                                       "cmdline:   " + printed(c.line) + "\n";
    ASSERT_TRUE(outcome.out.starts_with(expected_start)) << outcome.out;
    EXPECT_TRUE(is_launch_line(outcome.out.substr(expected_start.size()), c.target)) << outcome.out;
    EXPECT_FALSE(has_carriage_return(outcome));

    EXPECT_EQ(sandbox.received(c.hosts[0]), to_utf16(c.line));
    if (c.hosts.size() > 1) {
      // The host started the shell with the encoded script as it was.
      const std::string shell_line = c.line.substr(c.line.find(" " + c.shell + ".exe ") + 1);
      EXPECT_EQ(sandbox.received(c.hosts[1]), to_utf16(shell_line));
    }
  }
}

TEST(EndToEnd, ConhostRunsTheCommandThroughCmd) {
  Sandbox sandbox;
  const Outcome outcome =
      sandbox.run({"conhost", "-q", "-w", "-t", "A & echo X>x.txt", "mkdir", "made by cmd"});
  EXPECT_EQ(outcome.status, 0u);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  EXPECT_TRUE(exists(sandbox.path(L"made by cmd")));
  // The title only set the title: nothing of it ran.
  EXPECT_FALSE(exists(sandbox.path(L"x.txt")));
  EXPECT_EQ(sandbox.received(L"conhost"),
            u"conhost.exe cmd.exe /c title A ^& echo X^>x.txt && mkdir \"made by cmd\"");
}

TEST(EndToEnd, WaitReturnsOnlyAfterTheHostHasEnded) {
  SetEnvironmentVariableW(L"VORNALT_DOUBLE_DELAY_MS", L"2500");
  {
    Sandbox sandbox;
    const Outcome waited = sandbox.run({"wt", "-w", "x"});
    EXPECT_EQ(waited.status, 0u);
    EXPECT_TRUE(exists(sandbox.path(L"wt.done")));
  }
  {
    Sandbox sandbox;
    const Outcome not_waited = sandbox.run({"wt", "x"});
    EXPECT_EQ(not_waited.status, 0u);
    EXPECT_FALSE(exists(sandbox.path(L"wt.done")));
    EXPECT_TRUE(sandbox.received(L"wt").has_value());
  }
  SetEnvironmentVariableW(L"VORNALT_DOUBLE_DELAY_MS", nullptr);
}

TEST(EndToEnd, APipedOutputEndsWhileTheHostLingers) {
  // The host inherits none of vornalt's handles: one end of this pipe in
  // the host would keep the reader waiting until the new window closed.
  SetEnvironmentVariableW(L"VORNALT_DOUBLE_DELAY_MS", L"2500");
  Sandbox sandbox;
  const Outcome outcome = sandbox.run({"wt", "x"}, {Streams::one_pipe, L""});
  EXPECT_FALSE(exists(sandbox.path(L"wt.done"))) << "the pipe ended only with the host";
  SetEnvironmentVariableW(L"VORNALT_DOUBLE_DELAY_MS", nullptr);
  EXPECT_EQ(outcome.status, 0u);
  const std::string start =
      summary("wt", "cmd", "", "x") +
      "cmdline:   wt.exe --window vornalt --title \"\" --startingDirectory . cmd.exe /c x\n";
  ASSERT_TRUE(outcome.out.starts_with(start)) << outcome.out;
  EXPECT_TRUE(is_launch_line(outcome.out.substr(start.size()), "wt")) << outcome.out;
  EXPECT_TRUE(sandbox.received(L"wt").has_value());
}

TEST(EndToEnd, QuietLaunchPrintsNothing) {
  Sandbox sandbox;
  const Outcome outcome = sandbox.run({"WT", "-q", "x"});
  EXPECT_EQ(outcome.status, 0u);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  EXPECT_TRUE(sandbox.received(L"wt").has_value());
}

const std::string FAILED_WT = testing::not_found_line("wt");

TEST(EndToEnd, AFailedStartReportsTheSystemError) {
  Sandbox sandbox({L"conhost"});  // no wt.exe anywhere
  const Outcome outcome = sandbox.run({"wt", "-t", "T", "echo", "a b"});
  EXPECT_EQ(outcome.status, 1u);
  EXPECT_EQ(outcome.out,
            summary("wt", "cmd", "T", "echo \"a b\"") +
                "cmdline:   wt.exe --window vornalt --title \"T\" --startingDirectory . cmd.exe /c "
                "echo \"a b\"\n");
  EXPECT_EQ(outcome.err, FAILED_WT);

  const Outcome quiet = sandbox.run({"wt", "-q", "-w", "x"});
  EXPECT_EQ(quiet.status, 1u);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, FAILED_WT);
}

TEST(EndToEnd, StandardOutputComesBeforeTheFailureOnOnePipe) {
  Sandbox sandbox(std::vector<std::wstring>{});
  const Outcome outcome = sandbox.run({"wt", "x"}, {Streams::one_pipe, L""});
  EXPECT_EQ(outcome.status, 1u);
  EXPECT_EQ(outcome.out, summary("wt", "cmd", "", "x") +
                             "cmdline:   wt.exe --window vornalt --title \"\" --startingDirectory "
                             ". cmd.exe /c x\n" +
                             FAILED_WT);
}

TEST(EndToEnd, AnUnusableStandardOutputStillLaunches) {
  for (Streams streams : {Streams::out_invalid, Streams::out_closed_pipe}) {
    Sandbox sandbox;
    const Outcome outcome = sandbox.run({"wt", "-w", "x"}, {streams, L""});
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    EXPECT_TRUE(sandbox.received(L"wt").has_value());
  }
}

}  // namespace
}  // namespace vornalt

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!vornalt::testing::take_arguments(argc, argv)) return 2;
  return RUN_ALL_TESTS();
}
