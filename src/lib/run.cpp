#include "run.h"

#include "argument_parser.h"
#include "cmd_limits.h"
#include "console_command_line.h"
#include "elevation.h"
#include "help.h"
#include "launch_plan.h"
#include "launcher.h"
#include "quoting.h"
#include "relay.h"
#include "relay_setup.h"
#include "starting_folder.h"

namespace vornalt {
namespace {

void print_summary(const LaunchRequest& request, const LaunchPlan& plan, System& system) {
  system.write(Stream::out, "Target:    " + std::string(name(request.target)) + "\n");
  system.write(Stream::out, "Shell:     " + std::string(name(request.shell)) + "\n");
  system.write(Stream::out, "Title:     " + request.title + "\n");
  if (request.folder) system.write(Stream::out, "Folder:    " + plan.folder + "\n");
  if (!request.variables.empty()) {
    // The names only: a value may be a secret.
    std::string names;
    for (const Variable& variable : request.variables) {
      if (!names.empty()) names += ", ";
      names += variable.name;
    }
    system.write(Stream::out, "Variables: " + names + "\n");
  }
  if (request.admin) {
    system.write(Stream::out, plan.start == HostStart::elevated
                                  ? "Elevation: asked for\n"
                                  : "Elevation: none needed, already elevated\n");
  }
  system.write(Stream::out, "Arguments: " + quote_arguments(request.words, request.shell) + "\n");
}

// Everything that must hold before anything starts, and what the plan
// finds out before the start; false after the line that says why not.
bool prepare(const LaunchRequest& request, LaunchPlan& plan, System& system) {
  if (const std::optional<std::string> refusal = cmd_refusal(request)) {
    system.write(Stream::err, "Error: " + *refusal + "\n");
    return false;
  }
  if (request.folder && !use_folder(*request.folder, plan.folder, system)) return false;
  return prepare_pipes(request, plan, system);
}

int run_launch(const LaunchRequest& request, System& system) {
  LaunchPlan plan = plan_launch(request, request.admin && system.is_elevated());
  if (!prepare(request, plan, system)) return 1;
  if (!request.quiet) print_summary(request, plan, system);
  const std::string command_line = compose_command_line(request, plan);
  const LaunchOutcome outcome = launch_process(command_line, request, plan, system);
  if (!outcome.started || outcome.relay_failed) return 1;
  if (!request.exit_code || request.dry_run) return 0;
  // All 32 bits of the shell's status; 1 when none came, after the line
  // that said why.
  return outcome.command_status ? static_cast<int>(*outcome.command_status) : 1;
}

}  // namespace

int run(std::span<const std::string> args, System& system) {
  if (is_relay(args)) return run_relay(system);
  if (is_elevated_start(args)) return run_elevated(system);
  const ParseOutcome outcome = parse_arguments(args);
  if (const auto* launch = std::get_if<Launch>(&outcome)) {
    return run_launch(launch->request, system);
  }
  if (const auto* error = std::get_if<UsageError>(&outcome)) {
    system.write(Stream::err, "Error: " + error->message + "\n\n");
    print_help(system);
    return 1;
  }
  if (std::holds_alternative<Version>(outcome)) {
    system.write(Stream::out, VERSION_LINE);
    return 0;
  }
  print_help(system);
  return 0;
}

}  // namespace vornalt
