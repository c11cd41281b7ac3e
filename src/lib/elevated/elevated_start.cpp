#include "elevated/elevated_start.h"

#include "launch/plain_start.h"
#include "pipe/protocol.h"
#include "pipe/starter_pipe.h"
#include "relay/relay_message.h"

namespace vornalt {

int run_elevated_start(const System& system) {
  const std::optional<ElevatedLine> line =
      read_elevated_line(system.processes.process_command_line());
  if (!line || !is_pipe_id(line->id)) return 1;
  StarterConnection starter = connect_to_starter(elevation_pipe_name(line->id), system.pipes);
  if (starter.link != StarterLink::connected) return 1;
  const Expected<StartedProcess> host = start_in_new_console(
      line->host, line->host_line,
      {.folder = line->folder, .variables = starter.variables, .window = line->window},
      system.processes, system.environment);
  (void)starter.pipe->write(host.ok() ? pid_message(host->id)
                                      : failure_message(host.error().code()));
  starter.pipe.reset();
  if (!host.ok()) return 1;
  // It stands in for the host until the host ends.
  if (system.processes.wait_for_single_object(host->process.get(), INFINITE_TIMEOUT) !=
      WAIT_EVENT_OBJECT_0) {
    return 1;
  }
  const Expected<std::uint32_t> status = system.processes.exit_code(host->process.get());
  return status.ok() ? static_cast<int>(*status) : 1;
}

}  // namespace vornalt
