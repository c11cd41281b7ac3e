// The command line of the program:
//   vornalt.exe [help flag] <target> [options] <command> [args...]
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "environment.h"

namespace vornalt {

/// What to start and how. `target` and `shell` hold canonical lower-case
/// names: "wt" or "conhost", and "cmd", "pwsh" or "powershell".
struct LaunchRequest {
  std::string target;
  std::string shell = "cmd";
  std::string title;
  /// The command words, quoted for `shell` and joined by blanks.
  std::string arguments;
  bool wait = false;
  bool quiet = false;
  /// The folder to start in, as typed; none: the current folder.
  std::optional<std::string> folder;
  /// Wait for the command itself and end with its exit status.
  bool exit_code = false;
  /// Compose and print everything, but start nothing.
  bool dry_run = false;
  /// Keep the window open after the command, until a key is pressed.
  bool keep = false;
  /// The command's environment changes, one per name, in the order given.
  std::vector<Variable> variables;

  bool operator==(const LaunchRequest&) const = default;
};

struct Launch {
  LaunchRequest request;
  bool operator==(const Launch&) const = default;
};
struct Help {
  bool operator==(const Help&) const = default;
};
struct Version {
  bool operator==(const Version&) const = default;
};
struct UsageError {
  std::string message;  // one line, no line end
  bool operator==(const UsageError&) const = default;
};

using ParseOutcome = std::variant<Launch, Help, Version, UsageError>;

/// Parses the argument list (the program's name first). Prints nothing.
ParseOutcome parse_arguments(std::span<const std::string> args);

}  // namespace vornalt
