// End-to-end tests of the real vornalt.exe. Each case copies it, with the
// stand-in hosts it needs, into a fresh folder (vornalt.exe looks for the
// hosts in its own folder first), runs it with a raw UTF-16 command line
// and checks the bytes of both streams, the exit status and what the hosts
// received.
//
// Usage: e2e_test <path of vornalt.exe> <folder of the stand-in hosts>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "base64_decode.h"
#include "compose/console_command_line.h"
#include "e2e_sandbox.h"
#include "help_screen.h"
#include "pipe/protocol.h"
#include "platform_readers.h"
#include "text/wtf8.h"
#include "win32_system.h"
#include "within_a_minute.h"

namespace vornalt {
namespace {

using testing::command_line;
using testing::exists;
using testing::Outcome;
using testing::Sandbox;
using testing::Streams;
using testing::to_u16;
using testing::utf16_args;

std::string help_screen() { return std::string(testing::HELP_SCREEN_80); }

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

// Runs a case whose chain ends in the recording program. `attempt` gets a
// fresh sandbox and the outcome to fill with vornalt's run, and returns
// false, before it checks anything, when that program never ran. Under load
// Wine now and then fails to start a process (ERROR_INTERNAL_ERROR; cmd.exe
// then says 9009), which is no fault of vornalt's and does not happen twice
// in a row: such a case runs once more in another sandbox.
template <typename Attempt>
void run_case(Attempt attempt) {
  for (int time = 1;; ++time) {
    Sandbox sandbox;
    Outcome outcome;
    if (attempt(sandbox, outcome)) return;
    const std::string said = "the recording program never ran; vornalt.exe ended with " +
                             std::to_string(outcome.status) + " and wrote:\n" + outcome.out +
                             outcome.err;
    if (time == 2 || !testing::running_under_wine()) {
      ADD_FAILURE() << said;
      return;
    }
    std::printf("%s\nonce more\n", said.c_str());
  }
}

// Holds the recording program or a stand-in host before it ends, until the
// test lets it go (tests/doubles/hold.h): what must happen while it still
// runs waits for that, not for a clock.
class Hold {
 public:
  /// `program`: "probe", "conhost" or "wt".
  explicit Hold(const std::wstring& program)
      : event_(CreateEventW(nullptr, TRUE, FALSE, (base() + L"-" + program).c_str())) {
    SetEnvironmentVariableW(L"VORNALT_DOUBLE_HOLD", base().c_str());
  }
  ~Hold() {
    SetEnvironmentVariableW(L"VORNALT_DOUBLE_HOLD", nullptr);
    SetEvent(event_);
    CloseHandle(event_);
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

  void hold() const { ResetEvent(event_); }
  void let_go() const { SetEvent(event_); }
  HANDLE event() const { return event_; }

 private:
  static std::wstring base() {
    return L"vornalt-e2e-hold-" + std::to_wstring(GetCurrentProcessId());
  }
  HANDLE event_;
};

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

// The line for a folder that cannot be used.
std::string folder_failure(const std::wstring& folder, std::uint32_t code) {
  return "Failed to use folder '" + to_wtf8(to_u16(folder)) + "': " + testing::error_line(code) +
         "\n";
}

TEST(EndToEnd, RequestsThatCannotArriveStartNothing) {
  const std::string too_long(8192, 'x');
  const struct {
    std::vector<std::string> args;
    std::string err;  // empty: the folder "missing" or the file "vornalt.exe" is refused
    std::uint32_t folder_error = 0;
  } cases[] = {
      {{"conhost", "echo", "a\nb", "c"},
       "Error: A command word holds a line break, which cmd.exe cannot pass on (use -s pwsh or -s "
       "powershell)\n"},
      {{"conhost", "-t", "T", too_long.substr(11)},
       "Error: The command that cmd.exe would read after /c has 8192 characters, over its limit of "
       "8191\n"},
      {{"wt", "-q", too_long},
       "Error: The command that cmd.exe would read after /c has 8192 characters, over its limit of "
       "8191\n"},
      {{"conhost", "-d", "missing", "x"}, "", 0x80070002},       // ERROR_FILE_NOT_FOUND
      {{"wt", "-n", "-d", "vornalt.exe", "x"}, "", 0x8007010B},  // ERROR_DIRECTORY
  };
  for (const auto& c : cases) {
    Sandbox sandbox;
    std::vector<std::u16string> args;
    for (const auto& arg : c.args) args.push_back(to_utf16(arg));
    const Outcome outcome = sandbox.run(command_line(args));
    const std::string err =
        c.folder_error == 0
            ? c.err
            : folder_failure(
                  sandbox.path(c.folder_error == 0x80070002 ? L"missing" : L"vornalt.exe"),
                  c.folder_error);
    EXPECT_EQ(outcome.status, 1u) << err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, err);
    for (const wchar_t* host : {L"conhost.cmdline", L"wt.cmdline"}) {
      EXPECT_FALSE(exists(sandbox.path(host))) << err;
    }
  }
}

TEST(EndToEnd, ACmdCommandAtTheLimitIsStarted) {
  for (const char* target : {"conhost", "wt"}) {
    Sandbox sandbox;
    const std::string command(target == std::string("wt") ? 8191 : 8180, 'x');
    const Outcome outcome = sandbox.run({target, "-q", "-t", "T", command});
    EXPECT_EQ(outcome.status, 0u);
    const std::wstring host = target == std::string("wt") ? L"wt" : L"conhost";
    const std::optional<std::u16string> started =
        sandbox.record(host + L".started", host + L".done");
    ASSERT_TRUE(started.has_value()) << target;
    EXPECT_EQ(started->substr(started->find(u"/c ") + 3).size(), 8191u) << target;
  }
}

TEST(EndToEnd, TheCommandStartsInTheGivenFolder) {
  const std::u16string folder = u"a b;c Grüße 日本";
  for (const char* target : {"conhost", "wt"}) {
    SCOPED_TRACE(target);
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      const std::wstring absolute = sandbox.path(testing::wide(folder));
      sandbox.add_double(L"probe", testing::wide(folder));
      // Relative to vornalt's current folder, or absolute.
      const std::u16string given = target == std::string("wt") ? folder : to_u16(absolute);
      outcome = sandbox.run(command_line({to_utf16(target), u"-w", u"-d", given, u"probe.exe"}));
      const std::optional<std::u16string> cwd = sandbox.record(
          testing::wide(folder) + L"\\probe.cwd", testing::wide(folder) + L"\\probe.done");
      if (!cwd) return false;
      EXPECT_EQ(outcome.status, 0u);
      EXPECT_NE(outcome.out.find("\nFolder:    " + to_wtf8(to_u16(absolute)) + "\n"),
                std::string::npos)
          << outcome.out;
      EXPECT_EQ(*cwd, to_u16(absolute));
      return true;
    });
  }
}

