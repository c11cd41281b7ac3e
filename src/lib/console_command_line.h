// The one command line that starts the console host, the shell and the
// user's command.
#pragma once

#include <string>
#include <string_view>

#include "argument_parser.h"

namespace vornalt {

/// One of six forms, by target and shell:
///   conhost.exe cmd.exe /c title {title} && {arguments}
///   conhost.exe {pwsh|powershell}.exe -EncodedCommand {encoded}
///   wt.exe --window vornalt --title "{title}" --startingDirectory . cmd.exe /c {arguments}
///   wt.exe --window vornalt --title "{title}" --startingDirectory . {pwsh|powershell}.exe
///       -EncodedCommand {encoded}
/// The title is escaped for whoever reads it: cmd's `title` command, or wt.exe.
std::string compose_command_line(const LaunchRequest& request);

/// The title as cmd's `title` command must see it: `^` before each of
/// ^ & | < > " so that none of them ends the command.
std::string escape_title_for_cmd(std::string_view title);

/// The title as it goes between the quotes of wt.exe's --title "…". wt.exe
/// splits its command line like CommandLineToArgvW and then cuts its own
/// subcommands at each `;` not preceded by a backslash, so: `"` becomes `\"`,
/// backslashes before a `"` or at the end are doubled, `;` becomes `\;`.
std::string escape_title_for_wt(std::string_view title);

}  // namespace vornalt
