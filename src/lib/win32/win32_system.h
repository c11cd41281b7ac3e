// The real Windows behind the System interface.
#pragma once

#include <memory>
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

  ~Win32System() override;
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;

  void write(Stream stream, std::string_view text) override;
  std::optional<ConsoleWindow> console_window() override;
  std::string process_command_line() override;
  Result program_path(std::string& path) override;
  Result program_folder(std::string& folder) override;
  Result system_folder(std::string& folder) override;
  Result windows_folder(std::string& folder) override;
  Result environment_variable(std::string_view name, std::optional<std::string>& value) override;
  Result environment_strings(std::vector<std::string>& strings) override;
  Result set_environment_variable(std::string_view name,
                                  const std::optional<std::string>& value) override;
  Result short_path(std::string_view path, std::string& short_path) override;
  bool is_regular_file(std::string_view path) override;
  Result existing_folder(std::string_view path, std::string& full) override;
  Result create_process(std::string_view application, std::u16string& command_line,
                        const StartOptions& options, ProcessInformation& info) override;
  WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) override;
  Result exit_code(Handle process, std::uint32_t& status) override;
  Result close_handle(Handle handle) override;
  std::string error_message(HRESULT shown_code) override;
  Result random_bytes(std::array<std::uint8_t, 16>& bytes) override;
  Result create_pipe(std::string_view name, Handle& pipe) override;
  Result wait_for_client(Handle pipe, Handle process, std::uint32_t timeout,
                         ClientWait& outcome) override;
  bool client_runs_this_program(Handle pipe) override;
  bool server_runs_this_program(Handle pipe) override;
  Result read_pipe(Handle pipe, std::string& bytes) override;
  Result open_pipe(std::string_view name, Handle& pipe) override;
  Result write_pipe(Handle pipe, std::string_view bytes) override;
  void keep_console_events_for_child() override;
  void report_done() override;
  Result discard_console_input() override;
  Result wait_for_key_press() override;

 private:
  struct Output {
    Handle handle = nullptr;
    bool console = false;
  };
  static Output open_output(std::uint32_t std_handle);
  /// Whether the process `id` runs this program's file.
  bool runs_this_program(unsigned long id);

  Output out_;
  Output err_;
  /// The relay's pipe: its wait for the client, and its reads.
  struct PipeIo;
  std::unique_ptr<PipeIo> pipe_io_;
};

}  // namespace vornalt
