// Stands in for conhost.exe, wt.exe, pwsh.exe and powershell.exe in the
// end-to-end tests, reading its command line as the real program does
// (platform_readers.h). Beside itself it records, as raw UTF-16LE:
//   <name>.cmdline      the command line it was given;
//   <name>.startup      what its own STARTUPINFO says of its window:
//                       "flags=0x…", the STARTF_ flags of the window and the
//                       standard handles, then "show=N" with
//                       STARTF_USESHOWWINDOW and "pos=X,Y" with
//                       STARTF_USEPOSITION;
//   <name>.started      conhost and wt: the command line it started;
//   <name>.pid          conhost and wt: the process id of what it started;
//   wt.title            wt: the value of --title;
//   wt.window           wt: the value of --window;
//   wt.options          wt: its options for a new window as it read them
//                       ("maximized", "fullscreen", "focus", "pos=X,Y",
//                       "size=C,R", each that it got, in this order);
//   wt.subcommands      wt: how many subcommands (tabs) it read, in decimal;
//   wt.subcommand       wt: the first, as it read it: "new-tab", or
//                       "split-pane" with "-V" or "-H" and "-s <share>" where
//                       given;
//   wt.profile, wt.color  wt: the profile, and the tab's colour where it
//                       could read it, when given;
//   <name>.status       conhost: the exit status of what it started; wt:
//                       "started", or "error" when it could not read its line
//                       (it then opens nothing and ends with status 1); or
//                       why it could not start it.
// conhost and wt then start that command line, as the real hosts do (wt in
// the folder of --startingDirectory). conhost waits for it; wt, like wt.exe
// handing a tab to an open window, ends at once. With VORNALT_DOUBLE_SQUAT
// set, conhost first opens the relay's pipe itself and writes a report of
// its own into it, as a program of the user's that got there first could.
// Last, once the test lets it end when it holds it (hold.h), it writes
// "<name>.done".
#include <cstdio>
#include <optional>
#include <string>

#include "hold.h"
#include "pipe/protocol.h"
#include "platform_readers.h"
#include "relay/relay_message.h"
#include "text/wtf8.h"
#include "windows_support.h"

