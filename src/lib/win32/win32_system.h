// The real Windows behind the System interface. Its calls live in one file
// per concept: win32_console.cpp, win32_process.cpp, win32_elevation.cpp,
// win32_pipe.cpp, win32_paths.cpp, win32_environment.cpp and
// win32_error.cpp.
#pragma once

#include <string>
#include <vector>

#include "../error.h"
#include "../system.h"

namespace vornalt {

/// Success for a nonzero BOOL; otherwise the Error made from the thread's
/// last-error code. Call it right after the call that returned `result`.
Result check_win32_bool(int result);

/// The system's message for a shown code, by FormatMessageW; empty if none.
std::string system_message(HRESULT shown_code);

/// This process's command line, GetCommandLineW, as WTF-8.
std::string own_command_line();

/// The argument list of this process, split from GetCommandLineW.
std::vector<std::string> process_arguments();

class Win32System final : public System {
 public:
  Win32System();

  void write(Stream stream, std::string_view text) override;
  std::optional<ConsoleWindow> console_window() override;
  void keep_console_events_for_child() override;
  void report_done() override;
  Result discard_console_input() override;
  Result wait_for_key_press() override;

  std::string process_command_line() override;
  Expected<StartedProcess> create_process(std::string_view application,
                                          std::u16string& command_line,
                                          const StartOptions& options) override;
  WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) override;
  Expected<std::uint32_t> exit_code(Handle process) override;
  Result close_handle(Handle handle) override;

  bool is_elevated() override;
  Expected<OwnedHandle> start_elevated(std::string_view program,
                                       std::string_view parameters) override;

  Expected<std::unique_ptr<PipeServer>> create_pipe(std::string_view name) override;
  Expected<std::unique_ptr<Pipe>> open_pipe(std::string_view name) override;
  Expected<std::array<std::uint8_t, 16>> random_bytes() override;

  Expected<std::string> program_path() override;
  Expected<std::string> program_folder() override;
  Expected<std::string> system_folder() override;
  Expected<std::string> windows_folder() override;
  Expected<std::string> short_path(std::string_view path) override;
  Expected<std::string> full_path(std::string_view path) override;
  bool is_regular_file(std::string_view path) override;
  Result check_folder(std::string_view path) override;

  Expected<std::optional<std::string>> environment_variable(std::string_view name) override;
  Expected<std::vector<std::string>> environment_strings() override;
  Result set_environment_variable(std::string_view name,
                                  const std::optional<std::string>& value) override;

  std::string error_message(HRESULT shown_code) override;

 private:
  struct Output {
    Handle handle = nullptr;
    bool console = false;
  };
  static Output open_output(std::uint32_t std_handle);

  Output out_;
  Output err_;
};

}  // namespace vornalt
