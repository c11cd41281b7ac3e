// Elevation: whether this process runs as administrator, and a start as
// administrator through Windows' elevation prompt. Their DLLs are loaded
// only for -a: shell32's load, with all that it loads in turn, would slow
// every run.
#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace vornalt {
namespace {

class Win32Elevation final : public Elevation {
 public:
  explicit Win32Elevation(Processes& processes) : processes_(processes) {}

  bool is_elevated() override {
    using OpenToken = BOOL WINAPI(HANDLE, DWORD, PHANDLE);
    using ReadToken = BOOL WINAPI(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
    const auto open = system_function<OpenToken>(L"advapi32.dll", "OpenProcessToken");
    const auto read = system_function<ReadToken>(L"advapi32.dll", "GetTokenInformation");
    HANDLE opened = nullptr;
    if (open == nullptr || read == nullptr || !open(GetCurrentProcess(), TOKEN_QUERY, &opened)) {
      return false;
    }
    const ScopedKernelHandle token(opened);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return read(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
  }

  Expected<OwnedHandle> start_elevated(std::string_view program,
                                       std::string_view parameters) override {
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
    using Execute = BOOL WINAPI(SHELLEXECUTEINFOW*);
    const auto execute = system_function<Execute>(L"shell32.dll", "ShellExecuteExW");
    if (execute == nullptr) return check_win32_bool(FALSE).error();
    const Result started = check_win32_bool(execute(&info));
    if (!started.ok()) return started.error();
    // No process when the start was handed to something else, which a
    // program file never is.
    if (info.hProcess == nullptr) return error_from_win32(ERROR_INVALID_HANDLE);
    return OwnedHandle(processes_, info.hProcess);
  }

 private:
  // Closes the handle of the process it starts, as it closes every other.
  Processes& processes_;
};

}  // namespace

std::unique_ptr<Elevation> make_win32_elevation(Processes& processes) {
  return std::make_unique<Win32Elevation>(processes);
}

}  // namespace vornalt
