// The folder of -d, where the command starts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "output.h"
#include "system/paths.h"

namespace vornalt {

/// MAX_PATH less 2: the longest folder that CreateProcessW starts a program
/// in, its last backslash not counted, unless that program is made for long
/// paths, which the hosts and shells are not.
inline constexpr std::size_t STARTING_FOLDER_LIMIT = 258;

/// The folder `given` made absolute; or why it cannot be used: it does not
/// exist, is no folder, or is too long for a program to start in.
Checked<std::string> use_folder(std::string_view given, Paths& paths);

}  // namespace vornalt
