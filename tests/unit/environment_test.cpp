#include "environment.h"

#include <gtest/gtest.h>

#include "text/wtf8.h"

namespace vornalt {
namespace {

// The block's strings, each without its NUL; the block must end in two.
std::vector<std::string> strings_of(const std::u16string& block) {
  EXPECT_TRUE(block.ends_with(std::u16string(2, u'\0'))) << to_wtf8(block);
  std::vector<std::string> strings;
  std::u16string_view rest(block);
  rest.remove_suffix(1);
  for (std::size_t end; (end = rest.find(u'\0')) != std::u16string_view::npos;) {
    if (end > 0) strings.push_back(to_wtf8(rest.substr(0, end)));
    rest.remove_prefix(end + 1);
  }
  return strings;
}

TEST(EnvironmentBlock, TheChangesAppliedAndSortedAsWindowsExpects) {
  using Strings = std::vector<std::string>;
  const std::optional<std::string> removed;
  const struct {
    Strings environment;
    std::vector<Variable> changes;
    Strings block;
  } cases[] = {
      // The per-drive folders first, then by name without case; `_` after
      // the letters, as Windows, which upper-cases to compare.
      {{"b=2", "_x=1", "=C:=C:\\work", "A=1", "=D:=D:\\", "a_b=3"},
       {},
       {"=C:=C:\\work", "=D:=D:\\", "A=1", "a_b=3", "b=2", "_x=1"}},
      // A changed name replaced without case, a removed one gone, a new
      // one in its place in the order.
      {{"Path=C:\\Windows", "TEMP=C:\\t", "OLD=x"},
       {{"PATH", "D:\\bin"}, {"old", removed}, {"BUILD", "a=b c"}},
       {"BUILD=a=b c", "PATH=D:\\bin", "TEMP=C:\\t"}},
      {{"=C:=C:\\", "C:=y"}, {{"C:", removed}}, {"=C:=C:\\"}},
      // Non-ASCII names compare by their capitals too, after ASCII; values
      // as given.
      {{"é=1", "ä=3", "F=2"}, {{"É", "\xED\xA0\x80 \n"}}, {"F=2", "ä=3", "É=\xED\xA0\x80 \n"}},
      {{"ÿ=1", "z=2"}, {{"Z", removed}}, {"ÿ=1"}},
      // A letter with two capitals as the lesser: `å` as `Å` (not the
      // Angstrom sign), `ω` as `Ω` (not the Ohm sign).
      {{"ж=3", "Æ=2", "ω=4", "å=1"}, {}, {"å=1", "Æ=2", "ω=4", "ж=3"}},
      // A capital above its small letter: `ÿ` as `Ÿ` (U+0178), after `Ā`.
      {{"ÿ=1", "Ā=2"}, {}, {"Ā=2", "ÿ=1"}},
      // Two spellings of one name, which Windows would not keep: in one
      // order whatever their order in the environment.
      {{"Path=a", "PATH=b"}, {}, {"PATH=b", "Path=a"}},
      {{"PATH=b", "Path=a"}, {}, {"PATH=b", "Path=a"}},
      // Nothing left: still a block.
      {{"A=1"}, {{"a", removed}}, {}},
      {{}, {}, {}},
  };
  for (const auto& c : cases) {
    const std::u16string block = environment_block(c.environment, c.changes);
    EXPECT_EQ(strings_of(block), c.block) << to_wtf8(block);
  }
  EXPECT_EQ(environment_block({}, {}), std::u16string(2, u'\0'));
}

TEST(VariableName, SameWithoutCaseAndUpToTheFirstEqualsSignAfterTheFirstCharacter) {
  const struct {
    std::string a, b;
    bool same;
  } names[] = {{"Path", "PATH", true},
               {"path", "PATH_", false},
               {"é", "É", true},
               {"ß", "SS", false},
               {"_", "\x7F", false},
               {"", "", true},
               {"A\xED\xA0\x80", "a\xED\xA0\x80", true},
               // Windows upper-cases each UTF-16 unit alone: the Kelvin sign
               // is no `K`, and a pair's letters keep their case.
               {"\u212A", "K", false},
               {"\u212A", "k", false},
               {"ÿ", "Ÿ", true},
               // Letters past Latin-1, by the same table.
               {"ā", "Ā", true},
               {"ω", "Ω", true},
               {"ж", "Ж", true},
               {"ж", "ж\xED\xA0\x80", false},
               {"\U00010428", "\U00010400", false}};
  for (const auto& n : names) EXPECT_EQ(same_variable_name(n.a, n.b), n.same) << n.a << n.b;
  EXPECT_EQ(variable_name("=C:=C:\\x"), "=C:");
  EXPECT_EQ(variable_name("A=b=c"), "A");
  EXPECT_EQ(variable_name("A"), "A");
}

}  // namespace
}  // namespace vornalt
