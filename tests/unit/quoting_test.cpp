#include "compose/quoting.h"

#include <gtest/gtest.h>

#include <random>

#include "platform_readers.h"

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
  for (const auto& c : cases) {
    // One piece per word, the caret state carried from word to word.
    const std::vector<std::string> pieces = quote_words_for_cmd(c.words);
    EXPECT_EQ(pieces.size(), c.words.size()) << c.quoted;
    std::string joined;
    for (const std::string& piece : pieces) joined += (joined.empty() ? "" : " ") + piece;
    EXPECT_EQ(joined, c.quoted);
    EXPECT_EQ(quote_arguments(c.words, Shell::cmd), c.quoted);
  }
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
  Shell shell;
  std::string joined;
};

TEST(QuoteArguments, QuotesByShellAndJoinsWithOneBlank) {
  const JoinCase cases[] = {
      {{"cmd", "/c", "echo", "Hello", "&&", "pause"}, Shell::cmd, "cmd /c echo Hello ^&^& pause"},
      {{"Get-ChildItem", "-Recurse"}, Shell::powershell, "Get-ChildItem -Recurse"},
      {{"echo", "Hello", "&&", "pause"}, Shell::pwsh, "echo Hello '&&' pause"},
      {{"echo", "", "x"}, Shell::cmd, "echo \"\" x"},
      {{"Write-Output", "", "end"}, Shell::pwsh, "Write-Output '' end"},
      {{"a b"}, Shell::cmd, "\"a b\""},
      {{"it's", "a b"}, Shell::cmd, "it's \"a b\""},
      {{"it's", "a b"}, Shell::powershell, "& 'it''s' 'a b'"},
      // A quoted command word gets the call operator, or it would be a value.
      {{""}, Shell::pwsh, "& ''"},
      {{"", ""}, Shell::powershell, "& '' ''"},
      {{"C:\\Program Files\\Tool\\tool.exe", "a"},
       Shell::pwsh,
       "& 'C:\\Program Files\\Tool\\tool.exe' a"},
      {{"it's", "&"}, Shell::pwsh, "& 'it''s' '&'"},
      {{"my\u00A0prog"}, Shell::powershell, "& 'my\u00A0prog'"},
      {{"$x", "a b"}, Shell::pwsh, "$x 'a b'"},
      // Words exactly as typed, options among them.
      {{"x", "-s", "pwsh", "a b"}, Shell::cmd, "x -s pwsh \"a b\""},
      {{"echo", "it's", "&&"}, Shell::pwsh, "echo 'it''s' '&&'"},
      {{"echo", "it's", "&&"}, Shell::cmd, "echo it's ^&^&"},
      {{"-h", "--"}, Shell::cmd, "-h --"},
      {{""}, Shell::cmd, "\"\""},
      {{"ÀBÇ", "\xED\xB0\x80"}, Shell::cmd, "ÀBÇ \xED\xB0\x80"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quote_arguments(c.words, c.shell), c.joined) << c.joined;
  }
}

// The tests' reader of PowerShell, which the random test below relies on,
// reads a statement as PowerShell does: a string that begins it is a value,
// and a word after that value makes the whole script fail.
TEST(PowershellReading, AStatementRunsOnlyACommandThatBeginsIt) {
  using testing::PowershellWord;
  using Kind = PowershellWord::Kind;
  const struct {
    std::string line;
    std::vector<PowershellWord> words;
    bool runs;
  } cases[] = {
      {"'C:\\x y.exe' a", {{Kind::code, "'C:\\x y.exe'"}, {Kind::text, "a"}}, false},
      {"'x.exe'", {{Kind::code, "'x.exe'"}}, true},
      {"5 a", {{Kind::code, "5"}, {Kind::text, "a"}}, false},
      {"& 'C:\\x y.exe' a", {{Kind::command, "C:\\x y.exe"}, {Kind::text, "a"}}, true},
      {"$t = 'T' ; x -y",
       {{Kind::code, "$t"},
        {Kind::text, "="},
        {Kind::text, "T"},
        {Kind::end, ";"},
        {Kind::command, "x"},
        {Kind::parameter, "-y"}},
       true},
      {"echo a & b",
       {{Kind::command, "echo"}, {Kind::text, "a"}, {Kind::end, "&"}, {Kind::command, "b"}},
       true},
  };
  for (const auto& c : cases) {
    const testing::PowershellReading reading = testing::powershell_reading(c.line);
    EXPECT_EQ(reading.words, c.words) << c.line;
    EXPECT_EQ(reading.runs, c.runs) << c.line;
    EXPECT_TRUE(reading.complete) << c.line;
  }
}

// Characters that would split a bare word for PowerShell, end its command,
// open a string in it or act as an operator: a word holding one must
// arrive as typed.
constexpr std::string_view REACTIVE_PIECES[] = {
    " ",      "\t",     "\n",     "\r",     "\v",     "\f", "\u0085", "\u00A0",
    "\u1680", "\u2000", "\u2028", "\u2029", "\u3000", "'",  "‘",      "’",
    "‚",      "‛",      "\"",     "“",      "”",      "„",  "&",      "|"};
// The rest; a bare word of them may be code by design ($x, -x, a;b).
constexpr std::string_view OTHER_PIECES[] = {"$", "`", ";", "#",  "-", "–",
                                             "a", "x", "é", "日", "😀"};

TEST(QuoteArguments, PowershellReadsBackEveryWordThatWouldChange) {
  using testing::PowershellWord;
  std::mt19937 random(23);
  std::size_t must_arrive_count = 0;
  std::size_t checked = 0;
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::string> words;
    std::vector<bool> must_arrive;
    for (auto n = 1 + random() % 5; n > 0; --n) {
      std::string word;
      bool reactive = false;
      for (auto k = random() % 5; k > 0; --k) {
        const bool piece_reacts = random() % 3 == 0;
        reactive = reactive || piece_reacts;
        word += piece_reacts ? REACTIVE_PIECES[random() % std::size(REACTIVE_PIECES)]
                             : OTHER_PIECES[random() % std::size(OTHER_PIECES)];
      }
      // An empty word left bare would vanish.
      must_arrive.push_back(reactive || word.empty());
      must_arrive_count += must_arrive.back() ? 1 : 0;
      words.push_back(word);
    }
    const std::string line = quote_arguments(words, Shell::pwsh);
    const testing::PowershellReading reading = testing::powershell_reading(line);
    SCOPED_TRACE(line);
    // Up to the first bare word that reached past itself (`;`, a leading
    // `#`, a backtick before the blank), which is code by design.
    std::size_t k = 0;
    for (; k < words.size() && k < reading.words.size(); ++k) {
      const PowershellWord& got = reading.words[k];
      if (must_arrive[k]) {
        // The first word is the command that the statement runs.
        const auto kind = k == 0 ? PowershellWord::Kind::command : PowershellWord::Kind::text;
        ASSERT_EQ(got, (PowershellWord{kind, words[k]})) << k;
        ++checked;
      } else if (got.kind == PowershellWord::Kind::end || got.text != words[k]) {
        break;
      }
    }
    if (k == words.size()) {
      EXPECT_EQ(reading.words.size(), words.size());
      EXPECT_TRUE(reading.complete);
      // One statement, which a command begins: the script runs.
      EXPECT_TRUE(reading.runs || !must_arrive[0]);
    } else if (k == reading.words.size()) {
      EXPECT_FALSE(reading.complete);
    }
  }
  // Bare words cut few cases short.
  EXPECT_GT(checked, must_arrive_count * 3 / 4);
}

}  // namespace
}  // namespace vornalt
