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

  /// Starts `host` (its full path) with `command_line`; nothing after the
  /// line that says why it could not.
  virtual std::optional<StartedHost> start(std::string_view host,
                                           std::string_view command_line) = 0;
};

/// Makes the pipe `name` for the plan's run, in `pipe`; false after the line
/// that says why it could not be made.
bool make_pipe(std::string_view name, std::unique_ptr<PipeServer>& pipe, const LaunchPlan& plan,
               Pipes& pipes, Output& output);

}  // namespace vornalt
