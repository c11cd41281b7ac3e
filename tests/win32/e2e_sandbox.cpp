#include "e2e_sandbox.h"

#include <cstdio>

#include "limited_token.h"
#include "windows_path.h"
#include "within_a_minute.h"

#include "text/wtf8.h"

namespace vornalt::testing {

std::wstring g_vornalt;
std::wstring g_doubles;

namespace {

// Quotes one argument so that the C runtime's splitting gives it back.
std::u16string quote_for_crt(std::u16string_view arg) {
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

void remove_tree(const std::wstring& dir) {
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

// Runs the process `root`, started for debugging with its children, to
// its end, and ends the first child with `status` as it is created. False
// when no event came for a minute: `root` hung, and is ended.
bool debug_to_the_end(const PROCESS_INFORMATION& root, DWORD status) {
  bool child_ended = false;
  for (;;) {
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, 60000)) {
      TerminateProcess(root.hProcess, 0xDEAD);
      DebugActiveProcessStop(root.dwProcessId);
      return false;
    }
    DWORD how = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile != nullptr)
          CloseHandle(event.u.CreateProcessInfo.hFile);
        if (event.dwProcessId != root.dwProcessId && !child_ended) {
          TerminateProcess(event.u.CreateProcessInfo.hProcess, status);
          child_ended = true;
        }
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile != nullptr) CloseHandle(event.u.LoadDll.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The breakpoint that each new process gives its debugger is the
        // test's; any other exception is the program's own.
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
          how = DBG_EXCEPTION_NOT_HANDLED;
        }
        break;
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, how);
    if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT &&
        event.dwProcessId == root.dwProcessId) {
      return true;
    }
  }
}

}  // namespace

bool take_arguments(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <vornalt.exe> <folder of the stand-ins>\n", argv[0]);
    return false;
  }
  g_vornalt = windows_path(argv[1]);
  g_doubles = windows_path(argv[2]);
  use_system_path_only();
  return true;
}

std::vector<std::string> split_at_nul(std::u16string_view units) {
  std::vector<std::string> words;
  for (std::size_t end; (end = units.find(u'\0')) != std::u16string_view::npos;) {
    words.push_back(to_wtf8(units.substr(0, end)));
    units.remove_prefix(end + 1);
  }
  return words;
}

std::u16string command_line(const std::vector<std::u16string>& args) {
  std::u16string line = u"vornalt.exe";
  for (const auto& arg : args) {
    line += u' ';
    line += quote_for_crt(arg);
  }
  return line;
}

std::vector<std::u16string> utf16_args(std::initializer_list<std::string> args) {
  std::vector<std::u16string> out;
  for (const auto& arg : args) out.push_back(to_utf16(arg));
  return out;
}

