// Processes: this one's command line, and the start of another, the wait
// for it and its exit status.
#include "text/command_line.h"
#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {

std::string own_command_line() {
  const auto* line = reinterpret_cast<const char16_t*>(GetCommandLineW());
  return to_wtf8(line != nullptr ? std::u16string_view(line) : u"");
}

std::vector<std::string> process_arguments() { return split_command_line(own_command_line()); }

namespace {

static_assert(static_cast<WORD>(ShowCommand::show_maximized) == SW_SHOWMAXIMIZED);
static_assert(static_cast<WORD>(ShowCommand::show_no_activate) == SW_SHOWNOACTIVATE);
static_assert(static_cast<WORD>(ShowCommand::show_min_no_activate) == SW_SHOWMINNOACTIVE);

// What a new process takes for its first window. No standard handles: a
// conhost.exe given them would run as a pseudoconsole and open no window.
void place_window(STARTUPINFOW& startup, const StartupWindow& window) {
  if (window.show) {
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(*window.show);
  }
  if (window.position) {
    // Read back as signed: a screen to the left of or above the primary one.
    startup.dwFlags |= STARTF_USEPOSITION;
    startup.dwX = static_cast<DWORD>(static_cast<LONG>(window.position->x));
    startup.dwY = static_cast<DWORD>(static_cast<LONG>(window.position->y));
  }
}

class Win32Processes final : public Processes {
 public:
  std::string process_command_line() override { return own_command_line(); }

  Expected<StartedProcess> create_process(std::string_view application,
                                          std::u16string& command_line,
                                          const StartOptions& options) override {
    static_assert(sizeof(STARTUPINFOW) == 104, "the 64-bit layout");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    place_window(startup, options.window);
    PROCESS_INFORMATION process{};
    const std::wstring program = wide_string(application);
    const std::wstring folder = wide_string(options.folder);
    DWORD flags = options.new_console ? CREATE_NEW_CONSOLE : 0;
    // CreateProcessW takes the block as it is, and may not change it.
    std::u16string environment(options.environment);
    if (!environment.empty()) flags |= CREATE_UNICODE_ENVIRONMENT;
    const BOOL created =
        CreateProcessW(program.c_str(), reinterpret_cast<wchar_t*>(command_line.data()), nullptr,
                       nullptr, FALSE, flags, environment.empty() ? nullptr : environment.data(),
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    const Result result = check_win32_bool(created);
    if (!result.ok()) return result.error();
    return StartedProcess{.thread = {*this, process.hThread},
                          .process = {*this, process.hProcess},
                          .id = process.dwProcessId};
  }

  WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) override {
    return WAIT_EVENT{WaitForSingleObject(handle, timeout)};
  }

  Expected<std::uint32_t> exit_code(Handle process) override {
    DWORD code = 0;
    const Result result = check_win32_bool(GetExitCodeProcess(process, &code));
    if (!result.ok()) return result.error();
    return std::uint32_t{code};
  }

  // The one close of a handle that the portable code owns (OwnedHandle).
  Result close_handle(Handle handle) override { return check_win32_bool(CloseHandle(handle)); }
};

}  // namespace

std::unique_ptr<Processes> make_win32_processes() { return std::make_unique<Win32Processes>(); }

}  // namespace vornalt
