#include "error.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

TEST(Error, FromLastErrorCode) {
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {
      {2, 0x80070002},          {5, 0x80070005},
      {0x00012345, 0x80072345},                            // only the low 16 bits survive
      {0xFFFF, 0x8007FFFF},     {0xC0000022, 0xC0000022},  // negative: taken over unchanged
      {0xD0000022, 0xD0000022}, {0x80000000, 0x80000000},
      {0, 0x535F4F4B},  // no last-error code
  };
  for (const auto& [last_error, code] : cases) {
    EXPECT_EQ(static_cast<std::uint32_t>(error_from_win32(last_error).code().value), code)
        << last_error;
  }
}

TEST(Error, ShownCodeAndTextForm) {
  EXPECT_EQ(to_string(error_from_win32(2).shown_code()), "HRESULT(0x80070002)");
  EXPECT_EQ(to_string(error_from_win32(0).shown_code()), "HRESULT(0x00000000)");
  EXPECT_EQ(to_string(HRESULT{0x0000ABCD}), "HRESULT(0x0000ABCD)");
  EXPECT_EQ(to_string(HRESULT{-1}), "HRESULT(0xFFFFFFFF)");
}

TEST(Result, SuccessOrError) {
  EXPECT_TRUE(Result().ok());
  const Result failed = error_from_win32(2);
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), error_from_win32(2));
  EXPECT_FALSE(Result(error_from_win32(0)).ok());
}

TEST(MessageLookup, FlagsAndModule) {
  const struct {
    std::uint32_t code, flags, id;
    bool ntdll;
  } cases[] = {
      {0x80070002, 0x1300, 0x80070002, false}, {0, 0x1300, 0, false},
      {0xC0000022, 0x1300, 0xC0000022, false}, {0xD0000022, 0x1B00, 0xC0000022, true},
      {0x10000000, 0x1B00, 0, true},
  };
  for (const auto& c : cases) {
    const MessageLookup lookup = message_lookup(HRESULT{static_cast<std::int32_t>(c.code)});
    EXPECT_EQ(lookup.flags, c.flags) << c.code;
    EXPECT_EQ(lookup.message_id, c.id) << c.code;
    EXPECT_EQ(lookup.from_ntdll, c.ntdll) << c.code;
  }
}

TEST(TrimMessage, DropsTrailingBlanksAndLineEnds) {
  const std::pair<std::u16string, std::string> cases[] = {
      {u"The system cannot find the file specified.\r\n",
       "The system cannot find the file specified."},
      {u"Text \t\r\n\v\f  ", "Text"},
      {u"  Lead", "  Lead"},
      {u"Two\r\nlines\r\n", "Two\r\nlines"},
      {u"\r\n", ""},
      {u"", ""},
      {std::u16string{u'a', 0xD800, u'\n'}, "a\xEF\xBF\xBD"},
  };
  for (const auto& [text, trimmed] : cases) EXPECT_EQ(trim_message(text), trimmed);
}

TEST(QuoteDebug, EscapesLikeADebugString) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "\"\""},
      {"Access is denied.", "\"Access is denied.\""},
      {"a\\b\"c'd", "\"a\\\\b\\\"c'd\""},
      {std::string("\0\t\n\r", 4), "\"\\0\\t\\n\\r\""},
      {"\x01\x1b\x7f", "\"\\u{1}\\u{1b}\\u{7f}\""},
      {"Grüße 日本 😀", "\"Grüße 日本 😀\""},
      {"e\xCC\x81", "\"e\\u{301}\""},     // a combining mark
      {"\xC2\xA0", "\"\\u{a0}\""},        // no-break space
      {"\xE2\x80\xA8", "\"\\u{2028}\""},  // line separator
      {"\xE2\x80\x8B", "\"\\u{200b}\""},  // format character
      {"\xEE\x80\x80", "\"\\u{e000}\""},  // private use
      {"\xF0\x90\x80\x80", "\"\xF0\x90\x80\x80\""},
      {"\xCD\xB8", "\"\\u{378}\""},  // unassigned
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(quote_debug(text), quoted) << quoted;
}

TEST(DebugForm, CodeAndMessage) {
  EXPECT_EQ(debug_form(error_from_win32(2), "The system cannot find the file specified."),
            "Error { code: HRESULT(0x80070002), message: \"The system cannot find the file "
            "specified.\" }");
  EXPECT_EQ(debug_form(error_from_win32(0), ""),
            "Error { code: HRESULT(0x00000000), message: \"\" }");
}

}  // namespace
}  // namespace vornalt
