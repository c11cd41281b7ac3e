#include "terminal_tab.h"

#include <algorithm>

namespace vornalt {
namespace {

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

std::optional<SplitDirection> split_direction_named(std::string_view text) {
  for (SplitDirection direction :
       {SplitDirection::right, SplitDirection::down, SplitDirection::automatic}) {
    if (text == name(direction)) return direction;
  }
  return std::nullopt;
}

std::string_view name(SplitDirection direction) {
  switch (direction) {
    case SplitDirection::right:
      return "right";
    case SplitDirection::down:
      return "down";
    case SplitDirection::automatic:
      break;
  }
  return "auto";
}

bool is_tab_color(std::string_view text) {
  if (text.size() != 7 && text.size() != 4) return false;
  return text.front() == '#' && std::all_of(text.begin() + 1, text.end(), is_hex_digit);
}

std::optional<int> parse_percent(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 99) return std::nullopt;  // past the range, however many digits follow
  }
  if (value < 1) return std::nullopt;
  return value;
}

std::string pane_share(int percent) {
  std::string share =
      percent < 10 ? "0.0" + std::to_string(percent) : "0." + std::to_string(percent);
  // 30 is 0.3: no zero at the end.
  if (share.back() == '0') share.pop_back();
  return share;
}

std::string describe_split(const TerminalTab& tab) {
  if (!tab.split) return "";
  std::string text = "split " + std::string(name(*tab.split));
  if (tab.split_percent) text += ", " + std::to_string(*tab.split_percent) + "%";
  return text;
}

std::string describe_profile(const TerminalTab& tab) {
  std::string text = tab.profile.value_or("default");
  if (tab.color) text += ", tab color " + *tab.color;
  return text;
}

}  // namespace vornalt
