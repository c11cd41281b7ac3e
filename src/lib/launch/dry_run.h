// The dry run: what a run would start, printed; nothing started.
#pragma once

#include "launch/host_starter.h"
#include "system/paths.h"

namespace vornalt {

/// Prints the host that a run would start (unless quiet), what its
/// STARTUPINFO would say of its window, whether Terminal's window options
/// depend on the window being new, and, when the plan goes through the
/// elevation prompt, the line that would start elevated and the name that the
/// prompt would show. It fails only where a run would.
class DryRun final : public HostStarter {
 public:
  DryRun(const LaunchPlan& plan, Output& output, Paths& paths)
      : plan_(plan), output_(output), paths_(paths) {}

  Checked<StartedHost> start(std::string_view host, std::string_view command_line) override;

 private:
  const LaunchPlan& plan_;
  Output& output_;
  Paths& paths_;
};

}  // namespace vornalt
