#include "run.h"

#include "argument_parser.h"
#include "cmd_limits.h"
#include "console_command_line.h"
#include "help.h"
#include "launcher.h"

namespace vornalt {
namespace {

void print_summary(const LaunchRequest& request, System& system) {
  system.write(Stream::out, "Target:    " + request.target + "\n");
  system.write(Stream::out, "Shell:     " + request.shell + "\n");
  system.write(Stream::out, "Title:     " + request.title + "\n");
  system.write(Stream::out, "Arguments: " + request.arguments + "\n");
}

int run_launch(const LaunchRequest& request, System& system) {
  if (const std::optional<std::string> refusal = cmd_refusal(request)) {
    system.write(Stream::err, "Error: " + *refusal + "\n");
    return 1;
  }
  if (!request.quiet) print_summary(request, system);
  const std::string command_line = compose_command_line(request);
  return launch_process(command_line, request, system) ? 0 : 1;
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
  print_help(system);
  return 0;
}

}  // namespace vornalt
