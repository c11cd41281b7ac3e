// Checks lower_case against ICU's u_strToLower in the root locale.
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include <gtest/gtest.h>

#include <random>

#include "text/lower_case.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

std::u16string icu_lower(const std::u16string& text) {
  std::u16string out(text.size() * 3 + 4, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = u_strToLower(out.data(), static_cast<int32_t>(out.size()), text.data(),
                                      static_cast<int32_t>(text.size()), "", &status);
  EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::u16string lower_utf16(const std::u16string& text) {
  return to_utf16(lower_case(to_wtf8(text)));
}

TEST(LowerCaseAgainstIcu, EveryCodePoint) {
  int mismatches = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string text;
    append_wtf8(text, c);
    const std::u16string units = to_utf16(text);
    if (lower_utf16(units) != icu_lower(units)) {
      if (++mismatches < 10) ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(c);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(LowerCaseAgainstIcu, SigmaInContext) {
  // Cased letters, case-ignorables (apostrophe, colon, combining marks, a
  // soft hyphen, a modifier letter), uncased characters and sigmas.
  const std::u16string alphabet = u"\u03A3\u03A3\u03A3A\u03B1\u0391'.:\u0301\u00AD\u02B0 1-\u05D0";
  std::mt19937 random(12345);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(1, 8);
  for (int i = 0; i < 200000; ++i) {
    std::u16string text;
    for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
    ASSERT_EQ(lower_utf16(text), icu_lower(text)) << to_wtf8(text);
  }
}

}  // namespace
}  // namespace vornalt
