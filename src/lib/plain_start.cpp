#include "plain_start.h"

#include "relay_protocol.h"
#include "wtf8.h"

namespace vornalt {

Expected<StartedProcess> start_in_new_console(std::string_view host, std::string_view command_line,
                                              std::string_view folder,
                                              std::span<const Variable> variables,
                                              Processes& processes, Environment& environment) {
  std::u16string block;
  if (!variables.empty()) {
    const Expected<std::vector<std::string>> strings = environment.environment_strings();
    if (!strings.ok()) return strings.error();
    block = environment_block(*strings, variables);
  }
  std::u16string line = to_utf16(command_line);
  line += u'\0';
  return processes.create_process(host, line, {.folder = folder, .environment = block});
}

std::optional<StartedHost> PlainStart::start(std::string_view host, std::string_view command_line) {
  StartedHost started;
  if (plan_.has_relay_pipe() &&
      !make_pipe(relay_pipe_name(plan_.pipe_id), started.relay_pipe, plan_, pipes_, output_)) {
    return std::nullopt;
  }
  Expected<StartedProcess> process = start_in_new_console(
      host, command_line, plan_.host_folder(), plan_.host_variables, processes_, environment_);
  if (!process.ok()) {
    output_.failure(launch_failure(plan_.target), process.error());
    return std::nullopt;
  }
  started.process = std::move(*process);
  return started;
}

}  // namespace vornalt
