// One whole run of the program, from the argument list to the exit status.
#pragma once

#include <span>
#include <string>

#include "system/system.h"

namespace vornalt {

/// What this vornalt.exe was started as: by the user, or by another
/// vornalt.exe as the relay in a new console or as the elevated start of a
/// host. The marker is the second word, written exactly so.
enum class Role { launch, relay, elevated_start };
Role role_of(std::span<const std::string> args);

/// Parses `args` (the program's name first), prints help, the version or
/// the usage error, or launches the request; or runs as the relay or the
/// elevated start. Returns the exit status: 0 or 1, or with -e and as the
/// relay or the elevated start the command's or the host's own.
int run(std::span<const std::string> args, const System& system);

}  // namespace vornalt