// --window names Windows Terminal's window for the tab, exactly as typed;
// the command's words still arrive.
TEST(EndToEnd, TheWindowReachesWtAsTyped) {
  const std::string window = "a b;\"c\\\" 日本 \\";
  run_case([&](Sandbox& sandbox, Outcome& outcome) {
    sandbox.add_double(L"probe");
    outcome = sandbox.run({"wt", "-w", "-q", "--window", window, "probe.exe", "x y", "a;b"});
    const std::optional<std::u16string> argv = sandbox.record(L"probe.argv", L"probe.done");
    if (!argv) return false;
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(sandbox.record(L"wt.window", L"wt.done"), to_utf16(window));
    EXPECT_EQ(sandbox.record(L"wt.subcommands", L"wt.done"), u"1");
    EXPECT_EQ(testing::split_at_nul(*argv), (std::vector<std::string>{"probe.exe", "x y", "a;b"}));
    return true;
  });
}

TEST(EndToEnd, ADryRunPrintsWhatARunWouldAndTheHostAndStartsNothing) {
  for (const char* target : {"conhost", "wt"}) {
    Sandbox sandbox;
    const Outcome dry = sandbox.run({target, "-n", "-t", "T", "-s", "pwsh", "echo", "a b"});
    EXPECT_EQ(dry.status, 0u);
    EXPECT_EQ(dry.err, "");
    EXPECT_FALSE(exists(sandbox.path(L"conhost.cmdline")) || exists(sandbox.path(L"wt.cmdline")));
    const std::string host =
        "Host:      " +
        to_wtf8(to_u16(sandbox.path(testing::wide(to_utf16(std::string(target) + ".exe"))))) + "\n";
    ASSERT_TRUE(dry.out.ends_with(host)) << dry.out;
    const std::string shown = dry.out.substr(0, dry.out.size() - host.size());
    const Outcome real = sandbox.run({target, "-t", "T", "-s", "pwsh", "echo", "a b"});
    ASSERT_TRUE(real.out.starts_with(shown)) << real.out;
    EXPECT_TRUE(is_launch_line(real.out.substr(shown.size()), target)) << real.out;
  }
  // A host found nowhere fails the dry run as it fails a run.
  Sandbox sandbox(std::vector<std::wstring>{});
  const Outcome dry = sandbox.run({"wt", "-n", "-q", "x"});
  EXPECT_EQ(dry.status, 1u);
  EXPECT_EQ(dry.out, "");
  EXPECT_EQ(dry.err, testing::not_found_line("wt"));
}

TEST(EndToEnd, AFolderTooLongToStartInIsRefusedBeforeAnythingStarts) {
  for (const char* target : {"conhost", "wt"}) {
    Sandbox sandbox;
    // One character over, made through the long-path prefix that -d's
    // check does not need.
    const std::wstring folder = sandbox.path(std::wstring(259 - sandbox.path(L"").size(), L'd'));
    ASSERT_EQ(folder.size(), 259u);
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
    const Outcome outcome =
        sandbox.run(command_line({to_utf16(target), u"-w", u"-d", to_u16(folder), u"x"}));
    EXPECT_EQ(outcome.status, 1u) << target;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "Failed to use folder '" + to_wtf8(to_u16(folder)) +
                               "': it has 259 characters, over the 258 that Windows allows for the "
                               "folder a program starts in\n");
    EXPECT_FALSE(exists(sandbox.path(L"conhost.cmdline")) || exists(sandbox.path(L"wt.cmdline")));
    RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
  }
}

// wt.exe would replace %NAME% in vornalt.exe's own path, and the relay
// would not start; its short name does.
TEST(EndToEnd, TheRelayReachesWtByAPathThatWtPassesOn) {
  SetEnvironmentVariableW(L"VORNALT_E2E_FOLDER", L"elsewhere");
  run_case([](Sandbox& sandbox, Outcome& outcome) {
    const std::wstring folder = L"%VORNALT_E2E_FOLDER%";
    for (const wchar_t* name : {L"wt", L"probe"}) sandbox.add_double(name, folder);
    sandbox.add_copy(testing::g_vornalt, folder + L"\\vornalt.exe");
    outcome = sandbox.run({"wt", "-w", "-q", "probe.exe"}, {.directory = sandbox.path(folder),
                                                            .program = folder + L"\\vornalt.exe"});
    if (!exists(sandbox.path(folder + L"\\probe.done"))) return false;
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    const std::u16string started =
        sandbox.record(folder + L"\\wt.started", folder + L"\\wt.done").value_or(u"");
    EXPECT_EQ(started.find(u"VORNALT_E2E_FOLDER"), std::u16string::npos) << to_wtf8(started);
    EXPECT_NE(started.find(u"~"), std::u16string::npos) << to_wtf8(started);
    return true;
  });
  SetEnvironmentVariableW(L"VORNALT_E2E_FOLDER", nullptr);
}

