// The script that carries the command to pwsh or powershell, and its
// -EncodedCommand form.
#pragma once

#include <string>
#include <string_view>

#include "cli/launch_request.h"

namespace vornalt {

/// The script for `target`: with conhost it first sets the window title
/// (when there is one), since that host's command line cannot; with wt it
/// is the arguments alone.
std::string powershell_script(Target target, std::string_view title, std::string_view arguments);

/// Base64 of the script's UTF-16LE bytes, without a byte-order mark.
std::string encode_powershell_command(std::string_view script);

}  // namespace vornalt
