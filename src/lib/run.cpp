#include "run.h"

#include "cli/argument_parser.h"
#include "cli/help.h"
#include "compose/cmd_limits.h"
#include "compose/console_command_line.h"
#include "compose/quoting.h"
#include "elevated/elevated_message.h"
#include "elevated/elevated_start.h"
#include "launch/dry_run.h"
#include "launch/host_search.h"
#include "launch/launch_plan.h"
#include "launch/launcher.h"
#include "launch/plain_start.h"
#include "launch/prompted_start.h"
#include "launch/relay_setup.h"
#include "launch/starting_folder.h"
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
  if (plan.wt_tab.split) output.progress("Pane:      " + describe_split(plan.wt_tab));
  if (plan.wt_tab.profile || plan.wt_tab.color) {
    output.progress("Profile:   " + describe_profile(plan.wt_tab));
  }
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
// the start; or why it cannot.
std::optional<Failure> prepare(const LaunchRequest& request, LaunchPlan& plan,
                               const System& system) {
  if (const std::optional<std::string> refusal = cmd_refusal(request)) {
    return Failure{"Error: " + *refusal};
  }
  if (request.folder) {
    Checked<std::string> folder = use_folder(*request.folder, system.paths);
    if (!folder.ok()) return folder.error();
    plan.folder = std::move(*folder);
  }
  return name_relay_and_pipes(plan, system.paths, system.pipes, system.environment);
}

// The starter that the plan asks for, with the seams it uses.
std::unique_ptr<HostStarter> starter_for(const LaunchPlan& plan, Output& output,
                                         const System& system) {
  if (plan.dry_run) return std::make_unique<DryRun>(plan, output, system.paths);
  if (plan.admin == Admin::prompt) {
    return std::make_unique<PromptedStart>(plan, system.processes, system.pipes, system.paths,
                                           system.elevation);
  }
  return std::make_unique<PlainStart>(plan, system.processes, system.pipes, system.environment);
}

int run_launch(const LaunchRequest& request, const System& system) {
  LaunchPlan plan = plan_launch(request, system.elevation);
  Output output(system.console, system.messages, plan.shows_progress);
  if (const std::optional<Failure> failure = prepare(request, plan, system)) {
    output.report(*failure);
    return 1;
  }
  print_summary(request, plan, output);
  const std::string command_line = compose_command_line(request, plan);
  output.progress("cmdline:   " + command_line);
  // A dry run looks for the host as a run would, so that it fails as one.
  const Checked<std::string> host = find_host(plan.target, system.paths, system.environment);
  if (!host.ok()) {
    output.report(host.error());
    return 1;
  }
  const LaunchOutcome outcome = launch(
      plan, *host, command_line, *starter_for(plan, output, system), output, system.processes);
  return exit_status(plan, outcome);
}

}  // namespace

Role role_of(std::span<const std::string> args) {
  if (is_relay_command(args)) return Role::relay;
  if (is_elevated_command(args)) return Role::elevated_start;
  return Role::launch;
}

int run(std::span<const std::string> args, const System& system) {
  switch (role_of(args)) {
    case Role::relay: {
      Output output(system.console, system.messages);
      return run_relay(output, system.processes, system.pipes, system.paths, system.environment);
    }
    case Role::elevated_start:
      return run_elevated_start(system.processes, system.pipes, system.environment);
    case Role::launch:
      break;
  }
  const ParseOutcome outcome = parse_arguments(args);
  if (const auto* launch = std::get_if<Launch>(&outcome)) {
    if (!launch->request.quiet) {
      for (const std::string& warning : launch->warnings) {
        system.console.write(Stream::err, warning + "\n");
      }
    }
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
