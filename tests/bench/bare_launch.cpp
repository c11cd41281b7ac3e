// The baseline for vornalt.exe's overhead: a program that does nothing but
// CreateProcessW of the command line that `vornalt.exe wt -q x` starts.
#include "windows_support.h"

int main() {
  wchar_t line[] = L"wt.exe --window vornalt --title \"\" --startingDirectory . cmd.exe /c x";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                      &startup, &process)) {
    return 1;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return 0;
}
