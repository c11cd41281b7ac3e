// The console: this program's output, the console's window, and, for the
// relay, the console's events and its input.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "error.h"
#include "window_layout.h"

namespace vornalt {

enum class Stream { out, err };

/// The visible window of the console that standard output writes to.
struct ConsoleWindow {
  std::int16_t left;
  std::int16_t right;
};

/// A part of a screen buffer, in cells, its edges included.
struct CellRect {
  std::int16_t left = 0;
  std::int16_t top = 0;
  std::int16_t right = 0;
  std::int16_t bottom = 0;
  bool operator==(const CellRect&) const = default;
};

/// The screen buffer of this process's console: its size, the part of it
/// that the window shows, and the largest window that the screen allows
/// with the console's font (none: not known).
struct ScreenBuffer {
  Cells size;
  CellRect window;
  Cells largest;
};

class Console {
 public:
  virtual ~Console() = default;

  /// Writes `text` (WTF-8) to a stream at once. Failures are ignored: the
  /// program has nowhere left to report them.
  virtual void write(Stream stream, std::string_view text) = 0;
  /// The window of standard output's console, or nothing when it is no
  /// console.
  virtual std::optional<ConsoleWindow> console_window() = 0;
  /// Keeps Ctrl+C and Ctrl+Break in this console for the child (this
  /// process stays); when the console closes, holds this process, a few
  /// seconds at most, until let_console_close.
  virtual void keep_console_events_for_child() = 0;
  /// What this process had to report is out: closing the console ends it at
  /// once, and Ctrl+C or Ctrl+Break end the wait for a key.
  virtual void let_console_close() = 0;
  /// Drops the key presses that came before, in this console's input.
  virtual Result discard_console_input() = 0;
  /// Waits for a key press in this console; Ctrl+C or Ctrl+Break ends the
  /// wait as well.
  virtual Result wait_for_key_press() = 0;
  /// This console's screen buffer, and a new size for it, which may not be
  /// smaller than the window.
  virtual Expected<ScreenBuffer> screen_buffer() = 0;
  virtual Result set_screen_buffer_size(Cells size) = 0;
  /// Shows the part `window` of the screen buffer, which must lie in it.
  virtual Result set_console_window(CellRect window) = 0;
};

}  // namespace vornalt