TEST(EndToEnd, EveryTypedWordIsInThePowershellScript) {
  using testing::PowershellWord;
  constexpr PowershellWord::Kind TEXT = PowershellWord::Kind::text;
  // Each word as typed, and what PowerShell must take it for: the command
  // that runs, that text, or (a word that starts with a dash) a parameter's
  // name.
  std::vector<PowershellWord> words = {
      {PowershellWord::Kind::command, "Write-Output"},
      {TEXT, ""},
      {TEXT, "a\nb"},
      {TEXT, "a\rb"},
      {TEXT, "a\u0085b"},
      {TEXT, "a\u00A0b"},
      {TEXT, "a\u2028b"},
      {TEXT, "a\u3000b"},
      {TEXT, "“x”"},
      {TEXT, "„$HOME"},
      {TEXT, "a–b"},
      {PowershellWord::Kind::parameter, "–x"},
      {TEXT, "it’s\r\n“1”\u00A0; calc"},
      {TEXT, "\n"},
      {TEXT, "x‘\u3000„`$y"},
      {TEXT, "end"},
  };
  const std::string title = "T\n“x”\u3000";
  // A command word that must be quoted is the command too, not a value.
  for (const char* command : {"Write-Output", "C:\\Program Files\\it’s\u00A0x.exe"}) {
    words.front().text = command;
    for (const char* target : {"conhost", "wt"}) {
      SCOPED_TRACE(command);
      Sandbox sandbox;
      std::vector<std::u16string> args = utf16_args({target, "-q", "-s", "pwsh", "-t", title});
      for (const auto& word : words) args.push_back(to_utf16(word.text));
      const Outcome outcome = sandbox.run(command_line(args));
      EXPECT_EQ(outcome.status, 0u);
      const std::optional<std::u16string> line = sandbox.received(L"pwsh");
      ASSERT_TRUE(line.has_value()) << target;
      const std::string encoded = to_wtf8(line->substr(line->rfind(u' ') + 1));
      const std::string script = testing::decode_utf16le(testing::decode_base64(encoded));
      // With conhost the script sets the title first.
      std::vector<PowershellWord> expected;
      if (std::string(target) == "conhost") {
        expected = {{PowershellWord::Kind::code, "$host.UI.RawUI.WindowTitle"},
                    {TEXT, "="},
                    {TEXT, title},
                    {PowershellWord::Kind::end, ";"}};
      }
      expected.insert(expected.end(), words.begin(), words.end());
      const testing::PowershellReading reading = testing::powershell_reading(script);
      EXPECT_TRUE(reading.complete) << script;
      EXPECT_TRUE(reading.runs) << script;
      EXPECT_EQ(reading.words, expected) << script;
    }
  }
}

TEST(EndToEnd, HelpAndVersionGoToStandardOutputOnly) {
  Sandbox sandbox;
  for (const char* flag : {"-h", "--help", "/h", "/help", "/?", "--version", "/version"}) {
    const Outcome outcome = sandbox.run({flag, "wt", "x"});
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.out, std::string(flag).ends_with("version")
                               ? "vornalt Console Launcher, v1.0.0\n"
                               : help_screen())
        << flag;
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

// What a run that waits needs to end, in turn: the recording program once
// it runs, then conhost.exe two seconds after what it started has ended;
// each at once when the test has let it go already. A vornalt that did not
// wait for conhost.exe returns within those seconds, while conhost.exe is
// still held; one that waits, waits however long they take.
struct LetGoInTurn {
  const Sandbox& sandbox;
  const Hold& command;
  const Hold& host;
};

DWORD WINAPI let_go_in_turn(void* what) {
  const Sandbox& sandbox = static_cast<const LetGoInTurn*>(what)->sandbox;
  const Hold& command = static_cast<const LetGoInTurn*>(what)->command;
  const Hold& host = static_cast<const LetGoInTurn*>(what)->host;
  testing::within_a_minute([&] {
    return WaitForSingleObject(command.event(), 0) == WAIT_OBJECT_0 ||
           exists(sandbox.path(L"probe.parent"));
  });
  command.let_go();
  if (exists(sandbox.path(L"conhost.cmdline"))) {
    const std::u16string id = sandbox.written(L"conhost.pid").value_or(u"0");
    HANDLE started = OpenProcess(SYNCHRONIZE, FALSE, std::stoul("0" + to_wtf8(id)));
    if (started != nullptr) {
      const HANDLE either[] = {started, host.event()};
      WaitForMultipleObjects(2, either, FALSE, 60000);
      CloseHandle(started);
    }
    WaitForSingleObject(host.event(), 2000);
  }
  host.let_go();
  return 0;
}

// With conhost, -w waits for conhost.exe, also beside -e; with wt, whose
// wt.exe ends at once, for the command. The recording program and the
// conhost stand-in are held: for a run that waits, each until the test has
// seen what comes before it end; for one that does not, until vornalt has
// returned.
TEST(EndToEnd, WaitReturnsOnlyAfterTheCommandHasEnded) {
  const Hold command(L"probe");
  const Hold host(L"conhost");
  const struct {
    std::vector<std::u16string> args;  // before the command
    bool waits;
  } cases[] = {
      {{u"conhost"}, false}, {{u"conhost", u"-w"}, true}, {{u"conhost", u"-e", u"-w"}, true},
      {{u"wt"}, false},      {{u"wt", u"-w"}, true},
  };
  for (const auto& c : cases) {
    std::vector<std::u16string> args = c.args;
    args.push_back(u"probe.exe");
    const std::u16string line = command_line(args);
    SCOPED_TRACE(to_wtf8(line));
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      command.hold();
      host.hold();
      sandbox.add_double(L"probe");
      LetGoInTurn what{sandbox, command, host};
      const HANDLE letting_go =
          c.waits ? CreateThread(nullptr, 0, let_go_in_turn, &what, 0, nullptr) : nullptr;
      outcome = sandbox.run(line);
      const bool command_ended = exists(sandbox.path(L"probe.done"));
      const bool host_ended = exists(sandbox.path(L"conhost.done"));
      command.let_go();
      host.let_go();
      if (letting_go != nullptr) {
        WaitForSingleObject(letting_go, INFINITE);
        CloseHandle(letting_go);
      }
      if (!sandbox.wait_for(sandbox.path(L"probe.done"))) return false;
      EXPECT_EQ(outcome.status, 0u);
      EXPECT_EQ(outcome.err, "");
      EXPECT_EQ(command_ended, c.waits);
      if (c.args[0] == u"conhost") {
        EXPECT_EQ(host_ended, c.waits);
      }
      return true;
    });
  }
}

// The process id after "Shell PID: ", if the output has that line.
std::optional<std::string> shell_pid(const std::string& out) {
  const std::size_t at = out.find("\nShell PID: ");
  if (at == std::string::npos) return std::nullopt;
  const std::size_t start = at + 12;
  return out.substr(start, out.find('\n', start) - start);
}

