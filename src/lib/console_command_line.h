// The one command line that starts the console host, the shell and the
// user's command.
#pragma once

#include <string>
#include <string_view>

#include "argument_parser.h"

namespace vornalt {

/// How the host is to start the shell, beyond what the request says.
struct Placement {
  /// The absolute folder to start in; empty: the current folder.
  std::string folder;
  /// When the relay runs: the full path of vornalt.exe, and the run's id
  /// when there is a pipe to the relay, which go before the shell as the
  /// relay's words.
  std::string relay_program;
  std::string relay_id;
};

/// Whether the command's variables go to it over the relay's pipe: wt.exe
/// has no way to pass them, and what environment a Windows Terminal tab
/// gets depends on its version. conhost.exe hands its own environment on.
bool relay_takes_variables(const LaunchRequest& request);

/// One of six forms, by target and shell:
///   conhost.exe cmd.exe /c title {title} && {arguments}
///   conhost.exe {pwsh|powershell}.exe -EncodedCommand {encoded}
///   wt.exe --window vornalt --title "{title}" --startingDirectory . cmd.exe /c {arguments}
///   wt.exe --window vornalt --title "{title}" --startingDirectory . {pwsh|powershell}.exe
///       -EncodedCommand {encoded}
/// Each value is written so that the programs on the way read it back: the
/// title for cmd's `title` command or for wt.exe, and the cmd arguments for
/// wt.exe (escape_arguments_for_wt). With conhost, the line after
/// "conhost.exe " is exactly what conhost.exe hands to the shell. A folder
/// in `placement` replaces wt's "." (word_for_wt); conhost is started in it.
/// A relay in `placement` puts `"<relay_program>" --vornalt-relay <id>`
/// (the id "-" without a pipe), `--keep` for -k and `--variables` when
/// relay_takes_variables, before the shell, written for the host, which
/// hands the relay exactly those words and then the shell's line as it
/// would have handed it on.
std::string compose_command_line(const LaunchRequest& request, const Placement& placement = {});

/// The length, in UTF-16 units, of the text that cmd.exe reads after "/c "
/// when the host has read the line of a `cmd` request, before cmd replaces
/// %NAME%.
std::size_t cmd_text_length(const LaunchRequest& request);

/// The title as it stands after cmd's `title` command on conhost's line.
/// conhost.exe splits its line at blanks and re-quotes every `"`, and cmd
/// would act on ^ & | < > and end the line at a line feed, so:
/// - `"` becomes `'`; a tab, CR or LF becomes a blank;
/// - `^` goes before each of ^ & | < >;
/// - a blank that is not a single blank between two other characters is
///   written `^ `, so that conhost keeps it and cmd takes it literally.
std::string escape_title_for_cmd(std::string_view title);

/// The title as it goes between the quotes of wt.exe's --title "…". wt.exe
/// splits its command line like CommandLineToArgvW and then cuts its own
/// subcommands at each `;` not preceded by a backslash, so: `"` becomes `\"`,
/// backslashes before a `"` or at the end are doubled, `;` becomes `\;`.
std::string escape_title_for_wt(std::string_view title);

/// The cmd arguments (quote_for_cmd's text) as words for wt.exe, which
/// splits them, cuts subcommands at `;`, and joins the words again with
/// blanks, wrapping in `"` only a word that holds a blank. Each token of the
/// text goes as one word: itself, or without its outer quotes when it was
/// wrapped for a blank (wt.exe wraps it again); each `;` written `\;`; then
/// quoted by quote_for_argv.
std::string escape_arguments_for_wt(std::string_view arguments);

/// One word written so that wt.exe reads it back: each `;` as `\;`, then
/// quoted by quote_for_argv.
std::string word_for_wt(std::string_view word);

}  // namespace vornalt
