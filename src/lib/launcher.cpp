#include "launcher.h"

#include <memory>

#include "elevation.h"
#include "environment.h"
#include "host_search.h"
#include "quoting.h"
#include "relay_protocol.h"
#include "relay_watch.h"
#include "wtf8.h"

namespace vornalt {
namespace {

void print_failure(const Error& error, const LaunchRequest& request, System& system) {
  print_error(launch_failure(request.target), error, system);
}

// The host is named by the line's first word; the system's own search
// would look in the current folder too.
std::optional<std::string> find_host(const LaunchRequest& request, System& system) {
  const std::string program = program_name(request.target);
  Expected<std::string> found = find_host_program(program, system);
  if (found.ok()) return std::move(*found);
  print_failure(found.error(), request, system);
  if (is_not_found(found.error())) {
    system.write(Stream::err, where_the_host_was_looked_for(program) + "\n");
  }
  return std::nullopt;
}

void wait_for_host(Handle process, System& system) {
  const WAIT_EVENT event = system.wait_for_single_object(process, INFINITE_TIMEOUT);
  if (event != WAIT_EVENT_OBJECT_0) {
    system.write(Stream::err, "Warning: WaitForSingleObject returned unexpected status: " +
                                  to_string(event) + "\n");
  }
}

// The host by the plan's way of starting it: conhost.exe hands its folder
// and its environment on to the shell. Nothing after the line that says
// why the start failed.
std::optional<StartedProcess> start_host(const std::string& host, std::string_view command_line,
                                         const LaunchRequest& request, const LaunchPlan& plan,
                                         System& system) {
  if (plan.start == HostStart::elevated) {
    const std::optional<ElevatedStart> elevated =
        elevated_start(host, command_line, request, plan, system);
    return elevated ? start_host_elevated(*elevated, request, plan, system) : std::nullopt;
  }
  std::u16string buffer = to_utf16(command_line);
  buffer += u'\0';
  Expected<StartedProcess> started = start_in_new_console(
      host, buffer, plan.host_takes_folder ? std::string_view(plan.folder) : std::string_view(),
      host_variables(request, plan), system);
  if (started.ok()) return std::move(*started);
  print_failure(started.error(), request, system);
  return std::nullopt;
}

// A dry run of an elevated start: what the prompt would name, and the line
// it would start elevated.
bool print_elevated_start(const std::string& host, std::string_view command_line,
                          const LaunchRequest& request, const LaunchPlan& plan, System& system) {
  const std::optional<ElevatedStart> elevated =
      elevated_start(host, command_line, request, plan, system);
  if (elevated && !request.quiet) {
    system.write(Stream::out, "Elevate:   " + quote_for_argv(elevated->program) + " " +
                                  elevated->parameters + "\n");
    system.write(Stream::out, "Prompt:    " + std::string(PROMPT_NAME) + "\n");
  }
  return elevated.has_value();
}

// After the start: the launch line, the relay's report when there is a
// relay, the wait when the plan asks for it; then the host's handles are
// closed, the process's first.
LaunchOutcome follow_host(StartedProcess host, PipeServer* pipe, const LaunchRequest& request,
                          const LaunchPlan& plan, System& system) {
  if (!request.quiet) {
    system.write(Stream::out, "Launched '" + std::string(name(request.target)) +
                                  "' with PID: " + std::to_string(host.id) + "\n");
  }
  RelayOutcome relay;
  if (pipe != nullptr) relay = watch_relay(*pipe, host.process.get(), request, plan, system);
  if (plan.waits_for_host) wait_for_host(host.process.get(), system);
  return {.started = true, .command_status = relay.status, .relay_failed = relay.failed};
}

}  // namespace

Expected<StartedProcess> start_in_new_console(std::string_view host, std::u16string& command_line,
                                              std::string_view folder,
                                              std::span<const Variable> variables, System& system) {
  std::u16string environment;
  if (!variables.empty()) {
    const Expected<std::vector<std::string>> strings = system.environment_strings();
    if (!strings.ok()) return strings.error();
    environment = environment_block(*strings, variables);
  }
  return system.create_process(host, command_line, {.folder = folder, .environment = environment});
}

LaunchOutcome launch_process(std::string_view command_line, const LaunchRequest& request,
                             const LaunchPlan& plan, System& system) {
  if (!request.quiet) system.write(Stream::out, "cmdline:   " + std::string(command_line) + "\n");
  const std::optional<std::string> host = find_host(request, system);
  if (!host) return {};
  // A dry run looks for the host as a run would, so that it fails as one.
  if (request.dry_run) {
    if (!request.quiet) system.write(Stream::out, "Host:      " + *host + "\n");
    const bool ready = plan.start != HostStart::elevated ||
                       print_elevated_start(*host, command_line, request, plan, system);
    return {.started = ready};
  }
  // The pipe waits before the host starts, so that the relay finds it.
  std::unique_ptr<PipeServer> pipe;
  if (plan.relay && plan.relay->pipe) {
    Expected<std::unique_ptr<PipeServer>> created =
        system.create_pipe(relay_pipe_name(plan.pipe_id));
    if (!created.ok()) {
      print_failure(created.error(), request, system);
      return {};
    }
    pipe = std::move(*created);
  }
  std::optional<StartedProcess> started = start_host(*host, command_line, request, plan, system);
  if (!started) return {};
  return follow_host(std::move(*started), pipe.get(), request, plan, system);
}

}  // namespace vornalt
