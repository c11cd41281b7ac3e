// Where and how the new window opens: minimized, maximized or full screen,
// without taking the focus, a size in character cells, a position in pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vornalt {

/// The window's state when it opens.
enum class WindowShow { normal, minimized, maximized, fullscreen };

/// A window's size in character cells, each from 1 to 32767.
struct Cells {
  std::int16_t columns = 0;
  std::int16_t rows = 0;
  bool operator==(const Cells&) const = default;
};

/// A window's top-left corner in pixels from the primary screen's, each
/// from -32768 to 32767.
struct Pixels {
  std::int16_t x = 0;
  std::int16_t y = 0;
  bool operator==(const Pixels&) const = default;
};

/// What the user asked of the window. Nothing asked: it opens as the host
/// opens every window.
struct WindowLayout {
  WindowShow show = WindowShow::normal;
  /// Shown, but behind the window that has the focus.
  bool no_focus = false;
  std::optional<Cells> size;
  std::optional<Pixels> position;

  bool asked() const { return show != WindowShow::normal || no_focus || size || position; }
  bool operator==(const WindowLayout&) const = default;
};

/// "COLS,ROWS" and "X,Y": two whole numbers in range, with one comma and no
/// blanks; nothing for any other text.
std::optional<Cells> parse_cells(std::string_view text);
std::optional<Pixels> parse_pixels(std::string_view text);

/// "120,40" and "-1200,80": as the options take them, and as wt.exe's
/// --size and --pos do.
std::string to_string(Cells size);
std::string to_string(Pixels position);

/// "120x40 cells".
std::string describe(Cells size);

/// What was asked, for the summary: "maximized", "120x40 cells at
/// -1200,80, no focus".
std::string describe(const WindowLayout& layout);

/// The show commands of a process's STARTUPINFO (wShowWindow) that the
/// window options use, by their SW_ values.
enum class ShowCommand : std::uint16_t {
  show_maximized = 3,       // SW_SHOWMAXIMIZED
  show_no_activate = 4,     // SW_SHOWNOACTIVATE
  show_min_no_activate = 7  // SW_SHOWMINNOACTIVE
};

/// "SW_SHOWMINNOACTIVE".
std::string_view name(ShowCommand command);

/// What a host's own STARTUPINFO says of its window: with
/// STARTF_USESHOWWINDOW a show command, with STARTF_USEPOSITION a position.
/// Nothing: the host shows it as it shows every window.
struct StartupWindow {
  std::optional<ShowCommand> show;
  std::optional<Pixels> position;

  bool operator==(const StartupWindow&) const = default;
};

/// "dwFlags STARTF_USESHOWWINDOW | STARTF_USEPOSITION, wShowWindow
/// SW_SHOWMINNOACTIVE (7), dwX -1200, dwY 80": for the dry run.
std::string describe(const StartupWindow& startup);

}  // namespace vornalt
