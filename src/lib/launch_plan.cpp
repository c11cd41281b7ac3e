#include "launch_plan.h"

namespace vornalt {

LaunchPlan plan_launch(const LaunchRequest& request, bool elevated) {
  LaunchPlan plan;
  // An elevated process starts an elevated host as it is.
  if (request.admin && !elevated) plan.start = HostStart::elevated;
  const bool conhost = request.target == Target::conhost;
  plan.host_ends_at_once = !conhost;
  plan.host_takes_folder = conhost;
  plan.host_takes_variables = conhost && !request.variables.empty();
  const RelayPlan relay{
      .keep = request.keep,
      .takes_variables = !conhost && !request.variables.empty(),
      .reports_status = request.exit_code || (request.wait && plan.host_ends_at_once),
  };
  // The relay learns the command's end for -e and for wt's -w, and carries
  // the variables that wt.exe cannot; -k alone needs it in the window, but
  // nothing from it.
  const bool pipe = relay.reports_status || relay.takes_variables;
  if (pipe || relay.keep) {
    plan.relay = relay;
    plan.relay->pipe = pipe;
  }
  // wt.exe ends at once: with wt, the relay's report is the wait.
  plan.waits_for_host = request.wait && !plan.host_ends_at_once;
  return plan;
}

}  // namespace vornalt
