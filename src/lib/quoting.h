// Quoting of the command words for the shell that will read them.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vornalt {

/// One shell's rule: a word holding any of `special_chars` or
/// `quote_alternates` is wrapped in `quote_char`, with each `quote_char` and
/// each alternate inside doubled.
struct QuotingRule {
  char32_t quote_char;
  std::span<const char32_t> special_chars;
  /// Characters the shell reads as `quote_char` too. PowerShell ends a
  /// single-quoted string at any of U+2018 to U+201B, so these must be
  /// doubled like the apostrophe or a quoted word could break out.
  std::span<const char32_t> quote_alternates;
};

namespace detail {
inline constexpr std::array<char32_t, 8> CMD_SPECIALS{U' ', U'\t', U'"', U'&',
                                                      U'|', U'>',  U'<', U'^'};
inline constexpr std::array<char32_t, 9> POWERSHELL_SPECIALS{U' ', U'\t', U'\'', U'&', U'|',
                                                             U'>', U'<',  U'^',  U'"'};
inline constexpr std::array<char32_t, 4> POWERSHELL_SINGLE_QUOTES{0x2018, 0x2019, 0x201A, 0x201B};
}  // namespace detail

/// cmd.exe: double quotes. The apostrophe means nothing to cmd.
inline constexpr QuotingRule CMD_QUOTING{U'"', detail::CMD_SPECIALS, {}};
/// pwsh and powershell: single quotes, inside which nothing is expanded.
inline constexpr QuotingRule POWERSHELL_QUOTING{U'\'', detail::POWERSHELL_SPECIALS,
                                                detail::POWERSHELL_SINGLE_QUOTES};

/// `word` unchanged when it holds no special character of `rule`, otherwise
/// wrapped in the rule's quote character with that character doubled inside.
std::string quote_argument(std::string_view word, const QuotingRule& rule);
std::string quote_for_cmd(std::string_view word);
std::string quote_for_powershell(std::string_view word);

/// The command words, each quoted by the rule of `shell` ("cmd" or a
/// PowerShell), joined by single blanks.
std::string quote_arguments(std::span<const std::string> words, std::string_view shell);

}  // namespace vornalt
