// Everything decided about one launch, once, from the request: whether a
// relay runs between the host and the shell and what it is told, whether a
// pipe joins it to this vornalt and what goes over it, what the host is
// given, what this vornalt waits for, and how the host is started. The
// composer, the launcher and the watch of the relay read it; none of them
// decides again.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "launch_request.h"

namespace vornalt {

/// How the host is started.
enum class HostStart {
  create_process,  // CreateProcessW, as this process's user
  elevated,        // by this program as administrator, through the prompt
};

/// The relay: a second vornalt.exe in the new console, which starts the
/// shell, waits for it and reports.
struct RelayPlan {
  /// A pipe joins it to this vornalt (otherwise its id word is "-").
  bool pipe = false;
  /// -k: it waits for a key before the window closes (--keep).
  bool keep = false;
  /// The variables reach it over the pipe (--variables), and the command
  /// does not run without them: wt.exe has no way to pass them, and what
  /// environment a Windows Terminal tab gets depends on its version.
  bool takes_variables = false;
  /// This vornalt waits for the command's exit status through it: for -e,
  /// and for -w where the host does not wait for the command.
  bool reports_status = false;
};

struct LaunchPlan {
  std::optional<RelayPlan> relay;
  /// wt.exe hands the command to Windows Terminal and ends at once;
  /// conhost.exe ends when the last program in its console has.
  bool host_ends_at_once = false;
  /// This vornalt waits for the host process to end (-w with conhost).
  bool waits_for_host = false;
  /// The host is started in the folder of -d, and with the variables in its
  /// environment: conhost.exe hands both on to the shell. wt.exe gets its
  /// folder on its line.
  bool host_takes_folder = false;
  bool host_takes_variables = false;
  HostStart start = HostStart::create_process;

  // Found before the start.
  /// The folder of -d, made absolute; empty: the current folder.
  std::string folder;
  /// vornalt.exe, named so that the host hands it on unchanged.
  std::string relay_program;
  /// The id that names the pipes: the relay's, and the elevated start's.
  std::string pipe_id;

  /// Whether the pipes need an id.
  bool needs_pipe_id() const { return (relay && relay->pipe) || start == HostStart::elevated; }
};

/// The variables that the host is started with: the request's, when the
/// plan gives them to the host; otherwise none.
inline std::span<const Variable> host_variables(const LaunchRequest& request,
                                                const LaunchPlan& plan) {
  return plan.host_takes_variables ? std::span<const Variable>(request.variables)
                                   : std::span<const Variable>();
}

/// The plan for `request`, in a process that is `elevated` already or not;
/// what it finds before the start stays empty.
LaunchPlan plan_launch(const LaunchRequest& request, bool elevated);

}  // namespace vornalt
