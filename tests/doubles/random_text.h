// Seeded random text for the property tests: pieces drawn at random.
#pragma once

#include <cstddef>
#include <random>
#include <span>
#include <string>
#include <string_view>

namespace vornalt::testing {

/// What cmd.exe, wt.exe and conhost.exe read: quotes, backslashes, cmd's
/// operators and parentheses, `;`, `%`, blanks, tabs, and non-ASCII.
inline constexpr std::string_view CMD_PIECES[] = {"\"", "\\", "^",  "&", "|",    "<",   ">",
                                                  ";",  "(",  ")",  "%", " ",    "\t",  "a",
                                                  "x",  "é",  "日", "😀", "\\\\", "\"\""};

/// Up to `most` pieces, each drawn from `pieces`.
inline std::string random_text(std::mt19937& random, std::size_t most,
                               std::span<const std::string_view> pieces = CMD_PIECES) {
  std::string out;
  for (std::size_t n = random() % (most + 1); n > 0; --n) out += pieces[random() % pieces.size()];
  return out;
}

}  // namespace vornalt::testing
