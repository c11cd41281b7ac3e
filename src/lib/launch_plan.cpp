#include "launch_plan.h"

namespace vornalt {
namespace {

// An elevated process starts an elevated host as it is.
Admin admin_for(const LaunchRequest& request, bool already_elevated) {
  if (!request.admin) return Admin::not_asked;
  return already_elevated ? Admin::already_elevated : Admin::prompt;
}

HostStart start_for(const LaunchRequest& request, Admin admin) {
  if (request.dry_run) return HostStart::dry_run;
  return admin == Admin::prompt ? HostStart::prompted : HostStart::plain;
}

// The relay learns the command's end for -e and for wt's -w, and carries
// the variables that wt.exe cannot; -k alone needs it in the window, but
// nothing from it.
std::optional<RelayPlan> relay_for(const LaunchRequest& request, bool host_ends_at_once) {
  RelayPlan relay{
      .keep = request.keep,
      .reports_status = request.exit_code || (request.wait && host_ends_at_once),
  };
  if (host_ends_at_once) relay.variables = request.variables;
  relay.pipe = relay.reports_status || relay.takes_variables();
  if (!relay.pipe && !relay.keep) return std::nullopt;
  return relay;
}

}  // namespace

LaunchPlan plan_launch(const LaunchRequest& request, bool already_elevated) {
  LaunchPlan plan{.target = request.target, .shell = request.shell};
  plan.admin = admin_for(request, already_elevated);
  plan.start = start_for(request, plan.admin);
  plan.shows_progress = !request.quiet;
  plan.ends_with_command_status = request.exit_code && !request.dry_run;
  const bool conhost = request.target == Target::conhost;
  plan.host_ends_at_once = !conhost;
  // wt.exe ends at once: with wt, the relay's report is the wait.
  plan.waits_for_host = request.wait && conhost;
  plan.host_takes_folder = conhost;
  if (conhost) plan.host_variables = request.variables;
  plan.relay = relay_for(request, plan.host_ends_at_once);
  return plan;
}

LaunchPlan plan_launch(const LaunchRequest& request, Elevation& elevation) {
  return plan_launch(request, request.admin && elevation.is_elevated());
}

}  // namespace vornalt
