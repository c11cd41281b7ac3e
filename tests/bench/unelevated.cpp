// Runs its command line (after its own name) with the limited token linked
// to its own, as an administrator's unelevated process, waits for it, and
// ends with its status: under Wine every process runs elevated, and -a's
// elevated start is measured from an unelevated vornalt.exe.
#include <string>

#include "limited_token.h"
#include "windows_support.h"

int main() {
  std::wstring line = GetCommandLineW();
  // Its own name, which holds no blank or quote here, and the blank after.
  line.erase(0, line.find(L' ') + 1);
  const HANDLE token = vornalt::testing::limited_token();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = token != nullptr
                           ? CreateProcessAsUserW(token, nullptr, line.data(), nullptr, nullptr,
                                                  TRUE, 0, nullptr, nullptr, &startup, &process)
                           : CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &startup, &process);
  if (!started) return 255;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 255;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
