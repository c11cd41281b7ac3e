// Processes: this one's command line, and the start of another, the wait
// for it and its exit status.
#include "../command_line.h"
#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {

std::string own_command_line() {
  const auto* line = reinterpret_cast<const char16_t*>(GetCommandLineW());
  return to_wtf8(line != nullptr ? std::u16string_view(line) : u"");
}

std::vector<std::string> process_arguments() { return split_command_line(own_command_line()); }

std::string Win32System::process_command_line() { return own_command_line(); }

Expected<StartedProcess> Win32System::create_process(std::string_view application,
                                                     std::u16string& command_line,
                                                     const StartOptions& options) {
  static_assert(sizeof(STARTUPINFOW) == 104, "the 64-bit layout");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
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

WAIT_EVENT Win32System::wait_for_single_object(Handle handle, std::uint32_t timeout) {
  return WAIT_EVENT{WaitForSingleObject(handle, timeout)};
}

Expected<std::uint32_t> Win32System::exit_code(Handle process) {
  DWORD code = 0;
  const Result result = check_win32_bool(GetExitCodeProcess(process, &code));
  if (!result.ok()) return result.error();
  return std::uint32_t{code};
}

Result Win32System::close_handle(Handle handle) { return check_win32_bool(CloseHandle(handle)); }

}  // namespace vornalt