TEST(EndToEnd, ExitCodeHandsBackTheCommandsStatus) {
  const struct {
    std::string code;
    DWORD status;
  } cases[] = {{"7", 7}, {"0", 0}, {"-1073741510", 0xC000013A}};
  for (const char* target : {"conhost", "wt"}) {
    for (const auto& c : cases) {
      Sandbox sandbox;
      const Outcome outcome = sandbox.run({target, "-e", "cmd", "/c", "exit", c.code});
      EXPECT_EQ(outcome.status, c.status) << target << " " << c.code;
      EXPECT_EQ(outcome.err, "");
      EXPECT_TRUE(shell_pid(outcome.out).has_value()) << outcome.out;
      EXPECT_FALSE(has_carriage_return(outcome));
    }
  }
}

TEST(EndToEnd, TheShellPidIsTheProcessThatRanTheCommand) {
  for (const char* target : {"conhost", "wt"}) {
    SCOPED_TRACE(target);
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      sandbox.add_double(L"probe");
      outcome = sandbox.run({target, "-e", "probe.exe"});
      const std::optional<std::u16string> parent = sandbox.record(L"probe.parent", L"probe.done");
      if (!parent) return false;
      EXPECT_EQ(outcome.status, 0u);
      // The shell, cmd.exe, started the recording program.
      EXPECT_EQ(shell_pid(outcome.out), to_wtf8(*parent)) << outcome.out;
      const std::string launched = outcome.out.substr(outcome.out.find("Launched '"));
      EXPECT_TRUE(is_launch_line(launched.substr(0, launched.find('\n') + 1), target));
      return true;
    });
  }
}

// The records of the strings that a stand-in or the recording program wrote,
// each ended by a NUL unit.
std::vector<std::u16string> strings_of(const std::u16string& record) {
  std::vector<std::u16string> strings;
  for (std::size_t start = 0, end; (end = record.find(u'\0', start)) != std::u16string::npos;
       start = end + 1) {
    strings.push_back(record.substr(start, end - start));
  }
  return strings;
}

TEST(EndToEnd, VariablesReachTheCommandThroughEitherHostAndNoCommandLine) {
  // Each value holds the word "hush", which no command line may show.
  const std::vector<std::u16string> values = {u" hush  blank ",
                                              u"hush=x=y",
                                              u"hush %PATH% %",
                                              u"hush \"q\" '",
                                              u"hush\nline\r",
                                              u"hush Grüße 日本 😀",
                                              std::u16string{u'h', u'u', u's', u'h', 0xD800, u'x'}};
  SetEnvironmentVariableW(L"VORNALT_E2E_REMOVED", L"present");
  for (const char* target : {"conhost", "wt"}) {
    SCOPED_TRACE(target);
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      sandbox.add_double(L"probe");
      std::vector<std::u16string> args = {to_utf16(target), u"-w", u"-q"};
      std::vector<std::u16string> expected;
      for (std::size_t i = 0; i < values.size(); ++i) {
        const std::u16string set =
            u"VORNALT_E2E_VAR_" + to_utf16(std::to_string(i)) + u"=" + values[i];
        args.insert(args.end(), {u"-v", set});
        expected.push_back(set);
      }
      args.insert(args.end(), {u"-v", u"vornalt_e2e_removed=", u"probe.exe"});
      outcome = sandbox.run(command_line(args));
      const std::optional<std::u16string> environment = sandbox.record(L"probe.env", L"probe.done");
      if (!environment) return false;
      EXPECT_EQ(outcome.status, 0u);
      EXPECT_EQ(outcome.err, "");
      std::vector<std::u16string> seen;
      for (const std::u16string& string : strings_of(*environment)) {
        // Names compare without regard to case: the variable was removed as
        // vornalt_e2e_removed.
        std::u16string name = string.substr(0, string.find(u'='));
        for (char16_t& c : name) c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
        if (name.starts_with(u"VORNALT_E2E_VAR_") || name == u"VORNALT_E2E_REMOVED") {
          seen.push_back(string);
        }
      }
      std::sort(seen.begin(), seen.end());
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(seen, expected);
      for (const wchar_t* record : {L"conhost.cmdline", L"conhost.started", L"wt.cmdline",
                                    L"wt.started", L"probe.cmdline"}) {
        // The records are UTF-16LE.
        const std::string text = testing::read_file(sandbox.path(record));
        EXPECT_EQ(text.find("h\0u\0s\0h\0", 0, 8), std::string::npos) << to_wtf8(to_u16(record));
      }
      return true;
    });
  }
  SetEnvironmentVariableW(L"VORNALT_E2E_REMOVED", nullptr);
}

// Acts on the console of the process `id` as a user at its window would, and
// watches it: the steps of console_input.exe (tests/doubles), whose exit
// status says how they went.
DWORD act_on_console(const std::string& id, const std::vector<std::wstring>& steps) {
  std::wstring line = L"console_input.exe " + testing::wide(to_utf16(id));
  for (const std::wstring& step : steps) line += L" \"" + step + L"\"";
  const std::wstring program = testing::g_doubles + L"\\console_input.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return 0xDEAD;
  }
  DWORD status = 0xDEAD;
  // Each of its waits gives up after a minute.
  WaitForSingleObject(process.hProcess, 300000);
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return status;
}

// The end of the line with which the relay's window waits for a key. The
// relay shows it only once it has discarded the keys pressed before.
const std::wstring PROMPT = L"Press any key to close this window.";

// A process that this test holds, and ends if the test leaves it running.
struct HeldProcess {
  HANDLE handle;
  explicit HeldProcess(const std::string& id)
      : handle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                           FALSE, static_cast<DWORD>(std::stoul("0" + id)))) {}
  ~HeldProcess() {
    if (handle == nullptr) return;
    TerminateProcess(handle, 1);
    CloseHandle(handle);
  }
  // Its exit status once it has ended; nothing if it still runs 30 s later.
  std::optional<DWORD> ended() const {
    DWORD status = 0;
    if (WaitForSingleObject(handle, 30000) != WAIT_OBJECT_0) return std::nullopt;
    GetExitCodeProcess(handle, &status);
    return status;
  }
};

