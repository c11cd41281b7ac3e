// The first vornalt's side of the relay: waiting for its report.
#pragma once

#include <cstdint>
#include <optional>

#include "launch/launch_plan.h"
#include "output.h"
#include "system/pipes.h"
#include "system/processes.h"

namespace vornalt {

/// How long the relay may take to open the pipe once wt.exe has handed the
/// command on (conhost.exe's end says at once that it never will).
inline constexpr std::uint32_t RELAY_CONNECT_TIMEOUT_MS = 30000;

/// What the watch of the relay came to.
struct RelayOutcome {
  /// The shell's exit status, once the relay has reported it.
  std::optional<std::uint32_t> status;
  /// A line "Error: …" was printed: the run ends with status 1.
  bool failed = false;
};

/// Waits for the relay that `host` starts to open `pipe`, makes sure that
/// it runs this program, sends it the plan's variables for the relay, and
/// reads its report: prints "Shell PID: <n>" when the shell has started
/// (unless quiet), and, when the plan's relay reports the status, waits for
/// the shell's exit status. Whatever goes wrong gets a line on standard
/// error: "Error: …" when the shell did not start, when the plan ends with
/// the command's status, or while variables are on their way (the relay
/// does not run the command without them), otherwise "Warning: …" (the
/// start itself succeeded).
RelayOutcome watch_relay(PipeServer& pipe, Handle host, const LaunchPlan& plan, Output& output,
                         Processes& processes);

}  // namespace vornalt
