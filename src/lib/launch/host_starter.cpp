#include "launch/host_starter.h"

namespace vornalt {

bool make_pipe(std::string_view name, std::unique_ptr<PipeServer>& pipe, const LaunchPlan& plan,
               Pipes& pipes, Output& output) {
  Expected<std::unique_ptr<PipeServer>> made = pipes.create_pipe(name);
  if (!made.ok()) {
    output.failure(launch_failure(plan.target), made.error());
    return false;
  }
  pipe = std::move(*made);
  return true;
}

}  // namespace vornalt