namespace {

std::wstring wide(std::u16string_view text) { return {text.begin(), text.end()}; }

std::wstring module_path() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

void write_file(const std::wstring& path, const void* data, std::size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
}

void record(const std::wstring& path, std::string_view wtf8) {
  const std::u16string units = vornalt::to_utf16(wtf8);
  write_file(path, units.data(), units.size() * sizeof(char16_t));
}

DWORD start(std::string_view line, const std::wstring& status_record, bool wait,
            const std::wstring& folder = L"") {
  std::wstring command = wide(vornalt::to_utf16(line));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    record(status_record, "CreateProcessW failed: " + std::to_string(GetLastError()));
    return 255;
  }
  const std::wstring base = status_record.substr(0, status_record.size() - 7);  // less ".status"
  record(base + L".pid", std::to_string(process.dwProcessId));
  DWORD status = 0;
  if (!wait) {
    record(status_record, "started");
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return status;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  record(status_record, std::to_string(status));
  return status;
}

// Windows Terminal makes a relative folder absolute against wt.exe's own.
std::wstring absolute_folder(const std::string& folder) {
  const std::wstring given = wide(vornalt::to_utf16(folder));
  std::wstring full(32768, L'\0');
  full.resize(
      GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  return full;
}

// wt.exe expands %NAME% with ExpandEnvironmentStringsW.
std::string expand_environment(std::string_view text) {
  const std::wstring source = wide(vornalt::to_utf16(text));
  std::wstring expanded(source.size() + 1, L'\0');
  DWORD size = ExpandEnvironmentStringsW(source.c_str(), expanded.data(),
                                         static_cast<DWORD>(expanded.size()));
  if (size > expanded.size()) {
    expanded.resize(size);
    size = ExpandEnvironmentStringsW(source.c_str(), expanded.data(), size);
  }
  if (size == 0) return std::string(text);
  expanded.resize(size - 1);
  return vornalt::to_wtf8(std::u16string(expanded.begin(), expanded.end()));
}

// Opens the pipe named by the relay's id on `line` and writes a report into
// it; the handle stays open, so that the relay cannot have the pipe.
void squat_on_the_relays_pipe(std::string_view line) {
  const std::optional<vornalt::RelayMessage> relay = vornalt::read_relay_line(line);
  if (!relay) return;
  const std::string name = vornalt::relay_pipe_name(relay->pipe_id);
  HANDLE pipe = CreateFileW(wide(vornalt::to_utf16(name)).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  const std::string report = vornalt::pid_message(1) + vornalt::status_message(7);
  DWORD written = 0;
  if (pipe != INVALID_HANDLE_VALUE) {
    WriteFile(pipe, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
  }
}

// What a process's first window takes from its STARTUPINFO, and whether it
// was given standard handles.
std::string startup_record() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  const DWORD flags =
      startup.dwFlags & (STARTF_USESHOWWINDOW | STARTF_USEPOSITION | STARTF_USESTDHANDLES);
  char text[80];
  std::snprintf(text, sizeof text, "flags=0x%lx", static_cast<unsigned long>(flags));
  std::string out = text;
  if (flags & STARTF_USESHOWWINDOW) out += " show=" + std::to_string(startup.wShowWindow);
  if (flags & STARTF_USEPOSITION) {
    out += " pos=" + std::to_string(static_cast<LONG>(startup.dwX)) + "," +
           std::to_string(static_cast<LONG>(startup.dwY));
  }
  return out;
}

// wt.exe's options for a window that it creates, as it read them.
std::string window_options(const vornalt::testing::WtReading& reading) {
  std::string out;
  const auto add = [&](const std::string& option) { out += (out.empty() ? "" : " ") + option; };
  if (reading.maximized) add("maximized");
  if (reading.fullscreen) add("fullscreen");
  if (reading.focus) add("focus");
  if (reading.pos) add("pos=" + *reading.pos);
  if (reading.size) add("size=" + *reading.size);
  return out;
}

// The first subcommand as it read it: "new-tab", or "split-pane" with the
// flag of its direction and its share, as given.
std::string subcommand(const vornalt::testing::WtReading& reading) {
  std::string out = reading.subcommand;
  if (reading.split) out += std::string(" -") + *reading.split;
  if (reading.split_size) out += " -s " + *reading.split_size;
  return out;
}

// The real hosts own the console rather than run in it, so Ctrl+C there is
// not theirs; a handler, unlike the "ignore" flag, is not inherited.
BOOL WINAPI ignore_console_event(DWORD) { return TRUE; }

}  // namespace

int main() {
  SetConsoleCtrlHandler(ignore_console_event, TRUE);
  const std::wstring line = GetCommandLineW();
  const std::string text = vornalt::to_wtf8(std::u16string(line.begin(), line.end()));
  const std::wstring path = module_path();
  const std::wstring base = path.substr(0, path.size() - 4);  // less ".exe"
  const std::wstring name = base.substr(base.find_last_of(L'\\') + 1);
  record(base + L".cmdline", text);
  record(base + L".startup", startup_record());

  DWORD status = 0;
  if (_wcsicmp(name.c_str(), L"conhost") == 0) {
    const std::string client = vornalt::testing::conhost_reading(text);
    if (GetEnvironmentVariableW(L"VORNALT_DOUBLE_SQUAT", nullptr, 0) > 0) {
      squat_on_the_relays_pipe(client);
    }
    record(base + L".started", client);
    status = start(client, base + L".status", true);
  } else if (_wcsicmp(name.c_str(), L"wt") == 0) {
    const vornalt::testing::WtReading reading =
        vornalt::testing::wt_reading(text, expand_environment);
    record(base + L".started", reading.command);
    if (reading.title) record(base + L".title", *reading.title);
    if (reading.window) record(base + L".window", *reading.window);
    record(base + L".options", window_options(reading));
    record(base + L".subcommands", std::to_string(reading.subcommands));
    record(base + L".subcommand", subcommand(reading));
    if (reading.profile) record(base + L".profile", *reading.profile);
    if (reading.tab_color) record(base + L".color", *reading.tab_color);
    // wt.exe shows the error and opens nothing.
    if (reading.error) {
      record(base + L".status", "error");
      vornalt::testing::hold_if_asked(name);
      return 1;
    }
    const std::string folder = expand_environment(reading.starting_directory.value_or("."));
    status = start(reading.command, base + L".status", false, absolute_folder(folder));
  }

  vornalt::testing::hold_if_asked(name);
  write_file(base + L".done", "done", 4);
  return static_cast<int>(status);
}
