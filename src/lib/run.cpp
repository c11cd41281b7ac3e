#include "run.h"

#include "argument_parser.h"
#include "cmd_limits.h"
#include "console_command_line.h"
#include "help.h"
#include "launcher.h"
#include "relay.h"
#include "relay_protocol.h"

namespace vornalt {
namespace {

void print_summary(const LaunchRequest& request, const Placement& placement, System& system) {
  system.write(Stream::out, "Target:    " + request.target + "\n");
  system.write(Stream::out, "Shell:     " + request.shell + "\n");
  system.write(Stream::out, "Title:     " + request.title + "\n");
  if (request.folder) system.write(Stream::out, "Folder:    " + placement.folder + "\n");
  if (!request.variables.empty()) {
    // The names only: a value may be a secret.
    std::string names;
    for (const Variable& variable : request.variables) {
      if (!names.empty()) names += ", ";
      names += variable.name;
    }
    system.write(Stream::out, "Variables: " + names + "\n");
  }
  system.write(Stream::out, "Arguments: " + request.arguments + "\n");
}

// The first vornalt talks to the relay over a pipe to learn the command's
// end, for -e and for wt's -w (wt.exe itself ends as soon as it has handed
// the command on), and to hand it variables that wt.exe cannot carry.
bool needs_pipe(const LaunchRequest& request) {
  return request.exit_code || (request.wait && request.target == "wt") ||
         relay_takes_variables(request);
}

// -k alone needs the relay in the window, but nothing from it.
bool needs_relay(const LaunchRequest& request) { return needs_pipe(request) || request.keep; }

// Everything that must hold before anything starts; false after the line
// that says why not.
bool prepare(const LaunchRequest& request, Placement& placement, System& system) {
  if (const std::optional<std::string> refusal = cmd_refusal(request)) {
    system.write(Stream::err, "Error: " + *refusal + "\n");
    return false;
  }
  if (request.folder) {
    const Result found = system.existing_folder(*request.folder, placement.folder);
    if (!found.ok()) {
      print_error("Failed to use folder '" + placement.folder + "'", found.error(), system);
      return false;
    }
  }
  if (needs_relay(request)) {
    std::array<std::uint8_t, 16> random{};
    Result ready = system.program_path(placement.relay_program);
    if (ready.ok() && needs_pipe(request)) ready = system.random_bytes(random);
    if (!ready.ok()) {
      print_error("Failed to launch '" + request.target + "'", ready.error(), system);
      return false;
    }
    if (needs_pipe(request)) placement.relay_id = relay_id(random);
  }
  return true;
}

int run_launch(const LaunchRequest& request, System& system) {
  Placement placement;
  if (!prepare(request, placement, system)) return 1;
  if (!request.quiet) print_summary(request, placement, system);
  const std::string command_line = compose_command_line(request, placement);
  const LaunchOutcome outcome = launch_process(command_line, request, system, placement);
  if (!outcome.started || outcome.relay_failed) return 1;
  if (!request.exit_code || request.dry_run) return 0;
  // All 32 bits of the shell's status; 1 when none came, after the line
  // that said why.
  return outcome.command_status ? static_cast<int>(*outcome.command_status) : 1;
}

}  // namespace

int run(std::span<const std::string> args, System& system) {
  if (is_relay(args)) return run_relay(system);
  const ParseOutcome outcome = parse_arguments(args);
  if (const auto* launch = std::get_if<Launch>(&outcome))
    return run_launch(launch->request, system);
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
