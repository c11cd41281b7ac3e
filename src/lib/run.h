// One whole run of the program, from the argument list to the exit status.
#pragma once

#include <span>
#include <string>

#include "system.h"

namespace vornalt {

/// Parses `args` (the program's name first), prints help, the version or
/// the usage error, or launches the request; or, started as the relay, runs
/// the relay. Returns the exit status: 0 or 1, or with -e and as the relay
/// the command's own.
int run(std::span<const std::string> args, System& system);

}  // namespace vornalt
