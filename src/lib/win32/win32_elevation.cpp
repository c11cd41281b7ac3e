// Elevation: whether this process runs as administrator, and a start as
// administrator through Windows' elevation prompt.
#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace vornalt {

bool Win32System::is_elevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const BOOL read = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  CloseHandle(token);
  return read && elevation.TokenIsElevated != 0;
}

Expected<OwnedHandle> Win32System::start_elevated(std::string_view program,
                                                  std::string_view parameters) {
  const std::wstring file = wide_string(program);
  const std::wstring words = wide_string(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The process handle, to wait for it; the start over before the call
  // returns, since this thread runs no message loop; no message box of the
  // shell's own: the failure is this program's to report.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = words.c_str();
  // Its console is of no use: the host opens the window.
  info.nShow = SW_HIDE;
  const Result started = check_win32_bool(ShellExecuteExW(&info));
  if (!started.ok()) return started.error();
  // No process when the start was handed to something else, which a
  // program file never is.
  if (info.hProcess == nullptr) return error_from_win32(ERROR_INVALID_HANDLE);
  return OwnedHandle(*this, info.hProcess);
}

}  // namespace vornalt
