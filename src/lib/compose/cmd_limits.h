// What cmd.exe cannot carry to the program it starts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "cli/launch_request.h"

namespace vornalt {

/// The most characters cmd.exe reads after /c. Its documentation counts its
/// whole line, from "cmd.exe" on; only what is over the limit under every
/// reading is refused, so that no command that cmd would run is.
inline constexpr std::size_t CMD_TEXT_LIMIT = 8191;

/// Why the shell cmd could not run the request's command as typed, as one
/// line; nothing when it can, and always nothing for the PowerShell shells,
/// whose script carries any text:
/// - Windows' cmd.exe ends its command line at a line feed and drops
///   carriage returns, so that a word holding either would arrive cut or
///   changed, and the rest of the line would be lost;
/// - cmd.exe refuses a command over its limit and ends at once, so that the
///   new window would close before anyone could read why.
std::optional<std::string> cmd_refusal(const LaunchRequest& request);

}  // namespace vornalt
