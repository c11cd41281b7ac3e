#include "launch/host_starter.h"

#include "pipe/protocol.h"

namespace vornalt {

Checked<std::unique_ptr<PipeServer>> make_pipe(std::string_view name, Target target, Pipes& pipes) {
  Expected<std::unique_ptr<PipeServer>> made = pipes.create_pipe(name);
  if (!made.ok()) return launch_failed(target, made.error());
  return std::move(*made);
}

Checked<std::unique_ptr<PipeServer>> make_relay_pipe(const LaunchPlan& plan, Pipes& pipes) {
  if (!plan.has_relay_pipe()) return std::unique_ptr<PipeServer>();
  return make_pipe(relay_pipe_name(plan.pipe_id), plan.target, pipes);
}

}  // namespace vornalt
