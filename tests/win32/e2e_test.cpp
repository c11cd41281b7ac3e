// End-to-end tests of the real vornalt.exe. Each case copies it, with the
// stand-in hosts it needs, into a fresh folder (CreateProcessW looks in the
// launching program's folder first), runs it with a raw UTF-16 command line
// and checks the bytes of both streams, the exit status and what the host
// received.
//
// Usage: e2e_test <path of vornalt.exe> <folder of the stand-in hosts>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "console_command_line.h"
#include "help.h"
#include "win32_system.h"
#include "windows_path.h"
#include "windows_support.h"
#include "wtf8.h"

namespace vornalt {
namespace {

std::wstring g_vornalt;
std::wstring g_doubles;

std::wstring wide(std::u16string_view text) { return {text.begin(), text.end()}; }

std::string read_file(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Quotes one argument so that the C runtime's splitting gives it back.
std::u16string quote_for_argv(std::u16string_view arg) {
  if (!arg.empty() && arg.find_first_of(u" \t\"") == std::u16string_view::npos) {
    return std::u16string(arg);
  }
  std::u16string out = u"\"";
  std::size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, u'\\');
  out += u'"';
  return out;
}

std::u16string command_line(const std::vector<std::u16string>& args) {
  std::u16string line = u"vornalt.exe";
  for (const auto& arg : args) {
    line += u' ';
    line += quote_for_argv(arg);
  }
  return line;
}

std::vector<std::u16string> utf16_args(std::initializer_list<std::string> args) {
  std::vector<std::u16string> out;
  for (const auto& arg : args) out.push_back(to_utf16(arg));
  return out;
}

struct Outcome {
  DWORD status = 0;
  std::string out;
  std::string err;
};

enum class Streams { files, one_pipe, out_invalid, out_closed_pipe };

// A fresh folder holding vornalt.exe and the named stand-ins.
class Sandbox {
 public:
  explicit Sandbox(std::vector<std::wstring> hosts = {L"conhost", L"wt", L"pwsh", L"powershell"}) {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir_ = std::wstring(temp) + L"vornalt-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
    CreateDirectoryW(dir_.c_str(), nullptr);
    CopyFileW(g_vornalt.c_str(), path(L"vornalt.exe").c_str(), FALSE);
    for (const auto& host : hosts) {
      CopyFileW((g_doubles + L"\\" + host + L".exe").c_str(), path(host + L".exe").c_str(), FALSE);
    }
  }
  ~Sandbox() { remove_tree(dir_); }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  std::wstring path(const std::wstring& name) const { return dir_ + L"\\" + name; }

  // The command line the stand-in `host` received, once it has ended.
  std::optional<std::u16string> received(const std::wstring& host) const {
    if (!wait_for(path(host + L".done"))) return std::nullopt;
    const std::string bytes = read_file(path(host + L".cmdline"));
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return units;
  }

  bool wait_for(const std::wstring& file) const {
    for (int i = 0; i < 1200; ++i) {  // up to a minute on a busy machine
      if (exists(file)) return true;
      Sleep(50);
    }
    return false;
  }

