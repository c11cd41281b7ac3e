#include "window_layout.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

// What the summary says of the window, and what the dry run says of a
// host's STARTUPINFO.
TEST(WindowLayout, DescribedAsAsked) {
  const struct {
    WindowLayout layout;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{.show = WindowShow::maximized}, "maximized"},
      {{.show = WindowShow::fullscreen}, "full screen"},
      {{.show = WindowShow::minimized, .no_focus = true}, "minimized, no focus"},
      {{.no_focus = true, .size = Cells{120, 40}, .position = Pixels{-1200, 80}},
       "120x40 cells at -1200,80, no focus"},
      {{.position = Pixels{-32768, 32767}}, "at -32768,32767"},
      {{.show = WindowShow::maximized, .size = Cells{1, 32767}}, "maximized, 1x32767 cells"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(describe(c.layout), c.text);
    EXPECT_EQ(c.layout.asked(), !c.text.empty()) << c.text;
  }
  const struct {
    StartupWindow startup;
    std::string text;
  } startups[] = {
      {{.show = ShowCommand::show_maximized},
       "dwFlags STARTF_USESHOWWINDOW, wShowWindow SW_SHOWMAXIMIZED (3)"},
      {{.show = ShowCommand::show_no_activate},
       "dwFlags STARTF_USESHOWWINDOW, wShowWindow SW_SHOWNOACTIVATE (4)"},
      {{.show = ShowCommand::show_min_no_activate, .position = Pixels{-1200, 80}},
       "dwFlags STARTF_USESHOWWINDOW | STARTF_USEPOSITION, wShowWindow SW_SHOWMINNOACTIVE (7), "
       "dwX -1200, dwY 80"},
      {{.position = Pixels{0, -1}}, "dwFlags STARTF_USEPOSITION, dwX 0, dwY -1"},
  };
  for (const auto& c : startups) EXPECT_EQ(describe(c.startup), c.text);
}

}  // namespace
}  // namespace vornalt
