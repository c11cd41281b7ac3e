#include "elevated/elevated_start.h"

#include "elevated/elevated_message.h"
#include "launch/plain_start.h"
#include "pipe/protocol.h"
#include "pipe/starter_pipe.h"

namespace vornalt {

int run_elevated_start(Processes& processes, Pipes& pipes, Environment& environment) {
  const std::optional<ElevatedMessage> message =
      read_elevated_line(processes.process_command_line());
  if (!message || !is_pipe_id(message->pipe_id)) return 1;
  StarterConnection starter = connect_to_starter(elevation_pipe_name(message->pipe_id), pipes);
  if (starter.link != StarterLink::connected) return 1;
  const Expected<StartedProcess> host = start_in_new_console(
      message->host, message->host_line,
      {.folder = message->folder, .variables = starter.variables, .window = message->window},
      processes, environment);
  (void)starter.pipe->write(host.ok() ? pid_message(host->id)
                                      : failure_message(host.error().code()));
  starter.pipe.reset();
  if (!host.ok()) return 1;
  // It stands in for the host until the host ends.
  if (processes.wait_for_single_object(host->process.get(), INFINITE_TIMEOUT) !=
      WAIT_EVENT_OBJECT_0) {
    return 1;
  }
  const Expected<std::uint32_t> status = processes.exit_code(host->process.get());
  return status.ok() ? static_cast<int>(*status) : 1;
}

}  // namespace vornalt
