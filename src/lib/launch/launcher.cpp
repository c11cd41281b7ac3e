#include "launch/launcher.h"

#include <memory>

#include "launch/dry_run.h"
#include "launch/host_search.h"
#include "launch/plain_start.h"
#include "launch/prompted_start.h"
#include "relay/relay_watch.h"

namespace vornalt {
namespace {

// The host is named by the line's first word; the system's own search
// would look in the current folder too.
std::optional<std::string> find_host(Target target, Output& output, const System& system) {
  Expected<std::string> found =
      find_host_program(program_name(target), system.paths, system.environment);
  if (found.ok()) return std::move(*found);
  output.failure(launch_failure(target), found.error());
  if (is_not_found(found.error())) output.problem(where_the_host_was_looked_for(target));
  return std::nullopt;
}

std::unique_ptr<HostStarter> starter_for(const LaunchPlan& plan, Output& output,
                                         const System& system) {
  switch (plan.start) {
    case HostStart::prompted:
      return std::make_unique<PromptedStart>(plan, output, system.processes, system.pipes,
                                             system.paths, system.elevation);
    case HostStart::dry_run:
      return std::make_unique<DryRun>(plan, output, system.paths);
    case HostStart::plain:
      break;
  }
  return std::make_unique<PlainStart>(plan, output, system.processes, system.pipes,
                                      system.environment);
}

void wait_for_host(Handle process, Output& output, Processes& processes) {
  const WAIT_EVENT event = processes.wait_for_single_object(process, INFINITE_TIMEOUT);
  if (event != WAIT_EVENT_OBJECT_0) {
    output.problem("Warning: WaitForSingleObject returned unexpected status: " + to_string(event));
  }
}

// After the start: the launch line, the relay's report when there is a
// relay pipe, the wait when the plan asks for it; then the host's handles
// are closed, the process's first.
LaunchOutcome follow_host(StartedHost host, const LaunchPlan& plan, Output& output,
                          const System& system) {
  const StartedProcess process = std::move(*host.process);
  output.progress("Launched '" + std::string(name(plan.target)) +
                  "' with PID: " + std::to_string(process.id));
  RelayOutcome relay;
  if (host.relay_pipe) {
    relay = watch_relay(*host.relay_pipe, process.process.get(), plan, output, system.processes);
  }
  if (plan.waits_for_host) wait_for_host(process.process.get(), output, system.processes);
  return {.started = true, .command_status = relay.status, .relay_failed = relay.failed};
}

}  // namespace

LaunchOutcome launch(const LaunchPlan& plan, std::string_view command_line, Output& output,
                     const System& system) {
  output.progress("cmdline:   " + std::string(command_line));
  // A dry run looks for the host as a run would, so that it fails as one.
  const std::optional<std::string> host = find_host(plan.target, output, system);
  if (!host) return {};
  std::optional<StartedHost> started =
      starter_for(plan, output, system)->start(*host, command_line);
  if (!started) return {};
  if (!started->process) return {.started = true};
  return follow_host(std::move(*started), plan, output, system);
}

int exit_status(const LaunchPlan& plan, const LaunchOutcome& outcome) {
  if (!outcome.started || outcome.relay_failed) return 1;
  if (!plan.ends_with_command_status) return 0;
  // All 32 bits of the shell's status; 1 when none came, after the line
  // that said why.
  return outcome.command_status ? static_cast<int>(*outcome.command_status) : 1;
}

}  // namespace vornalt
