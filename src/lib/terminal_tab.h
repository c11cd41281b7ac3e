// What the user asks of Windows Terminal's tab or pane: the profile that
// gives it its look, the colour of its tab, and a pane beside the active one
// instead of a new tab.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornalt {

/// Where the new pane goes beside the active one: to its right, below it,
/// or where Terminal finds more room (the longer side).
enum class SplitDirection { right, down, automatic };

struct TerminalTab {
  /// A profile's name or its GUID in braces, as typed.
  std::optional<std::string> profile;
  /// "#RRGGBB" or "#RGB", as typed.
  std::optional<std::string> color;
  /// A pane beside the active one instead of a new tab, and its share of the
  /// space in percent (none: Terminal's half).
  std::optional<SplitDirection> split;
  std::optional<int> split_percent;

  bool operator==(const TerminalTab&) const = default;
};

/// "right", "down" or "auto" (lower-cased), and its direction.
std::optional<SplitDirection> split_direction_named(std::string_view text);
std::string_view name(SplitDirection direction);

/// Whether `text` is a colour that Windows Terminal reads: "#" and six or
/// three hexadecimal digits, in any case.
bool is_tab_color(std::string_view text);

/// A whole number from 1 to 99, in decimal digits alone.
std::optional<int> parse_percent(std::string_view text);

/// The share as split-pane's -s reads it: 30 as "0.3", 5 as "0.05".
std::string pane_share(int percent);

/// "split right, 30%", for the summary; empty without a split.
std::string describe_split(const TerminalTab& tab);

/// "Dev, tab color #3A7BD5", or "default, tab color #3A7BD5" without a
/// profile, for the summary.
std::string describe_profile(const TerminalTab& tab);

}  // namespace vornalt
