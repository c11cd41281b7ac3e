// Processes: this one's command line, and the start of another, the wait
// for it, its exit status and its handles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "error.h"
#include "window_layout.h"

namespace vornalt {

using Handle = void*;

class Processes;

/// A handle of this program's, closed through the seam that gave it when it
/// goes, unless closed before. Moved, never copied.
class OwnedHandle {
 public:
  OwnedHandle() = default;
  OwnedHandle(Processes& processes, Handle handle) : processes_(&processes), handle_(handle) {}
  OwnedHandle(OwnedHandle&& other) noexcept
      : processes_(other.processes_), handle_(std::exchange(other.handle_, nullptr)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
      reset();
      processes_ = other.processes_;
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
  Processes* processes_ = nullptr;
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
  /// The show command and the position of its STARTUPINFO, which a host
  /// takes for the window it creates; none: as it shows every window.
  StartupWindow window;
};

class Processes {
 public:
  virtual ~Processes() = default;

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
};

inline void OwnedHandle::reset() {
  if (handle_ != nullptr) (void)processes_->close_handle(std::exchange(handle_, nullptr));
}

}  // namespace vornalt
