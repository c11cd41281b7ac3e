#include "text/wtf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vornalt {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }
bool is_high_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool is_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

DecodedChar decode_wtf8_sequence(std::string_view text, std::size_t pos) {
  constexpr DecodedChar BAD{REPLACEMENT_CHARACTER, 1};
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  const std::size_t left = text.size() - pos;
  const unsigned char lead = p[0];
  if (lead >= 0xC2 && lead <= 0xDF) {
    if (left < 2 || !is_continuation(p[1])) return BAD;
    return {static_cast<char32_t>(((lead & 0x1F) << 6) | (p[1] & 0x3F)), 2};
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (left < 3 || !is_continuation(p[1]) || !is_continuation(p[2])) return BAD;
    const auto code =
        static_cast<char32_t>(((lead & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
    return code < 0x800 ? BAD : DecodedChar{code, 3};
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (left < 4 || !is_continuation(p[1]) || !is_continuation(p[2]) || !is_continuation(p[3])) {
      return BAD;
    }
    const auto code = static_cast<char32_t>(((lead & 0x07) << 18) | ((p[1] & 0x3F) << 12) |
                                            ((p[2] & 0x3F) << 6) | (p[3] & 0x3F));
    return code < 0x10000 || code > 0x10FFFF ? BAD : DecodedChar{code, 4};
  }
  return BAD;
}

void append_wtf8_sequence(std::string& out, char32_t c) {
  if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string to_wtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (is_high_surrogate(c) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    append_wtf8(out, c);
  }
  return out;
}

std::size_t to_utf16_part(std::string_view wtf8, std::size_t& pos, char16_t* out,
                          std::size_t capacity) {
  char16_t* next = out;
  char16_t* const end = out + capacity;
  while (pos < wtf8.size() && end - next >= 2) {
    // Eight ASCII bytes at a time: the usual command line is all ASCII.
    std::uint64_t eight;
    if (wtf8.size() - pos >= 8 && end - next >= 8 &&
        (std::memcpy(&eight, wtf8.data() + pos, 8), (eight & 0x8080808080808080) == 0)) {
      for (int i = 0; i < 8; ++i) *next++ = static_cast<char16_t>(wtf8[pos + i]);
      pos += 8;
      continue;
    }
    if (static_cast<unsigned char>(wtf8[pos]) < 0x80) {
      *next++ = static_cast<char16_t>(wtf8[pos++]);
      continue;
    }
    const DecodedChar d = decode_wtf8_sequence(wtf8, pos);
    pos += d.length;
    if (d.code < 0x10000) {
      *next++ = static_cast<char16_t>(d.code);
    } else {
      *next++ = static_cast<char16_t>(0xD800 + ((d.code - 0x10000) >> 10));
      *next++ = static_cast<char16_t>(0xDC00 + ((d.code - 0x10000) & 0x3FF));
    }
  }
  return static_cast<std::size_t>(next - out);
}

std::size_t utf16_piece_size(std::u16string_view text, std::size_t limit) {
  std::size_t size = std::min(text.size(), limit);
  if (size < text.size() && is_high_surrogate(text[size - 1])) --size;
  return size;
}

std::u16string to_utf16(std::string_view wtf8) {
  // Never more units than bytes (plus room for the last pair): size once,
  // convert, then trim.
  std::u16string out(wtf8.size() + 1, u'\0');
  std::size_t pos = 0;
  out.resize(to_utf16_part(wtf8, pos, out.data(), out.size()));
  return out;
}

std::string to_utf8_lossy(std::string_view wtf8) {
  // Going through UTF-16 pairs up a high and a low surrogate that were
  // encoded separately, exactly as Windows would read them.
  const std::u16string units = to_utf16(wtf8);
  std::string out = to_wtf8(units);
  if (out.find('\xED') == std::string::npos) return out;
  std::string clean;
  clean.reserve(out.size());
  for (std::size_t pos = 0; pos < out.size();) {
    const DecodedChar d = decode_wtf8(out, pos);
    append_wtf8(clean, is_surrogate(d.code) ? REPLACEMENT_CHARACTER : d.code);
    pos += d.length;
  }
  return clean;
}

}  // namespace vornalt
