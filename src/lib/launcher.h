// Carrying out the plan of a launch: the host's start in a new console, and
// what this vornalt follows of it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "launch_plan.h"
#include "launch_request.h"
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
};

/// Starts `host` with `command_line` (UTF-16, ended by a NUL unit) in a new
/// console, in `folder` (empty: the current one), and with `variables`
/// changed in this process's environment.
Expected<StartedProcess> start_in_new_console(std::string_view host, std::u16string& command_line,
                                              std::string_view folder,
                                              std::span<const Variable> variables, System& system);

/// Prints the command line (unless quiet) and finds the host program
/// (find_host_program); a dry run prints it (unless quiet) and stops there.
/// Otherwise it makes the relay's pipe when the plan has one, starts the
/// host with the command line in a new console (conhost in the plan's
/// folder, with the variables), reports the process id (unless quiet),
/// watches the relay (watch_relay), waits for the host when the plan says
/// so, and closes the handles. Prints the failure when the start failed.
LaunchOutcome launch_process(std::string_view command_line, const LaunchRequest& request,
                             const LaunchPlan& plan, System& system);

}  // namespace vornalt
