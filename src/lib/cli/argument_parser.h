// The command line of the program:
//   vornalt.exe [help flag] <target> [options] <command> [args...]
#pragma once

#include <span>
#include <string>
#include <variant>
#include <vector>

#include "cli/launch_request.h"

namespace vornalt {

struct Launch {
  LaunchRequest request;
  /// Lines for standard error, before anything starts: what was typed is
  /// taken otherwise than the user most likely meant.
  std::vector<std::string> warnings;
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
