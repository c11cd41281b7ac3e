#include "terminal_tab.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

// The share as split-pane's -s reads it, which Terminal checks to lie in
// 0.01..0.99: a percent of 5 is 0.05, not 0.5.
TEST(PaneShare, IsThePercentAsADecimalFraction) {
  const std::pair<int, std::string> cases[] = {{1, "0.01"}, {5, "0.05"},  {9, "0.09"}, {10, "0.1"},
                                               {30, "0.3"}, {55, "0.55"}, {99, "0.99"}};
  for (const auto& [percent, share] : cases) EXPECT_EQ(pane_share(percent), share) << percent;
}

TEST(TerminalTab, TheSummarySaysWhatWasAsked) {
  EXPECT_EQ(describe_split({.split = SplitDirection::right, .split_percent = 30}),
            "split right, 30%");
  EXPECT_EQ(describe_split({.split = SplitDirection::automatic}), "split auto");
  EXPECT_EQ(describe_split({}), "");
  EXPECT_EQ(describe_profile({.profile = "Dev", .color = "#3A7BD5"}), "Dev, tab color #3A7BD5");
  EXPECT_EQ(describe_profile({.color = "#fff"}), "default, tab color #fff");
}

}  // namespace
}  // namespace vornalt
