// vornalt.exe with Windows' own hosts and shells, no stand-in: the recording
// program must get exactly the words typed. conhost.exe with cmd.exe,
// powershell.exe and pwsh.exe; wt.exe where it is installed. A test whose
// shell or host is not installed skips itself; Wine's conhost.exe runs no
// command, so under Wine, or when every test skipped itself, this reports
// itself as not run (77).
//
// Usage: real_host_test <path of vornalt.exe> <folder of the recording program>
#include <gtest/gtest.h>

#include <cstdio>

#include "e2e_sandbox.h"
#include "text/wtf8.h"
#include "win32_system.h"

namespace vornalt {
namespace {

constexpr int NOT_RUN = 77;

// PATH as it was given to this program, before take_arguments cut it down.
std::wstring g_path;

// The folder on the given PATH that holds `program`; empty when none does.
std::wstring installed_folder(const wchar_t* program) {
  wchar_t found[MAX_PATH];
  wchar_t* name = nullptr;
  const DWORD size = SearchPathW(g_path.c_str(), program, nullptr, MAX_PATH, found, &name);
  if (size == 0 || size >= MAX_PATH || name == nullptr || name == found) return {};
  return std::wstring(found, static_cast<std::size_t>(name - found - 1));
}

// `folder` added to PATH for the programs started while it lives: the hosts
// look for the shell there, and vornalt.exe for wt.exe.
class PathWith {
 public:
  explicit PathWith(const std::wstring& folder) {
    saved_.resize(32768);
    saved_.resize(GetEnvironmentVariableW(L"PATH", saved_.data(), 32768));
    SetEnvironmentVariableW(L"PATH", (saved_ + L";" + folder).c_str());
  }
  ~PathWith() { SetEnvironmentVariableW(L"PATH", saved_.c_str()); }
  PathWith(const PathWith&) = delete;
  PathWith& operator=(const PathWith&) = delete;

