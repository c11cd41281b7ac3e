// The program at the end of the road in the end-to-end tests: it records
// what it received, beside itself, as raw UTF-16LE:
//   <name>.cmdline  its command line;
//   <name>.argv     its C runtime's argv, each word ended by a NUL unit;
//   <name>.title    its console's title;
//   <name>.console  "console", or "no console" when standard output's
//                   console (CONOUT$) is none, with the errors and whether
//                   it has a console window;
//   <name>.window   its console's window: "cells=COLSxROWS buffer=WxH" as
//                   GetConsoleScreenBufferInfo gives them (or "cells=none"
//                   with the error), then "hwnd=none", or the window's
//                   "iconic=0|1 zoomed=0|1 rect=LEFT,TOP,RIGHT,BOTTOM";
//   <name>.cwd      its current folder;
//   <name>.parent   the process id of its parent, in decimal;
//   <name>.env      its environment, each string ended by a NUL unit;
// and last "<name>.done", once the test lets it end when it holds it
// (hold.h).
#include <cwchar>
#include <string>

#include "hold.h"
#include "windows_support.h"
// After <windows.h>, which it needs.
#include <tlhelp32.h>

namespace {

void write_file(const std::wstring& path, const std::wstring& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
            nullptr);
  CloseHandle(file);
}

DWORD parent_process_id() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

// Whether the title came from a console. Wine can give a program a new
// console that no console host serves (its conhost.exe did not start, or
// ended); then no title can be read, whatever was set.
std::wstring console_state(DWORD title_error) {
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD mode = 0;
  const bool console = out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode);
  const DWORD error = console ? 0 : GetLastError();
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  std::wstring state =
      console ? L"console" : L"no console (CONOUT$: error " + std::to_wstring(error) + L")";
  if (GetConsoleWindow() == nullptr) state += L", no window";
  if (title_error != 0) state += L", GetConsoleTitleW: error " + std::to_wstring(title_error);
  return state;
}

// What the console's window is like, as a user would see it: its size in
// cells, minimized or maximized, and where it is on the screen.
std::wstring window_state() {
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  std::wstring state;
  if (out != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(out, &info)) {
    state = L"cells=" + std::to_wstring(info.srWindow.Right - info.srWindow.Left + 1) + L"x" +
            std::to_wstring(info.srWindow.Bottom - info.srWindow.Top + 1) + L" buffer=" +
            std::to_wstring(info.dwSize.X) + L"x" + std::to_wstring(info.dwSize.Y);
  } else {
    state = L"cells=none (error " + std::to_wstring(GetLastError()) + L")";
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  const HWND window = GetConsoleWindow();
  RECT rect{};
  if (window == nullptr || !GetWindowRect(window, &rect)) return state + L" hwnd=none";
  return state + L" iconic=" + std::to_wstring(IsIconic(window) ? 1 : 0) + L" zoomed=" +
         std::to_wstring(IsZoomed(window) ? 1 : 0) + L" rect=" + std::to_wstring(rect.left) + L"," +
         std::to_wstring(rect.top) + L"," + std::to_wstring(rect.right) + L"," +
         std::to_wstring(rect.bottom);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  const std::wstring base = path.substr(0, path.size() - 4);  // less ".exe"

  write_file(base + L".cmdline", GetCommandLineW());
  std::wstring words;
  for (int i = 0; i < argc; ++i) {
    words += argv[i];
    words += L'\0';
  }
  write_file(base + L".argv", words);
  std::wstring title(4096, L'\0');
  SetLastError(0);  // an empty title is no failure
  title.resize(GetConsoleTitleW(title.data(), static_cast<DWORD>(title.size())));
  const DWORD title_error = title.empty() ? GetLastError() : 0;
  write_file(base + L".title", title);
  write_file(base + L".console", console_state(title_error));
  write_file(base + L".window", window_state());
  std::wstring folder(32768, L'\0');
  folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  write_file(base + L".cwd", folder);
  write_file(base + L".parent", std::to_wstring(parent_process_id()));
  wchar_t* environment = GetEnvironmentStringsW();
  const wchar_t* end = environment;
  while (*end != L'\0') end += std::wcslen(end) + 1;
  write_file(base + L".env", std::wstring(static_cast<const wchar_t*>(environment), end));
  FreeEnvironmentStringsW(environment);
  vornalt::testing::hold_if_asked(base.substr(base.find_last_of(L'\\') + 1));
  write_file(base + L".done", L"done");
  return 0;
}
