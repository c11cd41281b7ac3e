// Base64 decoding for tests: the program itself only encodes.
#pragma once

#include <string>
#include <string_view>

#include "text/wtf8.h"

namespace vornalt::testing {

inline std::string decode_base64(std::string_view text) {
  constexpr std::string_view ALPHABET =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    bits = (bits << 6) | static_cast<unsigned>(ALPHABET.find(c));
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

/// UTF-16LE bytes (a PowerShell script) as WTF-8.
inline std::string decode_utf16le(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  return to_wtf8(units);
}

}  // namespace vornalt::testing
