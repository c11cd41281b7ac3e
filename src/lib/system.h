// The program's only way to the operating system: one small interface, so
// that tests can put a scripted fake where Windows would be. Its calls are
// grouped as the Windows layer's files are: the console, processes, pipes,
// paths and the environment, and error messages.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "error.h"

namespace vornalt {

enum class Stream { out, err };

using Handle = void*;

class System;

/// A handle of this program's, closed through the system that gave it when
/// it goes, unless closed before. Moved, never copied.
class OwnedHandle {
 public:
  OwnedHandle() = default;
  OwnedHandle(System& system, Handle handle) : system_(&system), handle_(handle) {}
  OwnedHandle(OwnedHandle&& other) noexcept
      : system_(other.system_), handle_(std::exchange(other.handle_, nullptr)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
      reset();
      system_ = other.system_;
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~OwnedHandle() { reset(); }

  Handle get() const { return handle_; }
  /// Closes it now. A handle that will not close changes nothing for the
  /// user, so the failure is dropped.
  void reset();

 private:
  System* system_ = nullptr;
  Handle handle_ = nullptr;
};

/// A started process: its handle, its first thread's, and its id. The
/// members go in reverse order: the process's handle is closed first.
struct StartedProcess {
  OwnedHandle thread;
  OwnedHandle process;
  std::uint32_t id = 0;
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

/// One end of a named pipe, closed when it goes.
class Pipe {
 public:
  virtual ~Pipe() = default;

  /// The next bytes; none once the other end has closed the pipe.
  virtual Expected<std::string> read() = 0;
  virtual Result write(std::string_view bytes) = 0;
  /// Whether the process at the other end runs this same program file: the
  /// client, at the end that made the pipe; the maker, at the client's.
  virtual bool other_end_runs_this_program() = 0;
};

/// The end that made the pipe: new (failing if a pipe of that name exists),
/// both ways, for one local client, already waiting for it.
class PipeServer : public Pipe {
 public:
  /// Until the client has opened the pipe, `process` (when not null) has
  /// ended, or `timeout` milliseconds have passed. A client that came before
  /// the process ended counts as connected.
  virtual Expected<ClientWait> wait_for_client(Handle process, std::uint32_t timeout) = 0;
};

/// The visible window of the console that standard output writes to.
struct ConsoleWindow {
  std::int16_t left;
  std::int16_t right;
};

class System {
 public:
  virtual ~System() = default;

  // The console.

  /// Writes `text` (WTF-8) to a stream at once. Failures are ignored: the
  /// program has nowhere left to report them.
  virtual void write(Stream stream, std::string_view text) = 0;
  /// The window of standard output's console, or nothing when it is no
  /// console.
  virtual std::optional<ConsoleWindow> console_window() = 0;
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

  // Processes.

  /// This process's command line, exactly as it was given (WTF-8).
  virtual std::string process_command_line() = 0;
  /// CreateProcessW of `application` (a full path), inheriting no handles.
  /// `command_line` ends in a NUL unit and may be changed by the call.
  virtual Expected<StartedProcess> create_process(std::string_view application,
                                                  std::u16string& command_line,
                                                  const StartOptions& options) = 0;
  virtual WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) = 0;
  /// The exit status of a process that has ended.
  virtual Expected<std::uint32_t> exit_code(Handle process) = 0;
  virtual Result close_handle(Handle handle) = 0;

  // Elevation.

  /// Whether this process runs elevated: as administrator, or with UAC off.
  virtual bool is_elevated() = 0;
  /// Starts `program` with `parameters` as administrator, hidden, through
  /// Windows' elevation prompt (ShellExecuteExW, "runas"); its process.
  virtual Expected<OwnedHandle> start_elevated(std::string_view program,
                                               std::string_view parameters) = 0;

  // Pipes.

  virtual Expected<std::unique_ptr<PipeServer>> create_pipe(std::string_view name) = 0;
  /// The client's end, both ways, for identification only.
  virtual Expected<std::unique_ptr<Pipe>> open_pipe(std::string_view name) = 0;
  /// 128 bits from the system's random source, for a pipe's name.
  virtual Expected<std::array<std::uint8_t, 16>> random_bytes() = 0;

  // Paths.

  /// The full path of this program (WTF-8).
  virtual Expected<std::string> program_path() = 0;
  /// The folder that holds this program, its system folder and its Windows
  /// folder, without a backslash at the end (WTF-8).
  virtual Expected<std::string> program_folder() = 0;
  virtual Expected<std::string> system_folder() = 0;
  virtual Expected<std::string> windows_folder() = 0;
  /// The short (8.3) form of an existing path; the path itself where the
  /// volume keeps no short names.
  virtual Expected<std::string> short_path(std::string_view path) = 0;
  /// `path` made absolute against the current folder (WTF-8).
  virtual Expected<std::string> full_path(std::string_view path) = 0;
  /// Whether `path` names a file that is not a folder.
  virtual bool is_regular_file(std::string_view path) = 0;
  /// Success when the absolute `path` names an existing folder; otherwise
  /// why not.
  virtual Result check_folder(std::string_view path) = 0;

  // The environment.

  /// An environment variable's value, or nothing when it is not set.
  virtual Expected<std::optional<std::string>> environment_variable(std::string_view name) = 0;
  /// This process's environment, "NAME=VALUE" each, as the system keeps it.
  virtual Expected<std::vector<std::string>> environment_strings() = 0;
  /// Sets a variable of this process, which the programs it starts get;
  /// none removes it.
  virtual Result set_environment_variable(std::string_view name,
                                          const std::optional<std::string>& value) = 0;

  // Errors.

  /// The system's message for a shown error code, trimmed; empty when the
  /// system has none.
  virtual std::string error_message(HRESULT shown_code) = 0;
};

inline void OwnedHandle::reset() {
  if (handle_ != nullptr) (void)system_->close_handle(std::exchange(handle_, nullptr));
}

/// The debug form of `error`, with the system's message for it.
inline std::string debug_form(const Error& error, System& system) {
  return debug_form(error, system.error_message(error.shown_code()));
}

/// "<what>: Error { … }" on standard error.
inline void print_error(std::string_view what, const Error& error, System& system) {
  system.write(Stream::err, std::string(what) + ": " + debug_form(error, system) + "\n");
}

}  // namespace vornalt
