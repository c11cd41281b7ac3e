// vornalt.exe as the relay, inside the new console: it starts the shell as
// its own child, waits for it, and reports to the vornalt that started the
// host (relay_message.h, pipe/protocol.h).
#pragma once

#include "output.h"
#include "system/environment.h"
#include "system/paths.h"
#include "system/pipes.h"
#include "system/processes.h"

namespace vornalt {

/// Starts the shell of this process's command line in this console, by
/// the shell search (find_shell_program), reports its process id and then
/// its exit status when the pipe can be reached, and returns that status
/// (1 when the shell could not start). Without the pipe it still runs the
/// command: the window is the user's.
int run_relay(Output& output, Processes& processes, Pipes& pipes, Paths& paths,
              Environment& environment);

}  // namespace vornalt
