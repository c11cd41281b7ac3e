// The stand-ins read their command lines with models of the Windows
// functions; here the models meet the real functions (Wine's here).
#include "platform_readers.h"

#include <gtest/gtest.h>

#include "random_text.h"

#include "text/wtf8.h"
#include "windows_support.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace vornalt {
namespace {

std::wstring wide(std::string_view wtf8) {
  const std::u16string units = to_utf16(wtf8);
  return {units.begin(), units.end()};
}

std::string narrow(const wchar_t* text) {
  const std::wstring units(text);
  return to_wtf8(std::u16string(units.begin(), units.end()));
}

// What CommandLineToArgvW reads, and the makings of %NAME% references.
constexpr std::string_view LINE_PIECES[] = {"\"", "\\", " ", "\t", "a", "é", "\\\\", "\"\""};
constexpr std::string_view REFERENCE_PIECES[] = {"%",         "VORNALT_A", "VORNALT_B",
                                                 "VORNALT_C", "x",         " "};

TEST(PlatformReaders, CommandLineToArgvMatchesTheRealOne) {
  std::mt19937 random(7);
  for (int i = 0; i < 5000; ++i) {
    // A non-empty program name: for an empty line the real one gives the
    // program's own path.
    const std::string line = "p" + testing::random_text(random, 12, LINE_PIECES);
    int count = 0;
    wchar_t** args = CommandLineToArgvW(wide(line).c_str(), &count);
    ASSERT_NE(args, nullptr);
    std::vector<std::string> real;
    for (int k = 0; k < count; ++k) real.push_back(narrow(args[k]));
    LocalFree(args);
    EXPECT_EQ(testing::command_line_to_argv(line), real) << line;
  }
}

TEST(PlatformReaders, ExpansionMatchesExpandEnvironmentStrings) {
  SetEnvironmentVariableW(L"VORNALT_A", L"1%VORNALT_B%");
  SetEnvironmentVariableW(L"VORNALT_B", L"2");
  const auto lookup = [](std::string_view name) -> std::optional<std::string> {
    if (name == "VORNALT_A") return "1%VORNALT_B%";
    if (name == "VORNALT_B") return "2";
    return std::nullopt;
  };
  std::mt19937 random(11);
  for (int i = 0; i < 2000; ++i) {
    const std::string text = testing::random_text(random, 8, REFERENCE_PIECES);
    wchar_t expanded[1024];
    ASSERT_GT(ExpandEnvironmentStringsW(wide(text).c_str(), expanded, 1024), 0u);
    EXPECT_EQ(testing::expand_variables(text, lookup), narrow(expanded)) << text;
  }
  SetEnvironmentVariableW(L"VORNALT_A", nullptr);
  SetEnvironmentVariableW(L"VORNALT_B", nullptr);
}

}  // namespace
}  // namespace vornalt
