#include "text/command_line.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

struct SplitCase {
  std::string line;
  std::vector<std::string> args;
};

TEST(SplitCommandLine, FollowsTheRuntimeRules) {
  const SplitCase cases[] = {
      {"", {""}},
      {"prog", {"prog"}},
      {"prog a b", {"prog", "a", "b"}},
      {"prog  \t a\t\tb  ", {"prog", "a", "b"}},
      {"\"C:\\Program Files\\v.exe\" x", {"C:\\Program Files\\v.exe", "x"}},
      // Quotes in the program's name only open and close; backslashes stay.
      {"\"a\\\"b c", {"a\\b", "c"}},
      {"pro\"g x\"y z", {"prog xy", "z"}},
      {"prog \"a b\" c", {"prog", "a b", "c"}},
      {"prog \"\"", {"prog", ""}},
      {"prog \"\" \"\"", {"prog", "", ""}},
      {"prog a\"\"b", {"prog", "ab"}},
      // A doubled quote inside quotes is a literal quote; the quotes go on.
      {"prog \"a\"\"b c\"", {"prog", "a\"b c"}},
      {"prog \"\"\"\"", {"prog", "\""}},
      {"prog \"\"\"a b\"", {"prog", "\"a b"}},
      // Backslashes: literal unless they end at a quote.
      {"prog a\\b\\\\c", {"prog", "a\\b\\\\c"}},
      {"prog a\\\\\"b c\"", {"prog", "a\\b c"}},
      {"prog a\\\"b", {"prog", "a\"b"}},
      {"prog a\\\\\\\"b", {"prog", "a\\\"b"}},
      {"prog \"C:\\dir\\\\\" x", {"prog", "C:\\dir\\", "x"}},
      {"prog \"C:\\dir\\\" x", {"prog", "C:\\dir\" x"}},
      {"prog trailing\\", {"prog", "trailing\\"}},
      {"prog \"open", {"prog", "open"}},
      {"prog \"open \\", {"prog", "open \\"}},
      {"prog \"a\tb\"\tc", {"prog", "a\tb", "c"}},
      {"prog Grüße \"日本 語\" 😀", {"prog", "Grüße", "日本 語", "😀"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split_command_line(c.line), c.args) << "line: " << c.line;
  }
}

}  // namespace
}  // namespace vornalt
