// The program's ways to the operating system, one seam per concept, so that
// a function's parameters say what it touches and tests can put a scripted
// fake where Windows would be: the console, the system's messages,
// processes, pipes, paths, the environment and elevation. The Windows layer
// (win32/) implements each in a file of its concept.
#pragma once

#include "system/console.h"
#include "system/elevation.h"
#include "system/environment.h"
#include "system/messages.h"
#include "system/paths.h"
#include "system/pipes.h"
#include "system/processes.h"

namespace vornalt {

/// Every seam at once: for the three runs that vornalt.exe can be (the
/// launch, the relay and the elevated start), which touch them all.
struct System {
  Console& console;
  Messages& messages;
  Processes& processes;
  Pipes& pipes;
  Paths& paths;
  Environment& environment;
  Elevation& elevation;
};

}  // namespace vornalt
