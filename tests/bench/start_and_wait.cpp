// Starts its command line (after its own name), waits for it, and ends with
// its status: the two programs of the relay's floor, built from this one
// file. As passthrough.exe (START_FLAGS 0) it is the least that any program
// between conhost.exe and the shell must do, in the relay's place: the same
// console. As new_console.exe (START_FLAGS CREATE_NEW_CONSOLE) it starts the
// host as vornalt.exe does, on the side that has no vornalt.exe.
#include <string>

#include "windows_support.h"

int main() {
  std::wstring line = GetCommandLineW();
  // Its own name, which holds no blank or quote here, and the blank after.
  line.erase(0, line.find(L' ') + 1);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, START_FLAGS, nullptr, nullptr,
                      &startup, &process)) {
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 255;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
