// The help screen: banner and help text, wrapped to the console window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "system/console.h"

namespace vornalt {

/// "vornalt Console Launcher, v1.0.0" and a line feed: what --version prints.
extern const std::string_view VERSION_LINE;
extern const std::string_view BANNER;

/// The help screen's text, before it is wrapped; its options come from the
/// table that the parser reads.
std::string help_text();

/// Prints the banner, then the help text wrapped to the console and one
/// more line feed.
void print_help(Console& console);

/// The wrapping width: the visible console window's width, at most 120; 80
/// without a console.
std::size_t console_width(Console& console);

/// The width of a window from its edges, computed as the console does, in
/// signed 16-bit arithmetic (a negative width counts as very large); at
/// most 120, and 80 for 0.
std::size_t window_width(std::int16_t left, std::int16_t right);

/// The lines of `text`, each longer than `width` bytes broken after its last
/// white space within the width, or cut hard where there is none; every line
/// and piece ends in a line feed. `width` must be at least 1.
std::string wrap_text(std::string_view text, std::size_t width);

}  // namespace vornalt
