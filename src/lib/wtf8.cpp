#include "wtf8.h"

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
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length;
  char32_t code;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return {REPLACEMENT_CHARACTER, 1};
  }
  if (text.size() - pos < length) return {REPLACEMENT_CHARACTER, 1};
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[pos + i]);
    if (!is_continuation(byte)) return {REPLACEMENT_CHARACTER, 1};
    code = (code << 6) | (byte & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF) return {REPLACEMENT_CHARACTER, 1};
  return {code, length};
}

void append_wtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
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

std::u16string to_utf16(std::string_view wtf8) {
  // Never more units than bytes: size once, write, then trim.
  std::u16string out(wtf8.size(), u'\0');
  char16_t* next = out.data();
  for (std::size_t pos = 0; pos < wtf8.size();) {
    // Eight ASCII bytes at a time: the usual command line is all ASCII.
    std::uint64_t eight;
    if (wtf8.size() - pos >= 8 &&
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
  out.resize(static_cast<std::size_t>(next - out.data()));
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
