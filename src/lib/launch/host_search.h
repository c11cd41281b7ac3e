// Where the console host program, and the relay's shell, are taken from.
#pragma once

#include <string>
#include <string_view>

#include "cli/launch_request.h"
#include "output.h"
#include "system/environment.h"
#include "system/paths.h"

namespace vornalt {

/// Whether a PATH entry names a folder by a full path: `X:\…`, `X:/…` or a
/// UNC path. A relative entry, `.` among them, would lead to the current
/// folder.
bool is_absolute_folder(std::string_view folder);

/// The full path of the host program `name` ("conhost.exe" or "wt.exe"),
/// looked for, in this order, in the folder that holds vornalt.exe, the
/// system folder, the Windows folder and each absolute folder of PATH;
/// never in the current folder, where anyone's download or clone could
/// put a program of that name. The first regular file of that name wins;
/// none gives the Error of ERROR_FILE_NOT_FOUND.
Expected<std::string> find_host_program(std::string_view name, Paths& paths,
                                        Environment& environment);

/// The full path of the shell `name` ("cmd.exe", "pwsh.exe" …) for the
/// relay: like find_host_program, but not in vornalt.exe's own folder, which
/// is as likely a download folder as the current one is.
Expected<std::string> find_shell_program(std::string_view name, Paths& paths,
                                         Environment& environment);

/// Whether find_host_program failed because the program was nowhere, rather
/// than because a folder could not be read.
bool is_not_found(const Error& error);

/// The full path of the host of `target`, by find_host_program; or why it
/// could not be found, with where it was looked for when it was nowhere, and
/// a hint for wt.exe, which is not part of every Windows.
Checked<std::string> find_host(Target target, Paths& paths, Environment& environment);

}  // namespace vornalt
