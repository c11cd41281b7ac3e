// The least that any program between conhost.exe and the shell must do, to
// weigh the relay against: start the rest of its command line in this same
// console, wait for it, and end with its status.
#include <string>

#include "windows_support.h"

int main() {
  std::wstring line = GetCommandLineW();
  // Its own name, which holds no blank or quote here, and the blank after.
  line.erase(0, line.find(L' ') + 1);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 255;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
