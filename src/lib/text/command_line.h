// Splitting of the process command line into the argument list.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornalt {

/// Splits a Windows command line the way the Microsoft C runtime does for
/// `argv`; the program's name is always the first element.
///
/// - The program's name ends at the first blank or tab outside quotes; quotes
///   in it only open and close.
/// - Later arguments are separated by blanks and tabs outside quotes.
/// - 2n backslashes before a quote give n backslashes and the quote opens or
///   closes; 2n + 1 give n backslashes and a literal quote. Backslashes
///   anywhere else are literal.
/// - Inside quotes, `""` gives one literal quote and the quotes go on.
///
/// The C runtimes disagree on `""`, so the program does this itself.
std::vector<std::string> split_command_line(std::string_view line);

/// The program's name at the start of `line`, appended to `name` by the
/// program-name rule above; returns the position after it.
std::size_t split_program_name(std::string_view line, std::string& name);

/// The argument that starts at `pos` (not a blank), appended to `arg` by
/// the rules above; returns the position after it.
std::size_t split_argument(std::string_view line, std::size_t pos, std::string& arg);

/// The position after the second word of `line` when that word is exactly
/// `marker`, the first being the program's name by its rule; nothing
/// otherwise.
std::optional<std::size_t> after_marker(std::string_view line, std::string_view marker);

/// The position of the first character at or after `pos` that is no blank
/// or tab.
std::size_t skip_blanks(std::string_view line, std::size_t pos);

/// The word at or after `pos`, up to the next blank or tab, quotes and all;
/// `pos` goes past it. Empty at the end of the line.
std::string_view next_plain_word(std::string_view line, std::size_t& pos);

}  // namespace vornalt
