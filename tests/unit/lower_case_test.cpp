#include "text/lower_case.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

struct LowerCase {
  std::string text;
  std::string lower;
};

TEST(LowerCase, FullMappingWithFinalSigma) {
  const LowerCase cases[] = {
      {"", ""},
      {"WT", "wt"},
      {"CoNhOsT", "conhost"},
      {"/?-_09", "/?-_09"},
      {"ÀÉÎÕÜ", "àéîõü"},
      {"ÆØÅ", "æøå"},
      {"ẞ", "ß"},
      {"İ", "i\xCC\x87"},  // U+0130 becomes i and U+0307
      {"ΑΒΓ", "αβγ"},
      {"КИРИЛЛИЦА", "кириллица"},
      {"Ⅻ", "ⅻ"},
      {"𐐀", "𐐨"},  // outside the BMP
      {"ǅ", "ǆ"},
      {"\xE2\x84\xAA", "k"},  // U+212A Kelvin sign
      // Final sigma: cased before, no cased after (case-ignorables skipped).
      {"Σ", "σ"},
      {"ΑΣ", "ας"},
      {"ΑΣ Β", "ας β"},
      {"ΑΣΒ", "ασβ"},
      {"ΑΣ'", "ας'"},
      {"Α'Σ", "α'ς"},
      {"ΑΣ'Β", "ασ'β"},
      {"'Σ", "'σ"},
      {"1Σ", "1σ"},
      {"ΣΑΣ", "σας"},
      {"ΑΣ\xCC\x81", "ας\xCC\x81"},
      // Unpaired surrogates and characters without mappings stay.
      {"\xED\xA0\x80", "\xED\xA0\x80"},
      {"日本", "日本"},
  };
  for (const auto& c : cases) EXPECT_EQ(lower_case(c.text), c.lower) << c.text;
}

}  // namespace
}  // namespace vornalt
