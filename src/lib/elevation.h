// The host started as administrator. This vornalt asks Windows to start
// vornalt.exe itself elevated, so that the elevation prompt names vornalt
// and not a host or shell that Windows signed; that elevated start starts
// the host, reports it, and stands in for it until it ends
// (relay_protocol.h).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "launch_plan.h"
#include "launch_request.h"
#include "system.h"

namespace vornalt {

/// The name that the elevation prompt shows for vornalt.exe: its version
/// resource's description.
extern const std::string_view PROMPT_NAME;

/// What this vornalt asks Windows to start elevated: vornalt.exe, and its
/// words for the host `host` with `command_line`.
struct ElevatedStart {
  std::string program;
  std::string parameters;
};

/// The elevated start for the plan: in its folder with conhost, otherwise
/// in the current one. Nothing after the line that says why not.
std::optional<ElevatedStart> elevated_start(std::string_view host, std::string_view command_line,
                                            const LaunchRequest& request, const LaunchPlan& plan,
                                            System& system);

/// Starts the host of `start` as administrator (start_elevated), hands the
/// elevated start the variables that the host takes, and waits until it
/// reports the host's start. The host as a started process: the elevated
/// start stands in for it, living as long as it and ending with its status,
/// and the id is the host's. Nothing after the line that says why the start
/// failed; a refused prompt says so.
std::optional<StartedProcess> start_host_elevated(const ElevatedStart& start,
                                                  const LaunchRequest& request,
                                                  const LaunchPlan& plan, System& system);

/// Whether the argument list is an elevated start's: its second word is
/// the marker.
bool is_elevated_start(std::span<const std::string> args);

/// The elevated start's own run: it believes only a pipe that this same
/// program made, takes the variables from it, starts the host of its
/// command line in a new console, reports, and waits for the host. Returns
/// the host's exit status; 1 when it started nothing.
int run_elevated(System& system);

}  // namespace vornalt
