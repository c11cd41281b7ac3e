// The real Windows behind the seams of system.h, one seam per file:
// win32_console.cpp, win32_error.cpp (the messages), win32_process.cpp,
// win32_pipe.cpp, win32_paths.cpp, win32_environment.cpp and
// win32_elevation.cpp. Each file defines its seam's class and the function
// that makes one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "error.h"
#include "system/system.h"

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

/// The seams as Windows has them. The console's takes this process's
/// standard output and error as they are when it is made; the elevation's
/// hands out the handle of the process it starts, closed through
/// `processes`.
std::unique_ptr<Console> make_win32_console();
std::unique_ptr<Messages> make_win32_messages();
std::unique_ptr<Processes> make_win32_processes();
std::unique_ptr<Pipes> make_win32_pipes();
std::unique_ptr<Paths> make_win32_paths();
std::unique_ptr<Environment> make_win32_environment();
std::unique_ptr<Elevation> make_win32_elevation(Processes& processes);

namespace detail {
struct Win32Seams {
  std::unique_ptr<Console> console_ = make_win32_console();
  std::unique_ptr<Messages> messages_ = make_win32_messages();
  std::unique_ptr<Processes> processes_ = make_win32_processes();
  std::unique_ptr<Pipes> pipes_ = make_win32_pipes();
  std::unique_ptr<Paths> paths_ = make_win32_paths();
  std::unique_ptr<Environment> environment_ = make_win32_environment();
  std::unique_ptr<Elevation> elevation_ = make_win32_elevation(*processes_);
};
}  // namespace detail

/// Every seam as Windows has it, owned.
class Win32System : private detail::Win32Seams, public System {
 public:
  Win32System()
      : System{*console_, *messages_, *processes_, *pipes_, *paths_, *environment_, *elevation_} {}
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;
};

}  // namespace vornalt
