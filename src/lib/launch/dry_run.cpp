#include "launch/dry_run.h"

#include "compose/quoting.h"
#include "launch/prompted_start.h"

namespace vornalt {

Checked<StartedHost> DryRun::start(std::string_view host, std::string_view command_line) {
  output_.progress("Host:      " + std::string(host));
  if (plan_.startup_window != StartupWindow{}) {
    output_.progress("Startup:   " + describe(plan_.startup_window));
  }
  if (plan_.window_options_need_a_new_window) {
    output_.progress("Note:      Windows Terminal applies the window options only if the window '" +
                     plan_.wt_window + "' is new");
  }
  if (plan_.split_in_an_elevated_window) {
    output_.progress(
        "Note:      Windows Terminal opens an elevated pane in its latest elevated window, or in "
        "a new one after a tab of the default profile");
  }
  if (plan_.admin != Admin::prompt) return StartedHost{};
  const Checked<ElevatedCommand> command = elevated_command(host, command_line, plan_, paths_);
  if (!command.ok()) return command.error();
  output_.progress("Elevate:   " + quote_for_argv(command->program) + " " + command->parameters);
  output_.progress("Prompt:    " + std::string(PROMPT_NAME));
  return StartedHost{};
}

}  // namespace vornalt
