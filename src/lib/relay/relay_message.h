// The command lines by which vornalt.exe starts its other runs: the relay,
// between the host and the shell in the new console, and the elevated start
// of a host behind the elevation prompt (relay_protocol.h says what each is
// for and what goes over their pipes).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "window_layout.h"

namespace vornalt {

/// The word after the program's name that makes vornalt.exe the relay. It
/// is no target, so that nobody types it by chance.
inline constexpr std::string_view RELAY_MARKER = "--vornalt-relay";

/// The word after the program's name that makes vornalt.exe the elevated
/// start of a host.
inline constexpr std::string_view ELEVATED_MARKER = "--vornalt-elevated";

/// The relay's id word when there is no pipe (--keep alone).
inline constexpr std::string_view NO_RELAY_ID = "-";
/// The relay's options, after its id.
inline constexpr std::string_view RELAY_KEEP = "--keep";
inline constexpr std::string_view RELAY_VARIABLES = "--variables";
/// Followed by "COLS,ROWS": the size it sets its console's window to.
inline constexpr std::string_view RELAY_SIZE = "--size";

/// The elevated start's words after its program name.
std::string elevated_parameters(std::string_view id, const StartupWindow& window,
                                std::string_view folder, std::string_view host,
                                std::string_view host_line);

/// The elevated start's command line, read back.
struct ElevatedLine {
  std::string id;
  std::string folder;     // where the host starts
  std::string host;       // the host's full path
  std::string host_line;  // exactly the host's command line
  StartupWindow window;   // of the host's STARTUPINFO

  bool operator==(const ElevatedLine&) const = default;
};

/// Nothing when `line` is no elevated start's: its second word is not the
/// marker, or a part is missing.
std::optional<ElevatedLine> read_elevated_line(std::string_view line);

/// The relay's command line, as the host handed it on.
struct RelayLine {
  std::string id;                    // the word after the marker, as it came
  bool keep = false;                 // --keep
  bool variables = false;            // --variables
  std::string shell_line;            // the rest: exactly the line for the shell
  std::string shell_program;         // its first word, by the program-name rule
  std::optional<Cells> window_size;  // --size

  bool operator==(const RelayLine&) const = default;
};

/// Nothing when `line` is no relay's line (its second word is not the
/// marker) or holds no shell. The program's name is read by the
/// program-name rule; the marker, the id and the options (each at most
/// once, in the order above, --size with its value) are words without
/// quotes; the rest starts at the next word and is taken as it is.
std::optional<RelayLine> read_relay_line(std::string_view line);

}  // namespace vornalt
