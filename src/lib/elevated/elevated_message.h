// What the elevated start of a host is told (-a): the words that the vornalt
// which asks for the elevation has Windows ("runas") start vornalt.exe with,
// and that the elevated vornalt.exe reads back from its command line,
//   --vornalt-elevated <id> [--show N] [--pos X,Y] <folder> <host>
//       <the host's command line>
// --show and --pos are the show command and the position of the host's
// STARTUPINFO; the folder that the host starts in and the host's full path
// are quoted as the C runtime reads them, and the host's line is as it is.
// The elevation prompt's details show these words: they hold no value of a
// variable, which comes over the pipe of the id (pipe/protocol.h).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "window_layout.h"

namespace vornalt {

struct ElevatedMessage {
  /// The id of the pipe back to the vornalt that asked for the elevation.
  std::string pipe_id;
  /// What the host's STARTUPINFO says of its window.
  StartupWindow window;
  std::string folder;
  /// The host's full path, and exactly its command line.
  std::string host;
  std::string host_line;

  bool operator==(const ElevatedMessage&) const = default;
};

/// The words after the program's name.
std::string elevated_parameters(const ElevatedMessage& message);

/// The message of an elevated start's command line (its program's name
/// first); nothing when its second word is not the marker, a part is missing
/// or empty, or a value is none that its word allows.
std::optional<ElevatedMessage> read_elevated_line(std::string_view line);

/// Whether `args` (the program's name first) are an elevated start's: the
/// marker is the second word, exactly.
bool is_elevated_command(std::span<const std::string> args);

}  // namespace vornalt
