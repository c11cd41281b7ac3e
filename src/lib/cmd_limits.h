// What cmd.exe cannot carry to the program it starts.
#pragma once

#include <optional>
#include <string>

#include "argument_parser.h"

namespace vornalt {

/// Why the shell cmd could not run the request's command as typed, as one
/// line; nothing when it can, and always nothing for the PowerShell shells,
/// whose script carries any text. Windows' cmd.exe ends its command line at
/// a line feed and drops carriage returns, so that a word holding either
/// would arrive cut or changed, and the rest of the line would be lost.
std::optional<std::string> cmd_refusal(const LaunchRequest& request);

}  // namespace vornalt
