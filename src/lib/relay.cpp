#include "relay.h"

#include "host_search.h"
#include "relay_protocol.h"
#include "wtf8.h"

namespace vornalt {
namespace {

void report(System& system, Handle pipe, std::string_view message) {
  // A first vornalt that has gone changes nothing for the command.
  if (pipe != nullptr) (void)system.write_pipe(pipe, message);
}

void close(System& system, Handle& handle) {
  if (handle != nullptr) (void)system.close_handle(handle);
  handle = nullptr;
}

}  // namespace

bool is_relay(std::span<const std::string> args) {
  return args.size() >= 2 && args[1] == RELAY_MARKER;
}

int run_relay(System& system) {
  const std::optional<RelayLine> line = read_relay_line(system.process_command_line());
  if (!line) {
    system.write(Stream::err, "Error: The relay was given no command\n");
    return 1;
  }
  Handle pipe = nullptr;
  if (is_relay_id(line->id) && !system.open_pipe(relay_pipe_name(line->id), pipe).ok()) {
    pipe = nullptr;
  }
  system.keep_console_events_for_child();

  std::string shell;
  std::u16string buffer = to_utf16(line->shell_line);
  buffer += u'\0';
  ProcessInformation info;
  Result started = find_shell_program(line->shell_program, system, shell);
  if (started.ok()) started = system.create_process(shell, buffer, {.new_console = false}, info);
  if (!started.ok()) {
    const Error error = started.error();
    report(system, pipe, failure_message(error.code()));
    close(system, pipe);
    print_error("Failed to start '" + line->shell_program + "'", error, system);
    system.report_done();
    return 1;
  }
  report(system, pipe, pid_message(info.process_id));
  std::uint32_t status = 1;
  const bool known =
      system.wait_for_single_object(info.process, INFINITE_TIMEOUT) == WAIT_EVENT_OBJECT_0 &&
      system.exit_code(info.process, status).ok();
  // Without a status the report ends short, and the first vornalt says so.
  if (known) report(system, pipe, status_message(status));
  close(system, pipe);
  close(system, info.process);
  close(system, info.thread);
  system.report_done();
  return static_cast<int>(status);
}

}  // namespace vornalt
