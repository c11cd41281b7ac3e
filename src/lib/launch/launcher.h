// Carrying out the plan of a launch: the host started by the plan's
// starter, and what this vornalt follows of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "launch/host_starter.h"
#include "launch/launch_plan.h"
#include "output.h"
#include "system/processes.h"

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

/// Has `starter` start `host` (its full path) with `command_line`. Once it
/// started: the launch line (unless quiet), the relay's report (watch_relay)
/// when the plan has a relay pipe, and the wait for the host when the plan
/// says so; then the handles are closed. Prints the failure when nothing
/// started.
LaunchOutcome launch(const LaunchPlan& plan, std::string_view host, std::string_view command_line,
                     HostStarter& starter, Output& output, Processes& processes);

/// The exit status of a run that got as far as the launch: 1 when nothing
/// started or the watch of the relay failed; otherwise 0, or, where the
/// plan ends with the command's status, all its 32 bits (1 when none came).
int exit_status(const LaunchPlan& plan, const LaunchOutcome& outcome);

}  // namespace vornalt
