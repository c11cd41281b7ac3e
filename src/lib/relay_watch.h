// The first vornalt's side of the relay: waiting for its report.
#pragma once

#include <cstdint>
#include <optional>

#include "argument_parser.h"
#include "system.h"

namespace vornalt {

/// How long the relay may take to open the pipe once wt.exe has handed the
/// command on (conhost.exe's end says at once that it never will).
inline constexpr std::uint32_t RELAY_CONNECT_TIMEOUT_MS = 30000;

/// Waits for the relay that `host` starts to report through `pipe`: prints
/// "Shell PID: <n>" when the shell has started (unless quiet), and returns
/// the shell's exit status once it has ended. Returns nothing after a line
/// on standard error that says what went wrong instead: "Error: …" with
/// `exit_code`, otherwise "Warning: …" (the start itself succeeded).
std::optional<std::uint32_t> watch_relay(Handle pipe, Handle host, const LaunchRequest& request,
                                         System& system);

}  // namespace vornalt
