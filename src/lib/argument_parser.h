// The command line of the program:
//   vornalt.exe [help flag] <target> [options] <command> [args...]
#pragma once

#include <span>
#include <string>
#include <variant>

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

  bool operator==(const LaunchRequest&) const = default;
};

struct Launch {
  LaunchRequest request;
  bool operator==(const Launch&) const = default;
};
struct Help {
  bool operator==(const Help&) const = default;
};
struct UsageError {
  std::string message;  // one line, no line end
  bool operator==(const UsageError&) const = default;
};

using ParseOutcome = std::variant<Launch, Help, UsageError>;

/// Parses the argument list (the program's name first). Prints nothing.
ParseOutcome parse_arguments(std::span<const std::string> args);

}  // namespace vornalt