  Outcome run(const std::u16string& line, Streams streams = Streams::files) const {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = nullptr, err = nullptr, pipe_read = nullptr;
    if (streams == Streams::files) {
      out = create(L"stdout.txt", inherit);
      err = create(L"stderr.txt", inherit);
    } else {
      CreatePipe(&pipe_read, &out, &inherit, 1 << 20);
      err = streams == Streams::one_pipe ? out : create(L"stderr.txt", inherit);
      if (streams == Streams::out_closed_pipe) {
        CloseHandle(pipe_read);
        pipe_read = nullptr;
      }
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = streams == Streams::out_invalid ? INVALID_HANDLE_VALUE : out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::wstring writable = wide(std::u16string_view(line));
    Outcome outcome;
    const std::wstring application = path(L"vornalt.exe");
    if (!CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        dir_.c_str(), &startup, &process)) {
      ADD_FAILURE() << "could not start vornalt.exe: " << GetLastError();
      return outcome;
    }
    CloseHandle(out);
    if (err != out) CloseHandle(err);
    if (pipe_read != nullptr) {
      char buffer[4096];
      DWORD got = 0;
      while (ReadFile(pipe_read, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        outcome.out.append(buffer, got);
      }
      CloseHandle(pipe_read);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &outcome.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (streams == Streams::files) outcome.out = read_file(path(L"stdout.txt"));
    if (streams != Streams::one_pipe) outcome.err = read_file(path(L"stderr.txt"));
    return outcome;
  }

  Outcome run(std::initializer_list<std::string> args, Streams streams = Streams::files) const {
    return run(command_line(utf16_args(args)), streams);
  }

 private:
  HANDLE create(const wchar_t* name, SECURITY_ATTRIBUTES& inherit) const {
    return CreateFileW(path(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  static void remove_tree(const std::wstring& dir) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = dir + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          remove_tree(full);
        } else {
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
  }

  std::wstring dir_;
};

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
  const Outcome piped = sandbox.run({"--help"}, Streams::one_pipe);
  EXPECT_EQ(piped.status, 0u);
  EXPECT_EQ(piped.out, help_screen());
  EXPECT_FALSE(has_carriage_return(piped));
}

TEST(EndToEnd, EveryTargetAndShellReachesTheHost) {
  const struct {
    std::string target, shell;
    std::vector<std::wstring> hosts;  // the stand-ins that run, outermost first
  } cases[] = {
      {"conhost", "cmd", {L"conhost"}},
      {"conhost", "pwsh", {L"conhost", L"pwsh"}},
      {"conhost", "powershell", {L"conhost", L"powershell"}},
      {"wt", "cmd", {L"wt"}},
      {"wt", "pwsh", {L"wt"}},
      {"wt", "powershell", {L"wt"}},
  };
  for (const auto& c : cases) {
    Sandbox sandbox;
    // Non-ASCII, outside the BMP, and an unpaired surrogate, straight from
    // the raw UTF-16 command line.
    std::vector<std::u16string> args =
        utf16_args({c.target, "-s", c.shell, "-t", "Grüße 😀", "echo", "it's", "a&b", "日本"});
    args.push_back(std::u16string{u'x', 0xD800, u'y'});
    const Outcome outcome = sandbox.run(command_line(args));

    const LaunchRequest request =
        std::get<Launch>(parse_arguments(std::vector<std::string>{
                             "vornalt.exe", c.target, "-s", c.shell, "-t", "Grüße 😀", "echo",
                             "it's", "a&b", "日本", "x\xED\xA0\x80y"}))
            .request;
    const std::string line = compose_command_line(request);
    SCOPED_TRACE(line);
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    const std::string expected_start =
        summary(c.target, c.shell, "Grüße 😀", to_utf8_lossy(request.arguments)) +
        "cmdline:   " + to_utf8_lossy(line) + "\n";
    ASSERT_TRUE(outcome.out.starts_with(expected_start)) << outcome.out;
    EXPECT_TRUE(is_launch_line(outcome.out.substr(expected_start.size()), c.target)) << outcome.out;
    EXPECT_FALSE(has_carriage_return(outcome));

    EXPECT_EQ(sandbox.received(c.hosts[0]), to_utf16(line));
    if (c.hosts.size() > 1) {
      // conhost ran the rest of its command line: the shell's own.
      const std::string rest = line.substr(line.find(' ') + 1);
      EXPECT_EQ(sandbox.received(c.hosts[1]), to_utf16(rest));
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

TEST(EndToEnd, QuietLaunchPrintsNothing) {
  Sandbox sandbox;
  const Outcome outcome = sandbox.run({"WT", "-q", "x"});
  EXPECT_EQ(outcome.status, 0u);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  EXPECT_TRUE(sandbox.received(L"wt").has_value());
}

// The failure line for a missing wt.exe, with the system's own message
// (Wine's wording differs from Windows').
const std::string FAILED_WT =
    "Failed to launch 'wt': Error { code: HRESULT(0x80070002), message: " +
    quote_debug(system_message(HRESULT{static_cast<std::int32_t>(0x80070002)})) + " }\n";

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
  const Outcome outcome = sandbox.run({"wt", "x"}, Streams::one_pipe);
  EXPECT_EQ(outcome.status, 1u);
  EXPECT_EQ(outcome.out, summary("wt", "cmd", "", "x") +
                             "cmdline:   wt.exe --window vornalt --title \"\" --startingDirectory "
                             ". cmd.exe /c x\n" +
                             FAILED_WT);
}

TEST(EndToEnd, AnUnusableStandardOutputStillLaunches) {
  for (Streams streams : {Streams::out_invalid, Streams::out_closed_pipe}) {
    Sandbox sandbox;
    const Outcome outcome = sandbox.run({"wt", "-w", "x"}, streams);
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    EXPECT_TRUE(sandbox.received(L"wt").has_value());
  }
}

}  // namespace
}  // namespace vornalt

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: e2e_test <vornalt.exe> <folder of the stand-in hosts>\n");
    return 2;
  }
  vornalt::g_vornalt = vornalt::testing::windows_path(argv[1]);
  vornalt::g_doubles = vornalt::testing::windows_path(argv[2]);
  return RUN_ALL_TESTS();
}
