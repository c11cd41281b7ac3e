#include "text/wtf8.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

struct Conversion {
  std::u16string utf16;
  std::string wtf8;
};

TEST(Wtf8, ConvertsLosslesslyBothWays) {
  const Conversion cases[] = {
      {u"", ""},
      {u"abc", "abc"},
      {u"Grüße", "Grüße"},
      {u"日本語", "日本語"},
      {u"😀", "\xF0\x9F\x98\x80"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string(1, 0xD800), "\xED\xA0\x80"},
      {std::u16string(1, 0xDFFF), "\xED\xBF\xBF"},
      {std::u16string{u'a', 0xDC00, u'b', 0xD83D},
       "a\xED\xB0\x80"
       "b\xED\xA0\xBD"},
      {std::u16string{0xDC00, 0xD800}, "\xED\xB0\x80\xED\xA0\x80"},  // reversed: two lone units
      {std::u16string(1, u'\0'), std::string(1, '\0')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(to_wtf8(c.utf16), c.wtf8);
    EXPECT_EQ(to_utf16(c.wtf8), c.utf16) << c.wtf8;
  }
}

TEST(Wtf8, SeparatelyEncodedPairReadsAsThePair) {
  // Splitting "\uD83D\"\uDE00" drops the quote and leaves the two halves side
  // by side; Windows must still receive the same two units.
  EXPECT_EQ(to_utf16("\xED\xA0\xBD\xED\xB8\x80"), (std::u16string{0xD83D, 0xDE00}));
  EXPECT_EQ(to_utf8_lossy("\xED\xA0\xBD\xED\xB8\x80"), "😀");
}

TEST(Wtf8, MalformedBytesBecomeReplacementCharacters) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"\x80", u"\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"a\xE6\x97", u"a\uFFFD\uFFFD"},                    // cut short
      {"\xFF"
       "b",
       u"\uFFFDb"},
  };
  for (const auto& [bytes, units] : cases) EXPECT_EQ(to_utf16(bytes), units);
}

TEST(Wtf8, LossyOutputReplacesOnlyUnpairedSurrogates) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain Grüße 😀", "plain Grüße 😀"},
      {"a\xED\xA0\x80z", "a\xEF\xBF\xBDz"},
      {"\xED\xBF\xBF", "\xEF\xBF\xBD"},
      {"\xED\xB0\x80\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& [wtf8, utf8] : cases) EXPECT_EQ(to_utf8_lossy(wtf8), utf8);
}

TEST(Utf16PieceSize, NeverEndsAPieceBetweenTheHalvesOfAPair) {
  // The console is written in pieces of 8192 units.
  constexpr std::size_t LIMIT = 8192;
  const auto text = [](std::size_t a_count, std::u16string after) {
    return std::u16string(a_count, u'a') + after;
  };
  const struct {
    std::u16string text;
    std::size_t size;
  } cases[] = {
      {u"", 0},
      {text(5, u""), 5},
      {text(LIMIT - 1, {0xD83D, 0xDE00, u'b'}), LIMIT - 1},  // a pair across the end
      {text(LIMIT - 2, {0xD83D, 0xDE00, u'b'}), LIMIT},      // a pair just before it
      {text(LIMIT - 1, {0xD83D}), LIMIT},                    // the last unit: nothing follows
      {text(LIMIT - 1, {0xD800, u'b'}), LIMIT - 1},          // a lone high surrogate waits too
      {text(LIMIT - 1, {0xDC00, u'b'}), LIMIT},              // a lone low surrogate does not
      {text(LIMIT, u""), LIMIT},                             // exact multiples
      {text(2 * LIMIT, u""), LIMIT},
      {text(LIMIT, {0xD83D, 0xDE00}), LIMIT},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf16_piece_size(c.text, LIMIT), c.size) << c.text.size();
  }
}

}  // namespace
}  // namespace vornalt
