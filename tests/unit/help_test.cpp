#include "cli/help.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes.h"
#include "help_screen.h"

namespace vornalt {
namespace {

std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in{std::string(text)};
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// What the literal screen below cannot show: no carriage return, no tab,
// and a line feed at the end of every line.
TEST(HelpText, ShapeAndBytes) {
  EXPECT_EQ(BANNER, "vornalt Console Launcher, v1.0.0\n\n");
  EXPECT_EQ(help_text().back(), '\n');
  EXPECT_EQ(help_text().find_first_of("\r\t"), std::string_view::npos);
}

struct WrapCase {
  std::string text;
  std::size_t width;
  std::string wrapped;
};

TEST(WrapText, EdgeCases) {
  const WrapCase cases[] = {
      {"", 10, ""},
      {"\n", 10, "\n"},
      {"\n\n", 10, "\n\n"},
      {"abc", 10, "abc\n"},  // no final line feed
      {"abc\n", 10, "abc\n"},
      {"abc\r\n", 10, "abc\n"},             // CR before LF dropped
      {"a\rb\r\n", 10, "a\rb\n"},           // CR elsewhere stays
      {"abc\r", 10, "abc\r\n"},             // no LF after it: stays
      {"abcde", 5, "abcde\n"},              // exact width
      {"ab de", 4, "ab \nde\n"},            // one over
      {"abcd ef", 4, "abcd\n ef\n"},        // blank just past the window: hard cut
      {"abc defgh", 4, "abc \ndefg\nh\n"},  // blank at the end of the window
      {" abcdefg", 4, " \nabcd\nefg\n"},    // blank only at the window's start
      {"abcdefghij", 3, "abc\ndef\nghi\nj\n"},
      {"ab cd", 1, "a\nb\n \nc\nd\n"},
      {"a  b", 2, "a \n b\n"},
      {"a b c d e", 3, "a \nb \nc \nd e\n"},
      {"ab\ncdefg\n\nh i j", 3, "ab\ncde\nfg\n\nh \ni j\n"},
      // Other white space counts; cuts keep UTF-8 sequences whole.
      {"ab\xE3\x80\x80"
       "cd",
       5, "ab\xE3\x80\x80\ncd\n"},
      {"ab\xC2\xA0"
       "cd",
       4, "ab\xC2\xA0\ncd\n"},
      {"aé", 2, "a\né\n"},
      {"日本語", 4, "日\n本\n語\n"},
      {"日本語", 1, "日\n本\n語\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wrap_text(c.text, c.width), c.wrapped) << c.text << " at " << c.width;
  }
}

TEST(WrapText, HelpTextAtEightyHundredTwentyAndForty) {
  // At 80 columns only the first paragraph is wrapped (the whole screen:
  // PrintHelp below).
  EXPECT_EQ(wrap_text(help_text().substr(467), 80), help_text().substr(467));

  const std::vector<std::string> at120 = lines_of(wrap_text(help_text(), 120));
  std::vector<std::size_t> lengths;
  for (std::size_t i = 0; i < 5; ++i) lengths.push_back(at120[i].size());
  EXPECT_EQ(lengths, (std::vector<std::size_t>{119, 117, 108, 115, 7}));
  EXPECT_TRUE(at120[0].ends_with("The console window "));
  EXPECT_EQ(at120[4], "window.");
  EXPECT_EQ(at120[5], "");

  const std::string at40 = wrap_text(help_text(), 40);
  EXPECT_NE(at40.find("\n  vornalt.exe [help flag] <target> \n[options] <command> [args...]\n"),
            std::string::npos);
  EXPECT_NE(at40.find("\n  -t, --title, /t, /title  [window \ntitle]\n"), std::string::npos);
}

TEST(ConsoleWidth, FromTheVisibleWindow) {
  const struct {
    std::int16_t left, right;
    std::size_t width;
  } cases[] = {
      {0, 79, 80},         {0, 39, 40}, {10, 49, 40}, {0, 119, 120}, {0, 120, 120},
      {0, 200, 120},       {0, 0, 1},   {5, 3, 120},  {0, -1, 80},  // a width of 0 counts as 80
      {-32768, 32767, 80},                                          // wraps to 0 in 16 bits
      {32767, 32767, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(window_width(c.left, c.right), c.width) << c.left << ".." << c.right;
  }
  testing::FakeConsole console;
  EXPECT_EQ(console_width(console), 80u);
  console.window = ConsoleWindow{0, 39};
  EXPECT_EQ(console_width(console), 40u);
}

TEST(PrintHelp, BannerThenWrappedTextAndOneMoreLineFeed) {
  // Wider than 120 columns, only the first paragraph is wrapped otherwise.
  const std::string_view at80 = testing::HELP_SCREEN_80;
  const std::string_view after_first_paragraph = at80.substr(at80.find("\n\nUsage:"));
  const std::string at120 =
      "vornalt Console Launcher, v1.0.0\n\n"
      "This tool launches a new console window of the specified type with the specified shell "
      "and command. The console window \n"
      "is either created using Windows Console Host (conhost.exe) or Windows Terminal (wt.exe). "
      "The shell is one of Command \n"
      "Prompt (cmd.exe, by default), PowerShell Core (pwsh.exe, assuming this is installed), or "
      "Windows PowerShell \n"
      "(powershell.exe). The title of the console window can be specified, and the command is "
      "executed in the new console \n"
      "window." +
      std::string(after_first_paragraph);
  for (const auto& [right, screen] : {std::pair<std::int16_t, std::string_view>{79, at80},
                                      {149, at120},
                                      {-1, at80}}) {  // no console: 80 columns
    testing::FakeConsole console;
    if (right >= 0) console.window = ConsoleWindow{0, right};
    print_help(console);
    EXPECT_EQ(console.out, screen) << right;
    EXPECT_TRUE(console.err.empty());
  }
}

}  // namespace
}  // namespace vornalt
