#include "run.h"

#include "argument_parser.h"
#include "cmd_limits.h"
#include "console_command_line.h"
#include "help.h"
#include "launcher.h"
#include "relay.h"
#include "relay_protocol.h"
#include "wtf8.h"

namespace vornalt {
namespace {

// MAX_PATH less 2: the longest folder that CreateProcessW starts a program
// in, its last backslash not counted, unless that program is made for long
// paths, which the hosts and shells are not.
constexpr std::size_t STARTING_FOLDER_LIMIT = 258;

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

// The folder of -d, made absolute; false after the line that says why it
// cannot be used.
bool use_folder(std::string_view given, Placement& placement, System& system) {
  const Result found = system.existing_folder(given, placement.folder);
  const std::string what = "Failed to use folder '" + placement.folder + "'";
  if (!found.ok()) {
    print_error(what, found.error(), system);
    return false;
  }
  // Past the limit the start would fail with a message that names no folder.
  std::size_t length = to_utf16(placement.folder).size();
  if (placement.folder.ends_with('\\')) --length;
  if (length > STARTING_FOLDER_LIMIT) {
    system.write(Stream::err, what + ": it has " + std::to_string(length) +
                                  " characters, over the " + std::to_string(STARTING_FOLDER_LIMIT) +
                                  " that Windows allows for the folder a program starts in\n");
    return false;
  }
  return true;
}

// Why wt.exe would hand `word` on changed however it is written, or
// nothing: it turns an unpaired surrogate into U+FFFD, and replaces %NAME%
// of a defined variable (or of one that cannot be looked up).
std::optional<std::string> wt_change(std::string_view word, System& system) {
  if (to_utf8_lossy(word) != word) return "it holds an unpaired surrogate";
  // As ExpandEnvironmentStringsW reads it: an undefined %NAME% stays, and
  // the search goes on after its second %.
  for (std::size_t open = word.find('%'); open != std::string_view::npos;) {
    const std::size_t close = word.find('%', open + 1);
    if (close == std::string_view::npos) break;
    const std::string_view name = word.substr(open + 1, close - open - 1);
    std::optional<std::string> value;
    if (!name.empty() && (!system.environment_variable(name, value).ok() || value)) {
      return "%" + std::string(name) + "% is a variable that it would replace";
    }
    open = word.find('%', close + 1);
  }
  return std::nullopt;
}

// wt.exe would hand the relay's own path on changed, and the relay would not
// start: its short name may pass where its long one does not.
bool name_the_relay_for_wt(std::string& path, System& system) {
  const std::optional<std::string> change = wt_change(path, system);
  if (!change) return true;
  std::string short_path;
  if (system.short_path(path, short_path).ok() && !wt_change(short_path, system)) {
    path = std::move(short_path);
    return true;
  }
  system.write(Stream::err, "Error: wt.exe would not pass on the path of vornalt.exe, '" + path +
                                "', as it is (" + *change +
                                "), and the path has no short name that it would\n");
  return false;
}

// Everything that must hold before anything starts; false after the line
// that says why not.
bool prepare(const LaunchRequest& request, Placement& placement, System& system) {
  if (const std::optional<std::string> refusal = cmd_refusal(request)) {
    system.write(Stream::err, "Error: " + *refusal + "\n");
    return false;
  }
  if (request.folder && !use_folder(*request.folder, placement, system)) return false;
  if (needs_relay(request)) {
    std::array<std::uint8_t, 16> random{};
    Result ready = system.program_path(placement.relay_program);
    if (ready.ok() && needs_pipe(request)) ready = system.random_bytes(random);
    if (!ready.ok()) {
      print_error("Failed to launch '" + request.target + "'", ready.error(), system);
      return false;
    }
    if (needs_pipe(request)) placement.relay_id = relay_id(random);
    if (request.target == "wt" && !name_the_relay_for_wt(placement.relay_program, system)) {
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
