// The pipe back to the vornalt that started this one: from the relay in the
// new console, and from the elevated vornalt that starts the host as
// administrator (pipe/protocol.h).
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "environment.h"
#include "system/pipes.h"

namespace vornalt {

/// How far the pipe to the first vornalt came.
enum class StarterLink {
  connected,             // it is this program's, and its variables came whole
  unreachable,           // no such pipe, or it cannot be opened
  not_vornalt,           // a program other than this one made it
  variables_unreadable,  // what came was no whole variables message
};

struct StarterConnection {
  StarterLink link = StarterLink::unreachable;
  /// Open only while connected.
  std::unique_ptr<Pipe> pipe;
  std::vector<Variable> variables;
};

/// Opens the pipe `name` and reads the variables that come first. A pipe is
/// believed only when the program that made it is this one, and only with
/// its whole message; nothing is read from one that is not.
StarterConnection connect_to_starter(std::string_view name, Pipes& pipes);

}  // namespace vornalt
