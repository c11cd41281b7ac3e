#include "launch/launcher.h"

#include <memory>

#include "relay/relay_watch.h"

namespace vornalt {
namespace {

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
                          Processes& processes) {
  const StartedProcess process = std::move(*host.process);
  output.progress("Launched '" + std::string(name(plan.target)) +
                  "' with PID: " + std::to_string(process.id));
  RelayOutcome relay;
  if (host.relay_pipe) {
    relay = watch_relay(*host.relay_pipe, process.process.get(), plan, output, processes);
  }
  if (plan.waits_for_host) wait_for_host(process.process.get(), output, processes);
  return {.started = true, .command_status = relay.status, .relay_failed = relay.failed};
}

}  // namespace

LaunchOutcome launch(const LaunchPlan& plan, std::string_view host, std::string_view command_line,
                     HostStarter& starter, Output& output, Processes& processes) {
  Checked<StartedHost> started = starter.start(host, command_line);
  if (!started.ok()) {
    output.report(started.error());
    return {};
  }
  if (!started->process) return {.started = true};
  return follow_host(std::move(*started), plan, output, processes);
}

int exit_status(const LaunchPlan& plan, const LaunchOutcome& outcome) {
  if (!outcome.started || outcome.relay_failed) return 1;
  if (!plan.ends_with_command_status) return 0;
  // All 32 bits of the shell's status; 1 when none came, after the line
  // that said why.
  return outcome.command_status ? static_cast<int>(*outcome.command_status) : 1;
}

}  // namespace vornalt
