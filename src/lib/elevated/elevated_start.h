// vornalt.exe as the elevated start of a host (-a): started as
// administrator by the first vornalt through the elevation prompt, it starts
// the host of its own command line and stands in for it
// (elevated_message.h, pipe/protocol.h).
#pragma once

#include "system/environment.h"
#include "system/pipes.h"
#include "system/processes.h"

namespace vornalt {

/// The elevated start's run: it believes only a pipe that this same program
/// made, takes the host's variables from it, starts the host of its command
/// line in a new console, reports the host's id or why it did not start, and
/// waits for the host. Returns the host's exit status; 1 when it started
/// nothing.
int run_elevated_start(Processes& processes, Pipes& pipes, Environment& environment);

}  // namespace vornalt
