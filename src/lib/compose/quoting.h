// Quoting of the command words for the shell that will read them.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/launch_request.h"

namespace vornalt {

/// A PowerShell rule: a word holding any of `special_chars` or
/// `quote_alternates` (or, with `white_space_special`, any Unicode
/// White_Space character) is wrapped in `quote_char`, with each `quote_char`
/// and each alternate inside doubled.
struct QuotingRule {
  char32_t quote_char;
  std::span<const char32_t> special_chars;
  /// Characters the shell reads as `quote_char` too. PowerShell ends a
  /// single-quoted string at any of U+2018 to U+201B, so these must be
  /// doubled like the apostrophe or a quoted word could break out.
  std::span<const char32_t> quote_alternates;
  /// PowerShell separates words at every White_Space character, not only at
  /// blanks and tabs, and ends the statement at a line feed or carriage
  /// return: a bare word holding one would arrive as two, or run as code.
  bool white_space_special;
};

namespace detail {
// Operators, and the quotes that would open a string: U+201C to U+201E act
// as `"`.
inline constexpr std::array<char32_t, 10> POWERSHELL_SPECIALS{U'\'', U'&', U'|',   U'>',   U'<',
                                                              U'^',  U'"', 0x201C, 0x201D, 0x201E};
inline constexpr std::array<char32_t, 4> POWERSHELL_SINGLE_QUOTES{0x2018, 0x2019, 0x201A, 0x201B};
}  // namespace detail

/// pwsh and powershell: single quotes, inside which nothing is expanded.
inline constexpr QuotingRule POWERSHELL_QUOTING{U'\'', detail::POWERSHELL_SPECIALS,
                                                detail::POWERSHELL_SINGLE_QUOTES, true};

/// `word` unchanged when it is not empty and holds no special character of
/// the PowerShell rule, otherwise wrapped in single quotes with each quote
/// character doubled inside.
std::string quote_for_powershell(std::string_view word);

/// `word` written so that CommandLineToArgvW and the C runtime both read it
/// back, and so that conhost.exe rebuilds it unchanged:
/// - wrapped in `"` only when it is empty or holds a blank or tab;
/// - each `"` written `\"`;
/// - a run of backslashes doubled only where a `"` follows it (an escaped
///   one, or the closing one).
std::string quote_for_argv(std::string_view word);
/// The same, appended to `out`; with `wrap_always`, in `"…"` whatever it
/// holds.
void append_quoted_for_argv(std::string& out, std::string_view word, bool wrap_always = false);

/// The words as cmd.exe must read them to hand them on to a program, one
/// piece per word: each quoted by quote_for_argv; then, reading the pieces
/// joined by blanks as cmd does (every `"` toggles its quoting, also one
/// written `\"`), a `^` before each of ^ & | < > outside quotes. cmd
/// removes exactly those carets, and the program splits the rest back into
/// the words. A caret depends on every quote before it, in earlier words
/// too.
std::vector<std::string> quote_words_for_cmd(std::span<const std::string> words);

/// The command words quoted for `shell` and joined by single blanks. For
/// PowerShell a quoted command word gets the call operator,
/// `& 'C:\Program Files\x.exe'`, so that it runs.
std::string quote_arguments(std::span<const std::string> words, Shell shell);

}  // namespace vornalt
