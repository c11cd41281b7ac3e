#include "run.h"

#include "cli/argument_parser.h"
#include "cli/help.h"
#include "compose/cmd_limits.h"
#include "compose/console_command_line.h"
#include "compose/quoting.h"
#include "elevated/elevated_start.h"
#include "launch/launch_plan.h"
#include "launch/launcher.h"
#include "launch/relay_setup.h"
#include "launch/starting_folder.h"
#include "pipe/protocol.h"
#include "relay/relay.h"
#include "relay/relay_message.h"

namespace vornalt {
namespace {

std::string_view admin_line(Admin admin) {
  return admin == Admin::prompt ? "Elevation: asked for"
                                : "Elevation: none needed, already elevated";
}

void print_summary(const LaunchRequest& request, const LaunchPlan& plan, Output& output) {
  output.progress("Target:    " + std::string(name(request.target)));
  output.progress("Shell:     " + std::string(name(request.shell)));
  output.progress("Title:     " + request.title);
  if (plan.window_layout.asked()) output.progress("Window:    " + describe(plan.window_layout));
  if (request.folder) output.progress("Folder:    " + plan.folder);
  if (!request.variables.empty()) {
    // The names only: a value may be a secret.
    std::string names;
    for (const Variable& variable : request.variables) {
      if (!names.empty()) names += ", ";
      names += variable.name;
    }
    output.progress("Variables: " + names);
  }
  if (plan.admin != Admin::not_asked) output.progress(admin_line(plan.admin));
  output.progress("Arguments: " + quote_arguments(request.words, request.shell));
}

// What must hold before anything starts, and what the plan finds out before
// the start; false after the line that says why not.
bool prepare(const LaunchRequest& request, LaunchPlan& plan, Output& output, const System& system) {
  if (const std::optional<std::string> refusal = cmd_refusal(request)) {
    output.problem("Error: " + *refusal);
    return false;
  }
  if (request.folder && !use_folder(*request.folder, plan.folder, output, system.paths)) {
    return false;
  }
  return name_relay_and_pipes(plan, output, system);
}

int run_launch(const LaunchRequest& request, const System& system) {
  LaunchPlan plan = plan_launch(request, system.elevation);
  Output output(system.console, system.messages, plan.shows_progress);
  if (!prepare(request, plan, output, system)) return 1;
  print_summary(request, plan, output);
  const std::string command_line = compose_command_line(request, plan);
  return exit_status(plan, launch(plan, command_line, output, system));
}

}  // namespace

Role role_of(std::span<const std::string> args) {
  if (args.size() < 2) return Role::launch;
  if (args[1] == RELAY_MARKER) return Role::relay;
  if (args[1] == ELEVATED_MARKER) return Role::elevated_start;
  return Role::launch;
}

int run(std::span<const std::string> args, const System& system) {
  switch (role_of(args)) {
    case Role::relay:
      return run_relay(system);
    case Role::elevated_start:
      return run_elevated_start(system);
    case Role::launch:
      break;
  }
  const ParseOutcome outcome = parse_arguments(args);
  if (const auto* launch = std::get_if<Launch>(&outcome)) {
    return run_launch(launch->request, system);
  }
  if (const auto* error = std::get_if<UsageError>(&outcome)) {
    system.console.write(Stream::err, "Error: " + error->message + "\n\n");
    print_help(system.console);
    return 1;
  }
  if (std::holds_alternative<Version>(outcome)) {
    system.console.write(Stream::out, VERSION_LINE);
    return 0;
  }
  print_help(system.console);
  return 0;
}

}  // namespace vornalt
