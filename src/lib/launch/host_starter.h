// The ways of starting the host, one of which the plan chooses: a plain
// start in a new console (plain_start.h), a start through the elevation
// prompt (prompted_start.h), and the dry run, which starts nothing
// (dry_run.h).
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "launch/launch_plan.h"
#include "output.h"
#include "system/pipes.h"
#include "system/processes.h"

namespace vornalt {

/// What a starter started.
struct StartedHost {
  /// The host's process, or the process that stands in for it (living as
  /// long as the host, ending with its status, and reporting the host's
  /// id); none in a dry run.
  std::optional<StartedProcess> process;
  /// The relay's pipe, made before the host started so that the relay finds
  /// it; null where the plan has none.
  std::unique_ptr<PipeServer> relay_pipe;
};

class HostStarter {
 public:
  virtual ~HostStarter() = default;

  /// Starts `host` (its full path) with `command_line`; or why it could not.
  virtual Checked<StartedHost> start(std::string_view host, std::string_view command_line) = 0;
};

/// "Failed to launch 'wt': Error { … }": why the host of `target` did not
/// start, when a Windows call failed.
inline Failure launch_failed(Target target, const Error& error) {
  return Failure{launch_failure(target), error};
}

/// The pipe `name` for a run that starts `target`'s host, made.
Checked<std::unique_ptr<PipeServer>> make_pipe(std::string_view name, Target target, Pipes& pipes);

/// The relay's pipe, made before the host starts so that the relay finds it,
/// when the plan has one; null otherwise.
Checked<std::unique_ptr<PipeServer>> make_relay_pipe(const LaunchPlan& plan, Pipes& pipes);

}  // namespace vornalt
