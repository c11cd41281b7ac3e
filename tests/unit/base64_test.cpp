#include "text/base64.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

using namespace std::string_view_literals;

std::string encode(std::string_view text) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
  std::string encoded;
  append_base64(encoded, {data, text.size()});
  return encoded;
}

TEST(Base64, Rfc4648Vectors) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [text, encoded] : cases) EXPECT_EQ(encode(text), encoded) << text;
}

TEST(Base64, UsesTheWholeStandardAlphabet) {
  EXPECT_EQ(encode("\x00\x10\x83\x10\x51\x87\x20\x92\x8b\x30\xd3\x8f\x41\x14\x93\x51\x55\x97"
                   "\x61\x96\x9b\x71\xd7\x9f\x82\x18\xa3\x92\x59\xa7\xa2\x9a\xab\xb2\xdb\xaf"
                   "\xc3\x1c\xb3\xd3\x5d\xb7\xe3\x9e\xbb\xf3\xdf\xbf"sv),
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
}

}  // namespace
}  // namespace vornalt
