// Stands in for conhost.exe, wt.exe, pwsh.exe and powershell.exe in the
// end-to-end tests. It records the exact command line it was given in
// "<name>.cmdline" (raw UTF-16LE) beside itself; as conhost it then runs the
// rest of its command line, after its own name, and waits for it, as the
// real host does. With VORNALT_DOUBLE_DELAY_MS set it lingers that long
// before it ends; last it writes "<name>.done".
#include <cstdlib>
#include <cwchar>
#include <string>

#include "windows_support.h"

namespace {

std::wstring module_path() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

void write_file(const std::wstring& path, const void* data, DWORD size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, data, size, &written, nullptr);
  CloseHandle(file);
}

// What follows the program's name: it ends at the first blank or tab outside
// quotes.
const wchar_t* after_program_name(const wchar_t* line) {
  bool in_quotes = false;
  for (; *line != L'\0'; ++line) {
    if (*line == L'"') in_quotes = !in_quotes;
    if (!in_quotes && (*line == L' ' || *line == L'\t')) break;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

DWORD run_rest(const wchar_t* rest) {
  std::wstring command(rest);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return status;
}

}  // namespace

int main() {
  const wchar_t* line = GetCommandLineW();
  const std::wstring path = module_path();
  const std::wstring base = path.substr(0, path.size() - 4);  // less ".exe"
  write_file(base + L".cmdline", line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)));

  DWORD status = 0;
  const std::wstring name = base.substr(base.find_last_of(L'\\') + 1);
  if (_wcsicmp(name.c_str(), L"conhost") == 0) status = run_rest(after_program_name(line));

  wchar_t delay[32];
  if (GetEnvironmentVariableW(L"VORNALT_DOUBLE_DELAY_MS", delay, 32) > 0) Sleep(_wtoi(delay));
  write_file(base + L".done", "done", 4);
  return static_cast<int>(status);
}