// -k -e: vornalt returns with the command's status while the window waits
// for a key, also when the shell could not start, so that the error can be
// read. Once its prompt shows, the window reads a key release and lives on;
// a key press, or Ctrl+C, then closes it, and the relay ends with the status
// that vornalt returned, all 32 bits of it.
TEST(EndToEnd, KeepHandsBackTheStatusAndTheWindowWaitsForAKey) {
  const struct {
    std::vector<std::u16string> command;
    DWORD status;
    std::string err;
  } commands[] = {
      {{u"cmd", u"/c", u"exit", u"-1073741510"}, 0xC000013A, ""},
      // No pwsh.exe in the system folders or on PATH.
      {{u"-s", u"pwsh", u"x"},
       1,
       "Error: Failed to start 'pwsh.exe' in the new console: " + testing::error_line(0x80070002) +
           "\n"},
  };
  // Once the prompt shows, the window has discarded what came before, so
  // its input empties only as the window reads it: a key release, read
  // without closing it, then a key press or Ctrl+C.
  const struct {
    const char* name;
    std::vector<std::wstring> steps;
  } closings[] = {
      {"release, key", {L"screen", PROMPT, L"release", L"key", L"read"}},
      {"release, Ctrl+C", {L"screen", PROMPT, L"release", L"read", L"ctrl-c"}},
  };
  for (const char* target : {"conhost", "wt"}) {
    for (const auto& c : commands) {
      for (const auto& closing : closings) {
        std::vector<std::u16string> args = {to_utf16(target), u"-k", u"-e", u"-q"};
        args.insert(args.end(), c.command.begin(), c.command.end());
        const std::u16string line = command_line(args);
        SCOPED_TRACE(to_wtf8(line) + ", then " + closing.name);
        Sandbox sandbox;
        const std::wstring host = target == std::string("wt") ? L"wt" : L"conhost";
        const Outcome outcome = sandbox.run(line);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.err, c.err);
        const std::string relay_id = to_wtf8(sandbox.written(host + L".pid").value_or(u""));
        HeldProcess relay(relay_id);
        ASSERT_NE(relay.handle, nullptr);
        EXPECT_EQ(act_on_console(relay_id, closing.steps), 0u)
            << "1: the window was gone, 3: the prompt never showed or a record stayed unread";
        EXPECT_EQ(relay.ended(), c.status);
        if (host == L"conhost") {
          EXPECT_EQ(sandbox.written(L"conhost.status"), to_utf16(std::to_string(c.status)));
        }
      }
    }
  }
}

// -a: the host starts elevated, through vornalt.exe's own elevated start,
// and the request is kept whole: the words, the folder, the variables set
// and removed, the wait of -w, the status of -e and -k's window. Wine runs
// every process elevated: vornalt runs here with the limited token linked to
// the test's, as an administrator's process does under UAC.
TEST(EndToEnd, AdminKeepsTheWholeRequest) {
  SetEnvironmentVariableW(L"VORNALT_E2E_REMOVED", L"present");
  const std::u16string folder = u"a b;c";
  const std::wstring in = testing::wide(folder) + L"\\";
  for (const char* target : {"conhost", "wt"}) {
    SCOPED_TRACE(target);
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      sandbox.add_double(L"probe", testing::wide(folder));
      outcome = sandbox.run(command_line({to_utf16(target), u"-a", u"-w", u"-d", folder, u"-v",
                                          u"VORNALT_E2E_ADMIN=hush 1", u"-v",
                                          u"vornalt_e2e_removed=", u"probe.exe", u"a b", u"&"}),
                            {.unelevated = true});
      const bool waited = exists(sandbox.path(in + L"probe.done"));
      // A vornalt that failed started nothing to wait for.
      if (outcome.status != 0 && !waited) return false;
      const std::optional<std::u16string> argv =
          sandbox.record(in + L"probe.argv", in + L"probe.done");
      if (!argv) return false;
      EXPECT_EQ(outcome.status, 0u);
      EXPECT_EQ(outcome.err, "");
      EXPECT_NE(outcome.out.find("\nElevation: asked for\n"), std::string::npos) << outcome.out;
      EXPECT_TRUE(waited) << "-w did not wait for the command";
      EXPECT_EQ(testing::split_at_nul(*argv), (std::vector<std::string>{"probe.exe", "a b", "&"}));
      EXPECT_EQ(sandbox.record(in + L"probe.cwd", in + L"probe.done"),
                to_u16(sandbox.path(testing::wide(folder))));
      const std::u16string environment =
          sandbox.record(in + L"probe.env", in + L"probe.done").value_or(u"");
      std::vector<std::u16string> ours;
      for (const std::u16string& string : strings_of(environment)) {
        std::u16string name = string.substr(0, string.find(u'='));
        for (char16_t& c : name) c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
        if (name == u"VORNALT_E2E_ADMIN" || name == u"VORNALT_E2E_REMOVED") ours.push_back(string);
      }
      EXPECT_EQ(ours, std::vector<std::u16string>{u"VORNALT_E2E_ADMIN=hush 1"});
      return true;
    });
    // -e hands back all 32 bits of the status while -k's window waits for
    // a key, which closes it.
    Sandbox sandbox;
    const std::wstring host = target == std::string("wt") ? L"wt" : L"conhost";
    const Outcome outcome = sandbox.run(
        {target, "-a", "-k", "-e", "-q", "cmd", "/c", "exit", "-1073741510"}, {.unelevated = true});
    EXPECT_EQ(outcome.status, 0xC000013Au);
    EXPECT_EQ(outcome.err, "");
    if (outcome.status != 0xC000013A) continue;  // no window to wait for
    const std::string relay_id = to_wtf8(sandbox.written(host + L".pid").value_or(u""));
    HeldProcess relay(relay_id);
    ASSERT_NE(relay.handle, nullptr);
    EXPECT_EQ(act_on_console(relay_id, {L"screen", PROMPT, L"key", L"read"}), 0u);
    EXPECT_EQ(relay.ended(), 0xC000013Au);
  }
  SetEnvironmentVariableW(L"VORNALT_E2E_REMOVED", nullptr);
}

