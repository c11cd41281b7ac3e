#include "relay/console_size.h"

#include <gtest/gtest.h>

#include "fake_system.h"

namespace vornalt {
namespace {

using Calls = std::vector<std::string>;

// The buffer grows where the window would pass it, and never shrinks: its
// height is the scroll-back. The window keeps its place where it fits.
TEST(SetConsoleWindowSize, GrowsTheBufferToTheWindowAndNeverShrinksIt) {
  const struct {
    ScreenBuffer screen;
    Cells asked;
    Calls calls;
    Cells buffer;  // at the end
  } cases[] = {
      // A buffer wider and taller than the window asked: only the window.
      {{{120, 9001}, {0, 0, 119, 29}, {200, 60}},
       {100, 40},
       {"SetConsoleWindowInfo(0,0,99,39)"},
       {120, 9001}},
      // Narrower: the buffer widened first, its height kept.
      {{{80, 9001}, {0, 0, 79, 24}, {200, 60}},
       {120, 40},
       {"SetConsoleScreenBufferSize(120,9001)", "SetConsoleWindowInfo(0,0,119,39)"},
       {120, 9001}},
      // Shorter than the window asked: made as tall as it.
      {{{120, 30}, {0, 0, 119, 29}, {200, 60}},
       {120, 40},
       {"SetConsoleScreenBufferSize(120,40)", "SetConsoleWindowInfo(0,0,119,39)"},
       {120, 40}},
      // Scrolled down: the window stays where it was in the buffer ...
      {{{120, 9001}, {0, 500, 119, 529}, {200, 60}},
       {120, 50},
       {"SetConsoleWindowInfo(0,500,119,549)"},
       {120, 9001}},
      // ... unless it would pass the buffer's end.
      {{{120, 100}, {0, 80, 119, 99}, {200, 60}},
       {120, 40},
       {"SetConsoleWindowInfo(0,60,119,99)"},
       {120, 100}},
      // More than the screen allows: as much as it does.
      {{{120, 9001}, {0, 0, 119, 29}, {150, 50}},
       {300, 80},
       {"SetConsoleScreenBufferSize(150,9001)", "SetConsoleWindowInfo(0,0,149,49)"},
       {150, 9001}},
      // A screen whose size is not known: as asked.
      {{{80, 25}, {0, 0, 79, 24}, {0, 0}},
       {300, 80},
       {"SetConsoleScreenBufferSize(300,80)", "SetConsoleWindowInfo(0,0,299,79)"},
       {300, 80}},
      // Already so: nothing to do.
      {{{120, 9001}, {0, 0, 119, 29}, {200, 60}}, {120, 30}, {}, {120, 9001}},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    system.screen = c.screen;
    EXPECT_TRUE(set_console_window_size(c.asked, system).ok()) << to_string(c.asked);
    EXPECT_EQ(system.calls, c.calls) << to_string(c.asked);
    EXPECT_EQ(system.screen.size, c.buffer) << to_string(c.asked);
  }
}

// A console that refuses: the error of the call it refused, and no window
// larger than the buffer asked for.
TEST(SetConsoleWindowSize, AConsoleThatRefusesGivesItsError) {
  testing::FakeSystem unreadable;
  unreadable.screen_result = error_from_win32(6);
  EXPECT_EQ(set_console_window_size({100, 40}, unreadable).error(), error_from_win32(6));
  EXPECT_EQ(unreadable.calls, Calls{});

  testing::FakeSystem no_buffer;
  no_buffer.screen = {{80, 25}, {0, 0, 79, 24}, {200, 60}};
  no_buffer.buffer_size_result = error_from_win32(87);
  EXPECT_EQ(set_console_window_size({100, 40}, no_buffer).error(), error_from_win32(87));
  EXPECT_EQ(no_buffer.calls, Calls{"SetConsoleScreenBufferSize(100,40)"});

  testing::FakeSystem no_window;
  no_window.console_window_result = error_from_win32(87);
  EXPECT_EQ(set_console_window_size({100, 40}, no_window).error(), error_from_win32(87));
}

}  // namespace
}  // namespace vornalt
