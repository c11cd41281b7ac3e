#include "relay/console_size.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace vornalt {
namespace {

// The buffer grows where the window would pass it, and never shrinks: its
// height is the scroll-back. The window keeps its place where it fits, and
// never reaches past the buffer. A console that would refuse to change what
// need not change is never asked to.
TEST(SetConsoleWindowSize, GrowsTheBufferToTheWindowAndNeverShrinksIt) {
  const struct {
    ScreenBuffer screen;
    Cells asked;
    Cells buffer;     // at the end
    CellRect window;  // at the end
  } cases[] = {
      // A buffer wider and taller than the window asked: only the window.
      {{{120, 9001}, {0, 0, 119, 29}, {200, 60}}, {100, 40}, {120, 9001}, {0, 0, 99, 39}},
      // Narrower: the buffer widened first, its height kept.
      {{{80, 9001}, {0, 0, 79, 24}, {200, 60}}, {120, 40}, {120, 9001}, {0, 0, 119, 39}},
      // Shorter than the window asked: made as tall as it.
      {{{120, 30}, {0, 0, 119, 29}, {200, 60}}, {120, 40}, {120, 40}, {0, 0, 119, 39}},
      // Scrolled down: the window stays where it was in the buffer ...
      {{{120, 9001}, {0, 500, 119, 529}, {200, 60}}, {120, 50}, {120, 9001}, {0, 500, 119, 549}},
      // ... unless it would pass the buffer's end.
      {{{120, 100}, {0, 80, 119, 99}, {200, 60}}, {120, 40}, {120, 100}, {0, 60, 119, 99}},
      // More than the screen allows: as much as it does.
      {{{120, 9001}, {0, 0, 119, 29}, {150, 50}}, {300, 80}, {150, 9001}, {0, 0, 149, 49}},
      // A screen whose size is not known: as asked.
      {{{80, 25}, {0, 0, 79, 24}, {0, 0}}, {300, 80}, {300, 80}, {0, 0, 299, 79}},
      // Already so: nothing to do.
      {{{120, 9001}, {0, 0, 119, 29}, {200, 60}}, {120, 30}, {120, 9001}, {0, 0, 119, 29}},
  };
  for (const auto& c : cases) {
    testing::FakeConsole console;
    console.screen = c.screen;
    if (c.buffer == c.screen.size) console.buffer_size_result = error_from_win32(87);
    if (c.window == c.screen.window) console.window_result = error_from_win32(87);
    EXPECT_TRUE(set_console_window_size(c.asked, console).ok()) << to_string(c.asked);
    EXPECT_EQ(console.screen.size, c.buffer) << to_string(c.asked);
    EXPECT_EQ(console.screen.window, c.window) << to_string(c.asked);
    if (const auto buffer = console.buffer_when_window_set) {
      EXPECT_TRUE(c.window.right < buffer->columns && c.window.bottom < buffer->rows);
    }
  }
}

// A console that refuses: the error of the call it refused, and no window
// shown beyond what it allowed.
TEST(SetConsoleWindowSize, AConsoleThatRefusesGivesItsError) {
  const struct {
    Result screen = {};
    Result buffer = {};
    Result window = {};
  } cases[] = {
      {.screen = error_from_win32(6)},
      {.buffer = error_from_win32(87)},
      {.window = error_from_win32(87)},
  };
  for (const auto& c : cases) {
    testing::FakeConsole console;
    console.screen = {{80, 25}, {0, 0, 79, 24}, {200, 60}};
    console.screen_result = c.screen;
    console.buffer_size_result = c.buffer;
    console.window_result = c.window;
    const Result refused = !c.screen.ok() ? c.screen : !c.buffer.ok() ? c.buffer : c.window;
    EXPECT_EQ(set_console_window_size({100, 40}, console).error(), refused.error());
    EXPECT_EQ(console.screen.window, (CellRect{0, 0, 79, 24}));
  }
}

}  // namespace
}  // namespace vornalt
