// The one command line that starts the console host, the shell and the
// user's command.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/launch_request.h"
#include "launch/launch_plan.h"

namespace vornalt {

/// One of six forms, by target and shell:
///   conhost.exe cmd.exe /c title {title} && {arguments}
///   conhost.exe {pwsh|powershell}.exe -EncodedCommand {encoded}
///   wt.exe --window vornalt --title "{title}" --startingDirectory . cmd.exe /c {arguments}
///   wt.exe --window vornalt --title "{title}" --startingDirectory . {pwsh|powershell}.exe
///       -EncodedCommand {encoded}
/// Each value is written so that the programs on the way read it back: the
/// title for cmd's `title` command or for wt.exe, and the cmd arguments for
/// wt.exe (one word for wt.exe per word of the command). With conhost, the
/// line after "conhost.exe " is exactly what conhost.exe hands to the shell.
/// The window of --window replaces wt's "vornalt", and the plan's folder its
/// "." (word_for_wt); conhost is started in the folder. The plan's relay
/// puts `"<relay_program>" --vornalt-relay <id>` (the id "-" without a
/// pipe), `--keep` for -k and `--variables` when it takes the variables,
/// before the shell, written for the host, which hands the relay exactly
/// those words and then the shell's line as it would have handed it on.
std::string compose_command_line(const LaunchRequest& request, const LaunchPlan& plan);

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

/// The cmd words (quote_words_for_cmd's pieces) as words for wt.exe, which
/// splits them, cuts subcommands at `;`, and joins the words again with
/// blanks, wrapping in `"` only a word that holds a blank. Each piece goes
/// as one word: itself, or without its outer quotes when it was wrapped for
/// a blank (wt.exe wraps it again); each `;` written `\;`; then quoted by
/// quote_for_argv.
std::string escape_arguments_for_wt(std::span<const std::string> pieces);

/// One word written so that wt.exe reads it back: each `;` as `\;`, then
/// quoted by quote_for_argv.
std::string word_for_wt(std::string_view word);

}  // namespace vornalt
