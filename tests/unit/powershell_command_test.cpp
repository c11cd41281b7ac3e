#include "compose/powershell_command.h"

#include <gtest/gtest.h>

#include "base64_decode.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

struct ScriptCase {
  std::string target;
  std::string title;
  std::string arguments;
  std::string script;
};

TEST(PowershellScript, SetsTheTitleOnlyForConhost) {
  const ScriptCase cases[] = {
      {"conhost", "My Title", "Get-ChildItem -Recurse",
       "$host.UI.RawUI.WindowTitle = 'My Title' ; Get-ChildItem -Recurse"},
      // A bare title would be run as a command: it is always a string.
      {"conhost", "Demo", "x", "$host.UI.RawUI.WindowTitle = 'Demo' ; x"},
      {"conhost", "calc", "x", "$host.UI.RawUI.WindowTitle = 'calc' ; x"},
      {"conhost", "Bob's window", "x", "$host.UI.RawUI.WindowTitle = 'Bob''s window' ; x"},
      {"conhost", "$(calc)", "x", "$host.UI.RawUI.WindowTitle = '$(calc)' ; x"},
      {"conhost", "Bob’s", "x", "$host.UI.RawUI.WindowTitle = 'Bob’’s' ; x"},
      {"conhost", "Grüße 日本", "x", "$host.UI.RawUI.WindowTitle = 'Grüße 日本' ; x"},
      // A line end would end the assignment, a wide blank or a typographic
      // double quote would break the literal.
      {"conhost", "a\nb", "x", "$host.UI.RawUI.WindowTitle = 'a\nb' ; x"},
      {"conhost", "a\u3000b", "x", "$host.UI.RawUI.WindowTitle = 'a\u3000b' ; x"},
      {"conhost", "“x”", "x", "$host.UI.RawUI.WindowTitle = '“x”' ; x"},
      // Without a title there is nothing to set.
      {"conhost", "", "echo Hello", "echo Hello"},
      {"wt", "My Title", "echo Hello '&&' pause", "echo Hello '&&' pause"},
      {"wt", "", "echo Hello", "echo Hello"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(powershell_script(*target_named(c.target), c.title, c.arguments), c.script)
        << c.script;
  }
}

struct EncodeCase {
  std::string script;
  std::string encoded;
};

TEST(EncodePowershellCommand, Utf16LeInBase64) {
  const EncodeCase cases[] = {
      {"$host.UI.RawUI.WindowTitle = 'My Title' ; Get-ChildItem -Recurse",
       "JABoAG8AcwB0AC4AVQBJAC4AUgBhAHcAVQBJAC4AVwBpAG4AZABvAHcAVABpAHQAbABlACAAPQAgACcATQB5ACAAVAB"
       "p"
       "AHQAbABlACcAIAA7ACAARwBlAHQALQBDAGgAaQBsAGQASQB0AGUAbQAgAC0AUgBlAGMAdQByAHMAZQA="},
      {"echo Hello", "ZQBjAGgAbwAgAEgAZQBsAGwAbwA="},
      {"echo Hello '&&' pause", "ZQBjAGgAbwAgAEgAZQBsAGwAbwAgACcAJgAmACcAIABwAGEAdQBzAGUA"},
      {"", ""},
      {"a", "YQA="},        // one unit: one "="
      {"ab", "YQBiAA=="},   // two units: "=="
      {"abc", "YQBiAGMA"},  // three units: none
      {"ü", "/AA="},
      {"😀", "PdgA3g=="},         // a surrogate pair
      {"\xED\xA0\x80", "ANg="},  // an unpaired surrogate, as it was
  };
  for (const auto& c : cases) EXPECT_EQ(encode_powershell_command(c.script), c.encoded) << c.script;
}

TEST(EncodePowershellCommand, DecodesBackToTheScript) {
  const std::string scripts[] = {
      "$host.UI.RawUI.WindowTitle = 'Grüße' ; Write-Host '日本' 😀",
      "x\xED\xB0\x80y",
      std::string(1000, 'q') + "é",
      // Long enough to be encoded in slices, with a pair across a boundary.
      std::string(3071, 'a') + "😀" + std::string(3070, 'b') + "\xED\xA0\x80" + "é😀",
      std::string(3072 * 3 + 1, 'c'),
  };
  for (const auto& script : scripts) {
    const std::string bytes = testing::decode_base64(encode_powershell_command(script));
    ASSERT_EQ(bytes.size() % 2, 0u);
    std::u16string units;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    EXPECT_EQ(to_wtf8(units), script);
  }
}

}  // namespace
}  // namespace vornalt
