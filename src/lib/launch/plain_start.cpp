#include "launch/plain_start.h"

#include "text/wtf8.h"

namespace vornalt {

Expected<StartedProcess> start_in_new_console(std::string_view host, std::string_view command_line,
                                              const ConsoleStart& start, Processes& processes,
                                              Environment& environment) {
  std::u16string block;
  if (!start.variables.empty()) {
    const Expected<std::vector<std::string>> strings = environment.environment_strings();
    if (!strings.ok()) return strings.error();
    block = environment_block(*strings, start.variables);
  }
  std::u16string line = to_utf16(command_line);
  line += u'\0';
  return processes.create_process(
      host, line, {.folder = start.folder, .environment = block, .window = start.window});
}

Checked<StartedHost> PlainStart::start(std::string_view host, std::string_view command_line) {
  Checked<std::unique_ptr<PipeServer>> relay_pipe = make_relay_pipe(plan_, pipes_);
  if (!relay_pipe.ok()) return relay_pipe.error();
  Expected<StartedProcess> process = start_in_new_console(host, command_line,
                                                          {.folder = plan_.host_folder(),
                                                           .variables = plan_.host_variables,
                                                           .window = plan_.startup_window},
                                                          processes_, environment_);
  if (!process.ok()) return launch_failed(plan_.target, process.error());
  return StartedHost{.process = std::move(*process), .relay_pipe = std::move(*relay_pipe)};
}

}  // namespace vornalt
