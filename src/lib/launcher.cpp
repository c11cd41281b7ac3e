#include "launcher.h"

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
std::optional<std::uint32_t> follow_host(const ProcessInformation& info, Handle pipe,
                                         const LaunchRequest& request, System& system) {
  if (!request.quiet) {
    system.write(Stream::out, "Launched '" + request.target +
                                  "' with PID: " + std::to_string(info.process_id) + "\n");
  }
  std::optional<std::uint32_t> status;
  if (pipe != nullptr) status = watch_relay(pipe, info.process, request, system);
  // With wt, the relay's report was the wait.
  if (request.wait && (pipe == nullptr || request.target == "conhost")) {
    wait_for_host(info.process, system);
  }
  // A handle that will not close changes nothing for the user.
  (void)system.close_handle(info.process);
  (void)system.close_handle(info.thread);
  return status;
}

}  // namespace

LaunchOutcome launch_process(std::string_view command_line, const LaunchRequest& request,
                             System& system, const Placement& placement) {
  std::u16string buffer = to_utf16(command_line);
  buffer += u'\0';
  if (!request.quiet) system.write(Stream::out, "cmdline:   " + std::string(command_line) + "\n");
  if (request.dry_run) return {.started = true};

  std::string host;
  if (!find_host(request, system, host)) return {};
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
  // wt.exe is told its folder on its line.
  StartOptions options;
  if (request.target == "conhost") options.folder = placement.folder;
  const Result started = system.create_process(host, buffer, options, info);
  LaunchOutcome outcome{.started = started.ok()};
  if (started.ok()) {
    outcome.command_status = follow_host(info, pipe, request, system);
  } else {
    print_failure(started.error(), request, system);
  }
  if (pipe != nullptr) (void)system.close_handle(pipe);
  return outcome;
}

}  // namespace vornalt
