#include "run.h"

#include "argument_parser.h"
#include "cmd_limits.h"
#include "console_command_line.h"
#include "help.h"
#include "launcher.h"

namespace vornalt {
namespace {

void print_summary(const LaunchRequest& request, const Placement& placement, System& system) {
  system.write(Stream::out, "Target:    " + request.target + "\n");
  system.write(Stream::out, "Shell:     " + request.shell + "\n");
  system.write(Stream::out, "Title:     " + request.title + "\n");
  if (request.folder) system.write(Stream::out, "Folder:    " + placement.folder + "\n");
  system.write(Stream::out, "Arguments: " + request.arguments + "\n");
}

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
      const Error error = found.error();
      system.write(Stream::err,
                   "Failed to use folder '" + placement.folder +
                       "': " + debug_form(error, system.error_message(error.shown_code())) + "\n");
      return false;
    }
  }
  return true;
}

int run_launch(const LaunchRequest& request, System& system) {
  Placement placement;
  if (!prepare(request, placement, system)) return 1;
  if (!request.quiet) print_summary(request, placement, system);
  const std::string command_line = compose_command_line(request, placement);
  return launch_process(command_line, request, system, placement) ? 0 : 1;
}

}  // namespace

int run(std::span<const std::string> args, System& system) {
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