// The window's options reach each host where it reads them: conhost.exe's
// and wt.exe's own STARTUPINFO, wt.exe's options for a new window, the
// relay's size on conhost's line; through the elevated start too. The
// command's words arrive all the same. (Under Wine without a display the
// console has no screen buffer to size: that the relay does it is tested in
// a terminal, console_size_test.sh.)
TEST(EndToEnd, TheWindowOptionsReachEitherHost) {
  const std::u16string folder = u"a b";
  const std::wstring in = testing::wide(folder) + L"\\";
  const struct {
    std::vector<std::u16string> args;  // before the command
    bool admin;
    std::string startup;     // of the host
    std::string options;     // wt.exe's for a new window
    std::u16string window;   // wt.exe's --window
    std::string relay_size;  // on the host's line
  } cases[] = {
      {{u"conhost", u"--min", u"--pos", u"-1200,80", u"-e", u"-v", u"A=1"},
       false,
       "flags=0x5 show=7 pos=-1200,80",
       "",
       u"",
       ""},
      {{u"conhost", u"--max", u"-w", u"-d", folder}, false, "flags=0x1 show=3", "", u"", ""},
      {{u"conhost", u"--size", u"90,20", u"-k", u"-e"},
       false,
       "flags=0x0",
       "",
       u"",
       "--keep --size 90,20 "},
      {{u"conhost", u"--no-focus", u"--size", u"100,30", u"-w"},
       false,
       "flags=0x1 show=4",
       "",
       u"",
       "--size 100,30 "},
      {{u"conhost", u"-a", u"--pos", u"5,-5", u"--size", u"80,25", u"-e"},
       true,
       "flags=0x4 pos=5,-5",
       "",
       u"",
       "--size 80,25 "},
      {{u"wt", u"--max", u"--size", u"120,40", u"-w"},
       false,
       "flags=0x0",
       "maximized size=120,40",
       u"new",
       ""},
      {{u"wt", u"--min", u"--no-focus", u"-e", u"-d", folder},
       false,
       "flags=0x1 show=7",
       "",
       u"new",
       ""},
      {{u"wt", u"--window", u"Dev", u"--fullscreen", u"--pos", u"0,-5", u"-v", u"A=1", u"-w"},
       false,
       "flags=0x0",
       "fullscreen pos=0,-5",
       u"Dev",
       ""},
      {{u"wt", u"-a", u"--no-focus", u"--pos", u"-1,-1", u"-e"},
       true,
       "flags=0x1 show=4",
       "pos=-1,-1",
       u"new",
       ""},
  };
  for (const auto& c : cases) {
    const std::wstring host = c.args[0] == u"wt" ? L"wt" : L"conhost";
    SCOPED_TRACE(to_wtf8(command_line(c.args)));
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      const bool in_folder = std::find(c.args.begin(), c.args.end(), folder) != c.args.end();
      const std::wstring at = in_folder ? in : L"";
      sandbox.add_double(L"probe", in_folder ? testing::wide(folder) : L"");
      std::vector<std::u16string> args = c.args;
      args.insert(args.end(), {u"-q", u"probe.exe", u"a b", u"&"});
      outcome = sandbox.run(command_line(args), {.unelevated = c.admin});
      const std::optional<std::u16string> argv =
          sandbox.record(at + L"probe.argv", at + L"probe.done");
      if (!argv) return false;
      EXPECT_EQ(outcome.status, 0u);
      EXPECT_EQ(outcome.err, "");
      EXPECT_EQ(testing::split_at_nul(*argv), (std::vector<std::string>{"probe.exe", "a b", "&"}));
      // -k: the window waits for a key, and the host with it.
      if (std::find(c.args.begin(), c.args.end(), u"-k") != c.args.end()) {
        const std::string relay_id = to_wtf8(sandbox.written(host + L".pid").value_or(u""));
        HeldProcess relay(relay_id);
        EXPECT_EQ(act_on_console(relay_id, {L"screen", PROMPT, L"key", L"read"}), 0u);
        EXPECT_EQ(relay.ended(), 0u);
      }
      EXPECT_EQ(sandbox.record(host + L".startup", host + L".done"), to_utf16(c.startup));
      const std::string started =
          to_wtf8(sandbox.record(host + L".started", host + L".done").value_or(u""));
      if (host == L"wt") {
        EXPECT_EQ(sandbox.record(L"wt.options", L"wt.done"), to_utf16(c.options));
        EXPECT_EQ(sandbox.record(L"wt.window", L"wt.done"), c.window);
      } else {
        // The relay, in the window to size it, with nothing else changed.
        EXPECT_EQ(started.find(" --size ") != std::string::npos, !c.relay_size.empty()) << started;
        EXPECT_NE(started.find(c.relay_size + "cmd.exe /c title && probe.exe"), std::string::npos)
            << started;
      }
      return true;
    });
  }
}

