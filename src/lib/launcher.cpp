#include "launcher.h"

#include "environment.h"
#include "host_search.h"
#include "relay_protocol.h"
#include "relay_watch.h"
#include "wtf8.h"

namespace vornalt {
namespace {

void print_failure(const Error& error, const LaunchRequest& request, System& system) {
  print_error("Failed to launch '" + request.target + "'", error, system);
}

// The host is named by the line's first word; the system's own search
// would look in the current folder too.
bool find_host(const LaunchRequest& request, System& system, std::string& host) {
  const Result found = find_host_program(request.target + ".exe", system, host);
  if (found.ok()) return true;
  print_failure(found.error(), request, system);
  if (is_not_found(found.error())) {
    system.write(Stream::err, where_the_host_was_looked_for(request.target + ".exe") + "\n");
  }
  return false;
}

void wait_for_host(Handle process, System& system) {
  const WAIT_EVENT event = system.wait_for_single_object(process, INFINITE_TIMEOUT);
  if (event != WAIT_EVENT_OBJECT_0) {
    system.write(Stream::err, "Warning: WaitForSingleObject returned unexpected status: " +
                                  to_string(event) + "\n");
  }
}

// After the start: the launch line, the relay's report when there is a
// relay, the wait when asked; then the host's handles are closed.
RelayOutcome follow_host(const ProcessInformation& info, Handle pipe, const LaunchRequest& request,
                         System& system) {
  if (!request.quiet) {
    system.write(Stream::out, "Launched '" + request.target +
                                  "' with PID: " + std::to_string(info.process_id) + "\n");
  }
  RelayOutcome relay;
  if (pipe != nullptr) relay = watch_relay(pipe, info.process, request, system);
  // With wt, the relay's report was the wait.
  if (request.wait && (pipe == nullptr || request.target == "conhost")) {
    wait_for_host(info.process, system);
  }
  // A handle that will not close changes nothing for the user.
  (void)system.close_handle(info.process);
  (void)system.close_handle(info.thread);
  return relay;
}

// wt.exe is told its folder on its line; conhost.exe hands its folder and
// its environment on to the shell.
Result start_host(const std::string& host, std::u16string& line, const LaunchRequest& request,
                  const Placement& placement, System& system, ProcessInformation& info) {
  StartOptions options;
  std::u16string environment;
  if (request.target == "conhost") {
    options.folder = placement.folder;
    if (!request.variables.empty()) {
      std::vector<std::string> strings;
      const Result read = system.environment_strings(strings);
      if (!read.ok()) return read;
      environment = environment_block(strings, request.variables);
      options.environment = environment;
    }
  }
  return system.create_process(host, line, options, info);
}

}  // namespace

LaunchOutcome launch_process(std::string_view command_line, const LaunchRequest& request,
                             System& system, const Placement& placement) {
  std::u16string buffer = to_utf16(command_line);
  buffer += u'\0';
  if (!request.quiet) system.write(Stream::out, "cmdline:   " + std::string(command_line) + "\n");
  std::string host;
  if (!find_host(request, system, host)) return {};
  // A dry run looks for the host as a run would, so that it fails as one.
  if (request.dry_run) {
    if (!request.quiet) system.write(Stream::out, "Host:      " + host + "\n");
    return {.started = true};
  }
  // The pipe waits before the host starts, so that the relay finds it.
  Handle pipe = nullptr;
  if (!placement.relay_id.empty()) {
    const Result created = system.create_pipe(relay_pipe_name(placement.relay_id), pipe);
    if (!created.ok()) {
      print_failure(created.error(), request, system);
      return {};
    }
  }
  ProcessInformation info;
  const Result started = start_host(host, buffer, request, placement, system, info);
  LaunchOutcome outcome{.started = started.ok()};
  if (started.ok()) {
    const RelayOutcome relay = follow_host(info, pipe, request, system);
    outcome.command_status = relay.status;
    outcome.relay_failed = relay.failed;
  } else {
    print_failure(started.error(), request, system);
  }
  if (pipe != nullptr) (void)system.close_handle(pipe);
  return outcome;
}

}  // namespace vornalt
