#include "window_layout.h"

#include <limits>

namespace vornalt {
namespace {

// A whole number from `low` to `high`: digits, after a minus sign where
// `low` is negative; nothing else.
std::optional<std::int16_t> parse_number(std::string_view text, std::int32_t low,
                                         std::int32_t high) {
  const bool negative = low < 0 && text.starts_with('-');
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 32768) return std::nullopt;  // past every range, leading zeros or not
  }
  if (negative) value = -value;
  if (value < low || value > high) return std::nullopt;
  return static_cast<std::int16_t>(value);
}

// The two numbers of "A,B", each in range.
std::optional<std::pair<std::int16_t, std::int16_t>> parse_pair(std::string_view text,
                                                                std::int32_t low) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  constexpr std::int32_t HIGH = std::numeric_limits<std::int16_t>::max();
  const std::optional<std::int16_t> first = parse_number(text.substr(0, comma), low, HIGH);
  const std::optional<std::int16_t> second = parse_number(text.substr(comma + 1), low, HIGH);
  if (!first || !second) return std::nullopt;
  return std::pair(*first, *second);
}

std::string_view state_word(WindowShow show) {
  switch (show) {
    case WindowShow::minimized:
      return "minimized";
    case WindowShow::maximized:
      return "maximized";
    case WindowShow::fullscreen:
      return "full screen";
    case WindowShow::normal:
      break;
  }
  return "";
}

void add_part(std::string& text, std::string_view part) {
  if (part.empty()) return;
  if (!text.empty()) text += ", ";
  text += part;
}

}  // namespace

std::optional<Cells> parse_cells(std::string_view text) {
  const auto pair = parse_pair(text, 1);
  if (!pair) return std::nullopt;
  return Cells{pair->first, pair->second};
}

std::optional<Pixels> parse_pixels(std::string_view text) {
  const auto pair = parse_pair(text, std::numeric_limits<std::int16_t>::min());
  if (!pair) return std::nullopt;
  return Pixels{pair->first, pair->second};
}

std::string to_string(Cells size) {
  return std::to_string(size.columns) + "," + std::to_string(size.rows);
}

std::string to_string(Pixels position) {
  return std::to_string(position.x) + "," + std::to_string(position.y);
}

std::string describe(Cells size) {
  return std::to_string(size.columns) + "x" + std::to_string(size.rows) + " cells";
}

std::string describe(const WindowLayout& layout) {
  std::string text;
  add_part(text, state_word(layout.show));
  std::string place;
  if (layout.size) place = describe(*layout.size);
  if (layout.position) {
    if (!place.empty()) place += ' ';
    place += "at " + to_string(*layout.position);
  }
  add_part(text, place);
  if (layout.no_focus) add_part(text, "no focus");
  return text;
}

std::string_view name(ShowCommand command) {
  switch (command) {
    case ShowCommand::show_maximized:
      return "SW_SHOWMAXIMIZED";
    case ShowCommand::show_no_activate:
      return "SW_SHOWNOACTIVATE";
    case ShowCommand::show_min_no_activate:
      break;
  }
  return "SW_SHOWMINNOACTIVE";
}

std::string describe(const StartupWindow& startup) {
  std::string flags;
  if (startup.show) flags = "STARTF_USESHOWWINDOW";
  if (startup.position) flags += flags.empty() ? "STARTF_USEPOSITION" : " | STARTF_USEPOSITION";
  std::string text = "dwFlags " + flags;
  if (startup.show) {
    text += ", wShowWindow " + std::string(name(*startup.show)) + " (" +
            std::to_string(static_cast<int>(*startup.show)) + ")";
  }
  if (startup.position) {
    text += ", dwX " + std::to_string(startup.position->x) + ", dwY " +
            std::to_string(startup.position->y);
  }
  return text;
}

}  // namespace vornalt
