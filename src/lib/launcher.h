// Starting the composed command line in a new console.
#pragma once

#include <string_view>

#include "argument_parser.h"
#include "console_command_line.h"
#include "system.h"

namespace vornalt {

/// Prints the command line (unless quiet); for a dry run, stops there.
/// Otherwise finds the host program (find_host_program), starts it with the
/// command line in a new console (conhost in the placement's folder),
/// reports the process id (unless quiet), waits when asked, and closes the
/// handles. Returns false after printing the failure when the start failed.
bool launch_process(std::string_view command_line, const LaunchRequest& request, System& system,
                    const Placement& placement = {});

}  // namespace vornalt