 private:
  std::wstring saved_;
};

const char* const TITLE = "a \"title\" & Bob's more";

// Runs `vornalt.exe <target and shell> -w -q -t TITLE <probe> <words>` and
// gives the words that the recording program received after its name.
std::vector<std::string> words_received(testing::Sandbox& sandbox,
                                        const std::vector<std::string>& target_and_shell,
                                        const char* probe, const std::vector<std::string>& words) {
  sandbox.add_double(L"probe");
  std::vector<std::u16string> args;
  for (const auto& arg : target_and_shell) args.push_back(to_utf16(arg));
  for (const char* arg : {"-w", "-q", "-t", TITLE, probe}) args.push_back(to_utf16(arg));
  for (const auto& word : words) args.push_back(to_utf16(word));
  const testing::Outcome outcome = sandbox.run(testing::command_line(args));
  EXPECT_EQ(outcome.status, 0u);
  EXPECT_EQ(outcome.err, "");
  const auto argv = sandbox.record(L"probe.argv", L"probe.done");
  if (!argv.has_value()) return {"(the program did not run)"};
  std::vector<std::string> received = testing::split_at_nul(*argv);
  if (!received.empty()) received.erase(received.begin());
  return received;
}

// Words that cmd.exe must get through to the program unchanged.
const std::vector<std::string> CMD_WORDS[] = {
    {"^", "&", "|", "<", ">", "\"", "\\", ";"},
    {"a b", "  ", "", "C:\\Program Files\\", "a \\\\"},
    {"a\"b", "x&y", "\"&\"", "^&", "a;b", "%"},
    {"Grüße Welt", "日本&語", "😀|x"},
};

TEST(RealConhost, HardWordsReachTheProgram) {
  for (const auto& words : CMD_WORDS) {
    testing::Sandbox sandbox(std::vector<std::wstring>{});
    EXPECT_EQ(words_received(sandbox, {"conhost"}, "probe.exe", words), words);
  }
}

// The shell's exit status, all 32 bits of it, through the relay.
void exit_codes_come_back(const char* target) {
  const std::pair<const char*, DWORD> cases[] = {{"7", 7}, {"-1073741510", 0xC000013A}};
  for (const auto& [code, status] : cases) {
    testing::Sandbox sandbox(std::vector<std::wstring>{});
    const testing::Outcome outcome = sandbox.run({target, "-e", "-q", "cmd", "/c", "exit", code});
    EXPECT_EQ(outcome.status, status) << target << " " << code;
    EXPECT_EQ(outcome.err, "");
  }
}

TEST(RealConhost, TheExitCodeComesBack) { exit_codes_come_back("conhost"); }

// -a where this process runs elevated already (GitHub's Windows runners run
// so, with UAC's prompt off): the run is the one without -a. Anywhere else
// it would ask through the elevation prompt, which no test may.
TEST(RealConhost, AdminWhereElevatedAlreadyHandsBackTheExitCode) {
  if (!Win32System().elevation.is_elevated())
    GTEST_SKIP() << "not elevated: -a would ask through the prompt";
  testing::Sandbox sandbox(std::vector<std::wstring>{});
  const testing::Outcome outcome = sandbox.run({"conhost", "-a", "-e", "cmd", "/c", "exit", "7"});
  EXPECT_EQ(outcome.status, 7u);
  EXPECT_EQ(outcome.err, "");
  EXPECT_NE(outcome.out.find("\nElevation: none needed, already elevated\n"), std::string::npos)
      << outcome.out;
}

// What the recording program finds of its console's window when vornalt.exe
// opens it with `options`: "cells=COLSxROWS buffer=…" and the window's
// "iconic=… zoomed=… rect=…", or "hwnd=none".
std::string window_with(const std::vector<std::string>& options) {
  testing::Sandbox sandbox(std::vector<std::wstring>{});
  sandbox.add_double(L"probe");
  std::vector<std::u16string> args = {u"conhost"};
  for (const auto& option : options) args.push_back(to_utf16(option));
  for (const char* arg : {"-w", "-q", "probe.exe"}) args.push_back(to_utf16(arg));
  const testing::Outcome outcome = sandbox.run(testing::command_line(args));
  EXPECT_EQ(outcome.status, 0u);
  EXPECT_EQ(outcome.err, "");
  return to_wtf8(sandbox.record(L"probe.window", L"probe.done").value_or(u"(did not run)"));
}

// conhost.exe started with a command line takes its window's show command
// and position from its own STARTUPINFO, by the rules for a process's first
// window, and the relay sizes the window in cells. Only a desktop shows a
// window: without one there is nothing to see.
TEST(RealConhost, TheWindowOpensAsAsked) {
  const std::string plain = window_with({});
  if (plain.find("hwnd=none") != std::string::npos) {
    GTEST_SKIP() << "the console has no window here (no desktop): " << plain;
  }
  EXPECT_NE(plain.find(" iconic=0 zoomed=0 "), std::string::npos) << plain;
  const struct {
    std::vector<std::string> options;
    std::string shows;
  } cases[] = {
      {{"--min"}, " iconic=1 "},
      {{"--no-focus", "--min"}, " iconic=1 "},
      {{"--max"}, " zoomed=1 "},
      {{"--pos", "100,120"}, " rect=100,120,"},
      {{"--size", "90,25"}, "cells=90x25 "},
      {{"--no-focus", "--pos", "40,30", "--size", "70,20"}, " rect=40,30,"},
  };
  for (const auto& c : cases) {
    const std::string window = window_with(c.options);
    EXPECT_NE(window.find(c.shows), std::string::npos) << c.options[0] << ": " << window;
  }
}

// Words that PowerShell must get through to the program unchanged. Windows
// PowerShell itself drops an empty word and garbles one that holds a `"` or
// ends in a backslash after a blank on their way to a program, whatever
// the script says: there are none here.
const std::vector<std::string> POWERSHELL_WORDS[] = {
    {"^", "&", "|", "<", ">", "'", "\\", "%"},
    {"a b", "  x", "C:\\Program Files\\x", "tab\there"},
    {"it's", "Bob’s", "‘quoted’", "a&b|c", "x<y>z"},
    {"Grüße Welt", "日本&語", "😀|x"},
};

// Through conhost.exe and the PowerShell `shell`, which runs the recording
// program from the current folder, after setting the window title.
void powershell_words_and_title_arrive(const char* shell) {
  const std::wstring folder =
      installed_folder(testing::wide(to_utf16(std::string(shell) + ".exe")).c_str());
  if (folder.empty()) GTEST_SKIP() << shell << ".exe is not installed";
  const PathWith path(folder);
  for (const auto& words : POWERSHELL_WORDS) {
    testing::Sandbox sandbox(std::vector<std::wstring>{});
    EXPECT_EQ(words_received(sandbox, {"conhost", "-s", shell}, ".\\probe.exe", words), words);
    const auto title = sandbox.record(L"probe.title", L"probe.done");
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ(to_wtf8(*title), TITLE);
  }
}

TEST(RealPowershell, WindowsPowershellGetsTheWordsAndTheTitle) {
  powershell_words_and_title_arrive("powershell");
}

TEST(RealPowershell, PowershellCoreGetsTheWordsAndTheTitle) {
  powershell_words_and_title_arrive("pwsh");
}

TEST(RealWt, HardWordsReachTheProgram) {
  const std::wstring folder = installed_folder(L"wt.exe");
  if (folder.empty()) GTEST_SKIP() << "wt.exe is not installed";
  const PathWith path(folder);
  for (const auto& words : CMD_WORDS) {
    testing::Sandbox sandbox(std::vector<std::wstring>{});
    EXPECT_EQ(words_received(sandbox, {"wt"}, "probe.exe", words), words);
  }
  exit_codes_come_back("wt");
}

}  // namespace
}  // namespace vornalt

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (vornalt::testing::running_under_wine()) {
    std::printf("not run: needs Windows (Wine's conhost.exe runs no command)\n");
    return vornalt::NOT_RUN;
  }
  vornalt::g_path.resize(32768);
  vornalt::g_path.resize(GetEnvironmentVariableW(L"PATH", vornalt::g_path.data(), 32768));
  if (!vornalt::testing::take_arguments(argc, argv)) return 2;
  const int status = RUN_ALL_TESTS();
  const ::testing::UnitTest& tests = *::testing::UnitTest::GetInstance();
  if (status == 0 && tests.skipped_test_count() == tests.test_to_run_count()) {
    std::printf("not run: the host or shell of these tests is not installed\n");
    return vornalt::NOT_RUN;
  }
  return status;
}
