#include "quoting.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

struct QuoteCase {
  std::string word;
  std::string quoted;
};

TEST(QuoteForArgv, WrapsOnlyForBlanksAndEscapesQuotes) {
  const QuoteCase cases[] = {
      {"Hello", "Hello"},
      {"", "\"\""},
      {"a b", "\"a b\""},
      {"a\tb", "\"a\tb\""},
      {"a\"b", "a\\\"b"},
      {"\"", "\\\""},
      {"a\\b\\", "a\\b\\"},
      {"a\\\"b", "a\\\\\\\"b"},
      {"C:\\Program Files\\", "\"C:\\Program Files\\\\\""},
      {"a \\\\", "\"a \\\\\\\\\""},
      {"&|<>^%;", "&|<>^%;"},
      {"Grüße Welt", "\"Grüße Welt\""},
  };
  for (const auto& c : cases) EXPECT_EQ(quote_for_argv(c.word), c.quoted) << c.word;
}

struct WordsCase {
  std::vector<std::string> words;
  std::string quoted;
};

TEST(QuoteForCmd, CaretsOutsideCmdsQuotes) {
  const WordsCase cases[] = {
      {{"Hello"}, "Hello"},
      {{""}, "\"\""},
      {{"a b"}, "\"a b\""},
      {{"&&"}, "^&^&"},
      {{"a|b", "a<b>c", "^"}, "a^|b a^<b^>c ^^"},
      {{"say \"hi\""}, "\"say \\\"hi\\\"\""},
      {{"it's", "%PATH%"}, "it's %PATH%"},
      {{"C:\\Program Files\\"}, "\"C:\\Program Files\\\\\""},
      {{"Grüße Welt", "日本&"}, "\"Grüße Welt\" 日本^&"},
      // The escaped quote opens cmd's quotes: the second word lies inside.
      {{"a\"b", "x&y"}, "a\\\"b x&y"},
      {{"a\"b", "x&y", "\"", "&"}, "a\\\"b x&y \\\" ^&"},
      {{"a & b", "&"}, "\"a & b\" ^&"},
      {{"cmd", "/c", "echo", "Hello", "&&", "pause"}, "cmd /c echo Hello ^&^& pause"},
      {{"echo", "", "x"}, "echo \"\" x"},
  };
  for (const auto& c : cases) EXPECT_EQ(quote_for_cmd(c.words), c.quoted) << c.quoted;
}

TEST(QuoteForPowershell, QuotesOnlyWordsWithSpecialCharacters) {
  const QuoteCase cases[] = {
      {"Get-ChildItem", "Get-ChildItem"},
      {"", "''"},
      {"it's", "'it''s'"},
      {"a\"b", "'a\"b'"},
      {"&&", "'&&'"},
      {"My Title", "'My Title'"},
      {"a\tb", "'a\tb'"},
      {"a|b", "'a|b'"},
      {"a^b", "'a^b'"},
      {"a<b>c", "'a<b>c'"},
      {"$env:PATH", "$env:PATH"},
      {"a;b", "a;b"},
      {"'", "''''"},
      {"Grüße Welt", "'Grüße Welt'"},
      // PowerShell reads U+2018 to U+201B as apostrophes too: doubled, so
      // that they cannot end the quoted word.
      {"it’s", "'it’’s'"},
      {"x’ & calc & ‘", "'x’’ & calc & ‘‘'"},
      {"‚‛", "'‚‚‛‛'"},
      // PowerShell separates words at every White_Space character and ends
      // the statement at a line end; U+201C to U+201E open a string as `"`
      // does. Inside single quotes all of them are literal.
      {"a\nb", "'a\nb'"},
      {"a\rb", "'a\rb'"},
      {"a\u0085b", "'a\u0085b'"},
      {"a\u00A0b", "'a\u00A0b'"},
      {"a\u2028b", "'a\u2028b'"},
      {"a\u3000b", "'a\u3000b'"},
      {"\v\f", "'\v\f'"},
      {"“a”", "'“a”'"},
      {"x“”", "'x“”'"},
      {"„$x", "'„$x'"},
      {"it’s\n„", "'it’’s\n„'"},
      // A dash only acts as `-`.
      {"–x", "–x"},
      {"a–b—c", "a–b—c"},
  };
  for (const auto& c : cases) EXPECT_EQ(quote_for_powershell(c.word), c.quoted) << c.word;
}

struct JoinCase {
  std::vector<std::string> words;
  std::string shell;
  std::string joined;
};

TEST(QuoteArguments, QuotesByShellAndJoinsWithOneBlank) {
  const JoinCase cases[] = {
      {{"cmd", "/c", "echo", "Hello", "&&", "pause"}, "cmd", "cmd /c echo Hello ^&^& pause"},
      {{"Get-ChildItem", "-Recurse"}, "powershell", "Get-ChildItem -Recurse"},
      {{"echo", "Hello", "&&", "pause"}, "pwsh", "echo Hello '&&' pause"},
      {{"echo", "", "x"}, "cmd", "echo \"\" x"},
      {{"Write-Output", "", "end"}, "pwsh", "Write-Output '' end"},
      {{"a b"}, "cmd", "\"a b\""},
      {{"it's", "a b"}, "CMD", "it's \"a b\""},
      {{"it's", "a b"}, "powershell", "'it''s' 'a b'"},
      {{""}, "pwsh", "''"},
      {{"", ""}, "powershell", "'' ''"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quote_arguments(c.words, c.shell), c.joined) << c.joined;
  }
}

}  // namespace
}  // namespace vornalt
