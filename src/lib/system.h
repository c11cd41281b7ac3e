// The program's only way to the operating system: one small interface, so
// that tests can put a scripted fake where Windows would be.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
};

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

  /// The folder that holds this program, its system folder and its Windows
  /// folder, without a backslash at the end (WTF-8).
  virtual Result program_folder(std::string& folder) = 0;
  virtual Result system_folder(std::string& folder) = 0;
  virtual Result windows_folder(std::string& folder) = 0;

  /// An environment variable's value, or nothing when it is not set.
  virtual Result environment_variable(std::string_view name, std::optional<std::string>& value) = 0;

  /// Whether `path` names a file that is not a folder.
  virtual bool is_regular_file(std::string_view path) = 0;

  /// `path` made absolute against the current folder (WTF-8), in `full` also
  /// when it names no existing folder (as given when it cannot be made
  /// absolute); then the error says why.
  virtual Result existing_folder(std::string_view path, std::string& full) = 0;

  /// CreateProcessW of `application` (a full path) in a new console,
  /// inheriting no handles. `command_line` ends in a NUL unit and may be
  /// changed by the call.
  virtual Result create_process(std::string_view application, std::u16string& command_line,
                                const StartOptions& options, ProcessInformation& info) = 0;

  virtual WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) = 0;

  virtual Result close_handle(Handle handle) = 0;

  /// The system's message for a shown error code, trimmed; empty when the
  /// system has none.
  virtual std::string error_message(HRESULT shown_code) = 0;
};

}  // namespace vornalt
