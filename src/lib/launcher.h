// Starting the composed command line in a new console.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "argument_parser.h"
#include "console_command_line.h"
#include "system.h"

namespace vornalt {

/// What became of a launch.
struct LaunchOutcome {
  /// The host was started (or, in a dry run, would have been).
  bool started = false;
  /// The shell's exit status, when a relay watched it and reported it.
  std::optional<std::uint32_t> command_status;
  /// The watch of the relay printed an error after the start.
  bool relay_failed = false;

  explicit operator bool() const { return started; }
};

/// Prints the command line (unless quiet) and finds the host program
/// (find_host_program); a dry run prints it (unless quiet) and stops there.
/// Otherwise it starts the host with the
/// command line in a new console (conhost in the placement's folder),
/// reports the process id (unless quiet), waits when asked, and closes the
/// handles. With a relay in the placement, it first opens the relay's pipe
/// and then waits for the relay's report (watch_relay). Prints the failure
/// when the start failed.
LaunchOutcome launch_process(std::string_view command_line, const LaunchRequest& request,
                             System& system, const Placement& placement = {});

}  // namespace vornalt
