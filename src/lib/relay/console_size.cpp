#include "relay/console_size.h"

#include <algorithm>

namespace vornalt {
namespace {

// A length no larger than `largest`, where that is known.
std::int16_t within(std::int16_t length, std::int16_t largest) {
  return largest > 0 ? std::min(length, largest) : length;
}

}  // namespace

Result set_console_window_size(Cells size, Console& console) {
  const Expected<ScreenBuffer> screen = console.screen_buffer();
  if (!screen.ok()) return screen.error();
  const Cells window{within(size.columns, screen->largest.columns),
                     within(size.rows, screen->largest.rows)};
  const Cells buffer{std::max(screen->size.columns, window.columns),
                     std::max(screen->size.rows, window.rows)};
  // The buffer first: the window may never reach past it.
  if (buffer != screen->size) {
    const Result grown = console.set_screen_buffer_size(buffer);
    if (!grown.ok()) return grown;
  }
  const auto left = static_cast<std::int16_t>(
      std::min<int>(screen->window.left, buffer.columns - window.columns));
  const auto top =
      static_cast<std::int16_t>(std::min<int>(screen->window.top, buffer.rows - window.rows));
  const CellRect shown{left, top, static_cast<std::int16_t>(left + window.columns - 1),
                       static_cast<std::int16_t>(top + window.rows - 1)};
  if (shown == screen->window) return {};
  return console.set_console_window(shown);
}

}  // namespace vornalt
