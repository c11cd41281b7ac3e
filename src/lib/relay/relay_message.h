// What the relay in a new console is told: the one line that the vornalt
// which opens the window writes and the relay reads,
//   "<vornalt.exe>" --vornalt-relay <id> [--keep] [--variables] [--size C,R]
//       <the shell's line>
// The relay starts the shell of that line in the new console and waits for
// it. The id names the pipe back to the vornalt that opened the window
// (pipe/protocol.h), or is "-" when there is none; --keep makes the relay
// wait for a key before the window closes, --variables says that the command
// must not run without the variables that come over the pipe, and --size has
// it set its console's window to C columns and R rows first.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "window_layout.h"

namespace vornalt {

struct RelayMessage {
  /// The id of the pipe back to the vornalt that opened the window; empty:
  /// there is none.
  std::string pipe_id;
  bool keep = false;
  /// The command runs only with the variables that come over the pipe.
  bool needs_variables = false;
  std::optional<Cells> window_size;
  /// The rest of the line, exactly: the shell's.
  std::string shell_line;

  bool operator==(const RelayMessage&) const = default;
};

/// The relay's line: `program` (vornalt.exe's path, written as the host is
/// to read it), the message's words, and the shell's line as it is. The
/// words hold nothing that a host would change.
std::string relay_line(std::string_view program, const RelayMessage& message);

/// The message of a relay's line, as the host handed it on; nothing when
/// `line` is no relay's (its second word is not the marker), holds no shell,
/// or says anything else than the words above, each at most once and in
/// their order. A later word of an option's name is the shell's.
std::optional<RelayMessage> read_relay_line(std::string_view line);

/// Whether `args` (the program's name first) are the relay's: the marker is
/// the second word, exactly.
bool is_relay_command(std::span<const std::string> args);

/// The first word of the shell's line, by the program-name rule: the shell
/// that the relay looks for.
std::string shell_program(const RelayMessage& message);

}  // namespace vornalt