// Windows Terminal's tab and pane reach wt.exe as it reads them: the
// subcommand, the profile and the colour exactly, a split in the current
// window unless --window names one; and the command runs in the pane as in a
// tab, with -e, -k, -v and -a.
TEST(EndToEnd, TheTabAndThePaneReachWt) {
  const struct {
    std::vector<std::u16string> args;  // after the target
    std::string subcommand;
    std::u16string window = u"0";
    std::optional<std::u16string> profile = {};
    std::optional<std::u16string> color = {};
    bool admin = false;
  } cases[] = {
      {.args = {u"--split", u"right", u"--split-size", u"30", u"-p", u"My Profile; \"dev\" 日本",
                u"--tab-color", u"#3a7BD5"},
       .subcommand = "split-pane -V -s 0.3",
       .profile = u"My Profile; \"dev\" 日本",
       .color = u"#3a7BD5"},
      {.args = {u"-p", u"Dev", u"--tab-color", u"#F0A"},
       .subcommand = "new-tab",
       .window = u"vornalt",
       .profile = u"Dev",
       .color = u"#F0A"},
      {.args = {u"--split", u"down", u"-v", u"CODE=9"}, .subcommand = "split-pane -H"},
      {.args = {u"--split", u"auto", u"--window", u"Dev", u"-p",
                u"{2c4de342-38b7-51cf-b940-2309a097f518}"},
       .subcommand = "split-pane",
       .window = u"Dev",
       .profile = u"{2c4de342-38b7-51cf-b940-2309a097f518}"},
      {.args = {u"-a", u"--split", u"right", u"-p", u"Dev"},
       .subcommand = "split-pane -V",
       .profile = u"Dev",
       .admin = true},
      {.args = {u"--split", u"right", u"-k"}, .subcommand = "split-pane -V"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(to_wtf8(command_line(c.args)));
    Sandbox sandbox;
    std::vector<std::u16string> args = {u"wt", u"-e", u"-q"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    // The status comes back from the pane; with -v, from the variable that
    // only the relay in the pane sets.
    const bool variable = std::find(args.begin(), args.end(), u"-v") != args.end();
    args.insert(args.end(), {u"cmd", u"/c", u"exit", variable ? u"%CODE%" : u"7"});
    const Outcome outcome = sandbox.run(command_line(args), {.unelevated = c.admin});
    EXPECT_EQ(outcome.status, variable ? 9u : 7u);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(sandbox.record(L"wt.subcommand", L"wt.done"), to_utf16(c.subcommand));
    EXPECT_EQ(sandbox.record(L"wt.window", L"wt.done"), c.window);
    // Each is recorded only where given.
    EXPECT_EQ(sandbox.record(L"wt.profile", L"wt.done"), c.profile.value_or(u""));
    EXPECT_EQ(sandbox.record(L"wt.color", L"wt.done"), c.color.value_or(u""));
    EXPECT_EQ(sandbox.record(L"wt.subcommands", L"wt.done"), u"1");
    // -k: the pane waits for a key, as a tab does.
    if (std::find(args.begin(), args.end(), u"-k") != args.end()) {
      const std::string relay_id = to_wtf8(sandbox.written(L"wt.pid").value_or(u""));
      HeldProcess relay(relay_id);
      EXPECT_EQ(act_on_console(relay_id, {L"screen", PROMPT, L"key", L"read"}), 0u);
      EXPECT_EQ(relay.ended(), 7u);
    }
  }
}

// -a: an elevated start that ends before it opens its pipe (here the test
// ends it as it is created, before it has run at all) is reported with its
// status, rather than waited for.
TEST(EndToEnd, AnElevatedStartThatEndsBeforeItsPipeIsReported) {
  if (!testing::running_under_wine()) {
    GTEST_SKIP() << "Windows' elevation service, not vornalt.exe, starts the elevated start";
  }
  Sandbox sandbox;
  const Outcome outcome = sandbox.run({"conhost", "-a", "-e", "cmd", "/c", "exit", "3"},
                                      {.unelevated = true, .end_first_child = 42});
  EXPECT_NE(outcome.out.find("\nElevation: asked for\n"), std::string::npos) << outcome.out;
  EXPECT_EQ(outcome.err,
            "Failed to launch 'conhost': the elevated vornalt.exe ended with exit status 42 before "
            "it started conhost.exe\n");
  EXPECT_EQ(outcome.status, 1u);
  EXPECT_FALSE(exists(sandbox.path(L"conhost.cmdline")));
}

// Under Wine, makes vornalt.exe take the DLL `name` from its own folder
// before Wine's own, as Windows does for a DLL that it does not know; with
// no name, as Wine does. Elsewhere it does nothing.
void prefer_dll_beside_vornalt(const std::wstring& name) {
  if (!testing::running_under_wine()) return;
  const wchar_t* const overrides = L"Software\\Wine\\AppDefaults\\vornalt.exe\\DllOverrides";
  RegDeleteKeyW(HKEY_CURRENT_USER, overrides);
  if (name.empty()) return;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, overrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const std::wstring order = L"native,builtin";
  RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                 static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

// The DLLs that vornalt.exe loads at run time (bcrypt for the pipe's id,
// advapi32 and shell32 for -a) come from the system folder alone: one of
// the same name beside vornalt.exe, which any program that could write
// there may have put, would run in vornalt and in its elevated start.
TEST(EndToEnd, ADllBesideVornaltIsNeverLoaded) {
  for (const std::wstring dll : {L"bcrypt", L"advapi32", L"shell32"}) {
    SCOPED_TRACE(to_wtf8(to_u16(dll)));
    prefer_dll_beside_vornalt(dll);
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      sandbox.add_double(L"probe");
      sandbox.add_copy(testing::g_doubles + L"\\planted.dll", dll + L".dll");
      outcome = sandbox.run({"conhost", "-a", "-e", "-q", "probe.exe"}, {.unelevated = true});
      EXPECT_FALSE(exists(sandbox.path(dll + L".dll.loaded")));
      if (!exists(sandbox.path(L"probe.done"))) return false;
      EXPECT_EQ(outcome.status, 0u);
      EXPECT_EQ(outcome.err, "");
      return true;
    });
  }
  prefer_dll_beside_vornalt(L"");
}

// A key pressed while the command runs was meant for it: the window
// discards it, and waits for a key pressed once its prompt shows.
TEST(EndToEnd, AKeyPressedWhileTheCommandRunsDoesNotCloseTheWindow) {
  const Hold hold(L"probe");
  run_case([&](Sandbox& sandbox, Outcome& outcome) {
    hold.hold();
    sandbox.add_double(L"probe");
    outcome = sandbox.run({"conhost", "-k", "-q", "probe.exe"});
    const std::string relay_id = to_wtf8(sandbox.written(L"conhost.pid").value_or(u""));
    HeldProcess relay(relay_id);
    if (!sandbox.wait_for(sandbox.path(L"probe.parent"))) return false;
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(act_on_console(relay_id, {L"key"}), 0u);
    EXPECT_FALSE(exists(sandbox.path(L"probe.done"))) << "the command was not held";
    hold.let_go();
    EXPECT_EQ(act_on_console(relay_id, {L"screen", PROMPT, L"key", L"read"}), 0u)
        << "1: the window was gone, 3: the prompt never showed or the key stayed unread";
    EXPECT_EQ(relay.ended(), 0u);
    return true;
  });
}

// Another program of the user's that opens the relay's pipe first and
// writes a report is not believed.
TEST(EndToEnd, OnlyTheRelayIsBelieved) {
  SetEnvironmentVariableW(L"VORNALT_DOUBLE_SQUAT", L"1");
  Sandbox sandbox;
  const Outcome outcome = sandbox.run({"conhost", "-e", "-q", "cmd", "/c", "exit", "3"});
  SetEnvironmentVariableW(L"VORNALT_DOUBLE_SQUAT", nullptr);
  EXPECT_EQ(outcome.status, 1u);
  EXPECT_EQ(outcome.err, "Error: A program other than vornalt.exe opened the relay's pipe\n");
}

// The maker's end of a pipe that this test, not a vornalt.exe, made: it
// hands whoever opens it a variable, as a first vornalt would.
DWORD WINAPI offer_a_variable(void* pipe) {
  if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 1;
  const std::string message = "vars 1\nset 3\nA=1\n";
  DWORD done = 0;
  WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), &done, nullptr);
  char byte = 0;
  while (ReadFile(pipe, &byte, 1, &done, nullptr) && done > 0) {
  }
  return 0;
}

