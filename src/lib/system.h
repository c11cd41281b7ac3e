// The program's only way to the operating system: one small interface, so
// that tests can put a scripted fake where Windows would be.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "error.h"

namespace vornalt {

enum class Stream { out, err };

using Handle = void*;

/// What CreateProcessW fills in.
struct ProcessInformation {
  Handle process = nullptr;
  Handle thread = nullptr;
  std::uint32_t process_id = 0;
  std::uint32_t thread_id = 0;
};

/// The result of WaitForSingleObject.
struct WAIT_EVENT {
  std::uint32_t value = 0;
  bool operator==(const WAIT_EVENT&) const = default;
};
// WAIT_OBJECT_0: the process ended. (<windows.h> takes the plain name.)
inline constexpr WAIT_EVENT WAIT_EVENT_OBJECT_0{0};
inline constexpr std::uint32_t INFINITE_TIMEOUT = 0xFFFFFFFF;

/// "WAIT_EVENT(258)", in unsigned decimal.
inline std::string to_string(WAIT_EVENT event) {
  return "WAIT_EVENT(" + std::to_string(event.value) + ")";
}

/// How create_process starts a program.
struct StartOptions {
  /// The current folder of the new process; empty: this process's.
  std::string_view folder;
  /// A console of its own (a host), or this process's (the shell under the
  /// relay).
  bool new_console = true;
  /// An environment block (environment_block); empty: this process's.
  std::u16string_view environment;
};

/// How the wait for the relay to open its end of the pipe ended.
enum class ClientWait { connected, process_ended, timed_out };

/// The visible window of the console that standard output writes to.
struct ConsoleWindow {
  std::int16_t left;
  std::int16_t right;
};

class System {
 public:
  virtual ~System() = default;

  /// Writes `text` (WTF-8) to a stream at once. Failures are ignored: the
  /// program has nowhere left to report them.
  virtual void write(Stream stream, std::string_view text) = 0;

  /// The window of standard output's console, or nothing when it is no
  /// console.
  virtual std::optional<ConsoleWindow> console_window() = 0;

  /// This process's command line, exactly as it was given (WTF-8).
  virtual std::string process_command_line() = 0;

  /// The full path of this program (WTF-8).
  virtual Result program_path(std::string& path) = 0;

  /// The folder that holds this program, its system folder and its Windows
  /// folder, without a backslash at the end (WTF-8).
  virtual Result program_folder(std::string& folder) = 0;
  virtual Result system_folder(std::string& folder) = 0;
  virtual Result windows_folder(std::string& folder) = 0;

  /// An environment variable's value, or nothing when it is not set.
  virtual Result environment_variable(std::string_view name, std::optional<std::string>& value) = 0;

  /// This process's environment, "NAME=VALUE" each, as the system keeps it.
  virtual Result environment_strings(std::vector<std::string>& strings) = 0;

  /// Sets a variable of this process, which the programs it starts get;
  /// none removes it.
  virtual Result set_environment_variable(std::string_view name,
                                          const std::optional<std::string>& value) = 0;

  /// The short (8.3) form of an existing path; the path itself where the
  /// volume keeps no short names.
  virtual Result short_path(std::string_view path, std::string& short_path) = 0;

  /// Whether `path` names a file that is not a folder.
  virtual bool is_regular_file(std::string_view path) = 0;

  /// `path` made absolute against the current folder (WTF-8), in `full` also
  /// when it names no existing folder (as given when it cannot be made
  /// absolute); then the error says why.
  virtual Result existing_folder(std::string_view path, std::string& full) = 0;

  /// CreateProcessW of `application` (a full path), inheriting no handles.
  /// `command_line` ends in a NUL unit and may be changed by the call.
  virtual Result create_process(std::string_view application, std::u16string& command_line,
                                const StartOptions& options, ProcessInformation& info) = 0;

  virtual WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) = 0;

  /// The exit status of a process that has ended.
  virtual Result exit_code(Handle process, std::uint32_t& status) = 0;

  /// 128 bits from the system's random source.
  virtual Result random_bytes(std::array<std::uint8_t, 16>& bytes) = 0;

  /// The first vornalt's end of the relay's pipe: a new pipe of that name
  /// (failing if one exists), both ways, for one local client, already
  /// waiting for it.
  virtual Result create_pipe(std::string_view name, Handle& pipe) = 0;

  /// Waits until the client has opened `pipe`, `process` (when not null)
  /// has ended, or `timeout` milliseconds have passed. A client that came
  /// before the process ended counts as connected.
  virtual Result wait_for_client(Handle pipe, Handle process, std::uint32_t timeout,
                                 ClientWait& outcome) = 0;

  /// Whether the pipe's client, or the process that made the pipe, is a
  /// process of this same program file.
  virtual bool client_runs_this_program(Handle pipe) = 0;
  virtual bool server_runs_this_program(Handle pipe) = 0;

  /// The next bytes from the pipe; none once the client has closed it.
  virtual Result read_pipe(Handle pipe, std::string& bytes) = 0;

  /// The relay's end of the pipe, both ways.
  virtual Result open_pipe(std::string_view name, Handle& pipe) = 0;
  virtual Result write_pipe(Handle pipe, std::string_view bytes) = 0;

  /// Keeps Ctrl+C and Ctrl+Break in this console for the child (this
  /// process stays); when the console closes, holds this process, a few
  /// seconds at most, until report_done.
  virtual void keep_console_events_for_child() = 0;
  virtual void report_done() = 0;

  /// Drops the key presses that came before, in this console's input.
  virtual Result discard_console_input() = 0;
  /// Waits for a key press in this console; Ctrl+C or Ctrl+Break ends the
  /// wait as well.
  virtual Result wait_for_key_press() = 0;

  virtual Result close_handle(Handle handle) = 0;

  /// The system's message for a shown error code, trimmed; empty when the
  /// system has none.
  virtual std::string error_message(HRESULT shown_code) = 0;
};

/// The debug form of `error`, with the system's message for it.
inline std::string debug_form(const Error& error, System& system) {
  return debug_form(error, system.error_message(error.shown_code()));
}

/// "<what>: Error { … }" on standard error.
inline void print_error(std::string_view what, const Error& error, System& system) {
  system.write(Stream::err, std::string(what) + ": " + debug_form(error, system) + "\n");
}

}  // namespace vornalt
