// Starts its command line (after its own name) in a new console, as
// vornalt.exe starts a host, waits for it, and ends with its status: the
// side of the relay's floor that has no vornalt.exe.
#include <string>

#include "windows_support.h"

int main() {
  std::wstring line = GetCommandLineW();
  // Its own name, which holds no blank or quote here, and the blank after.
  line.erase(0, line.find(L' ') + 1);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      nullptr, &startup, &process)) {
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 255;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