// Another program of the user's that made the relay's pipe first feeds the
// relay nothing, and the command does not run.
TEST(EndToEnd, TheRelayBelievesOnlyAPipeThatVornaltMade) {
  Sandbox sandbox;
  sandbox.add_double(L"probe");
  const std::string id = "00112233445566778899aabbccddeeff";
  const std::u16string name = to_utf16(relay_pipe_name(id));
  HANDLE pipe = CreateNamedPipeW(testing::wide(name).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1,
                                 4096, 4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  HANDLE maker = CreateThread(nullptr, 0, offer_a_variable, pipe, 0, nullptr);
  const Outcome outcome =
      sandbox.run(u"\"" + to_u16(sandbox.path(L"vornalt.exe")) + u"\" --vornalt-relay " +
                  to_utf16(id) + u" --variables cmd.exe /c probe.exe");
  // A maker still waiting for a client (the relay never came) gets one.
  CloseHandle(CreateFileW(testing::wide(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(WaitForSingleObject(maker, 30000), WAIT_OBJECT_0);
  CloseHandle(maker);
  CloseHandle(pipe);
  EXPECT_EQ(outcome.status, 1u);
  EXPECT_EQ(outcome.err,
            "Error: A program other than vornalt.exe made the relay's pipe; the command does not "
            "run\n");
  EXPECT_FALSE(exists(sandbox.path(L"probe.cmdline"))) << "the command ran";
}

DWORD WINAPI press_ctrl_c_once_the_command_runs(void* sandbox) {
  const auto& box = *static_cast<const Sandbox*>(sandbox);
  if (!box.wait_for(box.path(L"probe.parent"))) return 1;
  const std::optional<std::u16string> relay = box.written(L"conhost.pid");
  return act_on_console(to_wtf8(relay.value_or(u"")), {L"ctrl-c"});
}

// Ctrl+C in the window is the command's: the relay lives on and reports
// how the command ended.
TEST(EndToEnd, CtrlCEndsTheCommandNotTheRelay) {
  // Held, the command would not end before the test let it.
  const Hold hold(L"probe");
  Sandbox sandbox;
  sandbox.add_double(L"probe");
  HANDLE presser =
      CreateThread(nullptr, 0, press_ctrl_c_once_the_command_runs, &sandbox, 0, nullptr);
  const Outcome outcome = sandbox.run({"conhost", "-e", "probe.exe"});
  hold.let_go();
  WaitForSingleObject(presser, INFINITE);
  DWORD pressed = 1;
  GetExitCodeThread(presser, &pressed);
  CloseHandle(presser);
  EXPECT_EQ(pressed, 0u);
  EXPECT_EQ(outcome.err, "");
  EXPECT_FALSE(exists(sandbox.path(L"probe.done"))) << "Ctrl+C did not end the command";
  // The relay ended with the status it reported, which conhost.exe saw.
  EXPECT_EQ(sandbox.written(L"conhost.status"), to_utf16(std::to_string(outcome.status)));
}

TEST(EndToEnd, TheRelayTakesTheShellFromTheSystemNotTheCurrentFolder) {
  for (const char* target : {"conhost", "wt"}) {
    SCOPED_TRACE(target);
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      sandbox.add_double(L"probe");
      sandbox.add_copy(testing::g_doubles + L"\\probe.exe", L"cmd.exe");
      outcome = sandbox.run({target, "-e", "-q", "probe.exe", "a"});
      EXPECT_FALSE(exists(sandbox.path(L"cmd.done")));
      if (!exists(sandbox.path(L"probe.done"))) return false;
      EXPECT_EQ(outcome.status, 0u);
      return true;
    });
  }
}

TEST(EndToEnd, TheRelayRunsTheCommandWithoutItsFirstVornalt) {
  // Started by hand, or long after: no pipe to report to.
  for (const char* id : {"x", "0123456789abcdef0123456789abcdef"}) {
    SCOPED_TRACE(id);
    run_case([&](Sandbox& sandbox, Outcome& outcome) {
      sandbox.add_double(L"probe");
      outcome = sandbox.run(u"\"" + to_u16(sandbox.path(L"vornalt.exe")) + u"\" --vornalt-relay " +
                            to_utf16(id) + u" cmd.exe /c probe.exe \"a b\" ^&");
      const std::optional<std::u16string> argv = sandbox.record(L"probe.argv", L"probe.done");
      if (!argv) return false;
      EXPECT_EQ(outcome.status, 0u);
      EXPECT_EQ(outcome.err, "");
      EXPECT_EQ(*argv, u"probe.exe" + std::u16string(1, u'\0') + u"a b" + std::u16string(1, u'\0') +
                           u"&" + std::u16string(1, u'\0'));
      return true;
    });
  }
}

TEST(EndToEnd, AShellThatCannotStartIsReported) {
  // No pwsh.exe in the system folders or on PATH: nothing ran, whatever the
  // option that made the relay report.
  const std::vector<std::string> runs[] = {
      {"conhost", "-e"}, {"wt", "-e"}, {"wt", "-w"}, {"wt", "-v", "A=1"}};
  for (const auto& run : runs) {
    Sandbox sandbox;
    std::vector<std::u16string> args;
    for (const std::string& word : run) args.push_back(to_utf16(word));
    for (const char16_t* word : {u"-q", u"-s", u"pwsh", u"Get-Date"}) args.push_back(word);
    const Outcome outcome = sandbox.run(command_line(args));
    EXPECT_EQ(outcome.status, 1u) << run[0] << " " << run[1];
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "Error: Failed to start 'pwsh.exe' in the new console: " +
                               testing::error_line(0x80070002) + "\n")
        << run[0] << " " << run[1];
  }
}

TEST(EndToEnd, APipedOutputEndsWhileTheHostLingers) {
  // The host inherits none of vornalt's handles: one end of this pipe in
  // the host, held here until the pipe has ended, would keep the reader
  // waiting until the new window closed.
  const Hold hold(L"wt");
  Sandbox sandbox;
  const Outcome outcome = sandbox.run({"wt", "x"}, {Streams::one_pipe, L""});
  EXPECT_FALSE(exists(sandbox.path(L"wt.done"))) << "the pipe ended only with the host";
  hold.let_go();
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