void use_system_path_only() {
  wchar_t system[MAX_PATH];
  wchar_t windows[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  GetWindowsDirectoryW(windows, MAX_PATH);
  SetEnvironmentVariableW(L"PATH", (std::wstring(system) + L";" + windows).c_str());
}

bool running_under_wine() {
  // Wine's ntdll.dll has an export of its own that Windows' lacks.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string environment_variable(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return to_wtf8(std::u16string(value.begin(), value.end()));
}

std::string error_line(std::uint32_t code) {
  // Wine's messages are its own.
  const struct {
    std::uint32_t code;
    const char* windows;
    const char* wine;
  } messages[] = {
      {0x80070002, "The system cannot find the file specified.", "File not found."},
      {0x80070003, "The system cannot find the path specified.", "Path not found."},
      {0x8007010B, "The directory name is invalid.", "Directory name invalid."},
  };
  char code_text[16];
  std::snprintf(code_text, sizeof code_text, "0x%08X", static_cast<unsigned>(code));
  for (const auto& m : messages) {
    if (m.code == code) {
      return std::string("Error { code: HRESULT(") + code_text + "), message: \"" +
             (running_under_wine() ? m.wine : m.windows) + "\" }";
    }
  }
  return std::string("no message known for ") + code_text;
}

std::string not_found_line(const std::string& target) {
  return "Failed to launch '" + target + "': " + error_line(0x80070002) + "\nLooked for " + target +
         ".exe in vornalt.exe's own folder, the system folder, the Windows folder and the folders "
         "on PATH given by a full path, never in the current folder" +
         (target == "wt" ? "; Windows Terminal may not be installed\n" : "\n");
}

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

Sandbox::Sandbox(std::vector<std::wstring> hosts) {
  // Wine gives the ids of ended processes to new ones, and a folder that a
  // lingering process still has as its current folder outlives its sandbox:
  // a name already taken holds another run's records, so take the next.
  static int counter = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring base =
      std::wstring(temp) + L"vornalt-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-";
  do {
    dir_ = base + std::to_wstring(++counter);
  } while (!CreateDirectoryW(dir_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
  if (!exists(dir_)) trouble_ = "could not make the folder " + to_wtf8(to_u16(dir_));
  add_copy(g_vornalt, L"vornalt.exe");
  for (const auto& host : hosts) add_double(host);
}

Sandbox::~Sandbox() { remove_tree(dir_); }

void Sandbox::add_double(const std::wstring& name, const std::wstring& folder) const {
  const std::wstring file = name + L".exe";
  if (folder.empty()) return add_copy(g_doubles + L"\\" + file, file);
  CreateDirectoryW(path(folder).c_str(), nullptr);
  add_copy(g_doubles + L"\\" + file, folder + L"\\" + file);
}

void Sandbox::add_copy(const std::wstring& from, const std::wstring& name) const {
  const std::wstring to = path(name);
  if (CopyFileW(from.c_str(), to.c_str(), TRUE)) return;
  const DWORD error = GetLastError();
  trouble_ += "could not copy " + to_wtf8(to_u16(from)) + " to " + to_wtf8(to_u16(to)) +
              ": error " + std::to_string(error) + "\n";
}

namespace {

// A record's UTF-16LE bytes as units.
std::u16string units_of(const std::string& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return units;
}

}  // namespace

std::optional<std::u16string> Sandbox::record(const std::wstring& name,
                                              const std::wstring& done) const {
  if (!wait_for(path(done))) return std::nullopt;
  return units_of(read_file(path(name)));
}

std::optional<std::u16string> Sandbox::written(const std::wstring& name) const {
  // The stand-in holds the file for itself from its creation to the end of
  // its one write, so a read that opens it and finds bytes has them all.
  std::string bytes;
  const bool read = within_a_minute([&] {
    bytes = read_file(path(name));
    return !bytes.empty();
  });
  if (!read) return std::nullopt;
  return units_of(bytes);
}

bool Sandbox::wait_for(const std::wstring& file) const {
  return within_a_minute([&] { return exists(file); });
}

std::vector<std::wstring> Sandbox::files() const {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(path(L"*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

HANDLE Sandbox::create(const wchar_t* name, SECURITY_ATTRIBUTES& inherit) const {
  return CreateFileW(path(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

Outcome Sandbox::run(const std::u16string& line, const RunOptions& options) const {
  const Streams streams = options.streams;
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
  std::wstring writable = wide(line);
  Outcome outcome;
  if (!trouble_.empty()) {
    outcome.status = 0xDEAD;
    outcome.err = "the sandbox is not as it should be: " + trouble_;
    return outcome;
  }
  const std::wstring application = path(options.program);
  const std::wstring directory = options.directory.empty() ? dir_ : options.directory;
  const HANDLE token = options.unelevated ? limited_token() : nullptr;
  const DWORD flags = options.end_first_child ? DEBUG_PROCESS : 0;
  const auto start = [&] {
    return token != nullptr
               ? CreateProcessAsUserW(token, application.c_str(), writable.data(), nullptr, nullptr,
                                      TRUE, flags, nullptr, directory.c_str(), &startup, &process)
               : CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, TRUE, flags,
                                nullptr, directory.c_str(), &startup, &process);
  };
  // Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR.
  for (int attempt = 1; !start(); ++attempt) {
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == 4 || !running_under_wine()) {
      outcome.status = 0xDEAD;
      if (token != nullptr) CloseHandle(token);
      outcome.err = "could not start vornalt.exe: " + std::to_string(error);
      return outcome;
    }
  }
  if (token != nullptr) CloseHandle(token);
  CloseHandle(out);
  if (err != out) CloseHandle(err);
  const bool ended =
      !options.end_first_child || debug_to_the_end(process, *options.end_first_child);
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
  if (!ended) outcome.err += "[vornalt.exe did nothing for a minute; the test ended it]\n";
  return outcome;
}

}  // namespace vornalt::testing
