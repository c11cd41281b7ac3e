// Conversions between UTF-16 and WTF-8, the UTF-8 superset that also encodes
// unpaired surrogates. Windows hands the program UTF-16 that need not be
// valid; carrying it as WTF-8 lets every argument reach the started process
// exactly as it was given.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vornalt {

inline constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

/// One character decoded from WTF-8 and the number of bytes it took.
struct DecodedChar {
  char32_t code;
  std::size_t length;
};

/// The non-ASCII case of decode_wtf8.
DecodedChar decode_wtf8_sequence(std::string_view text, std::size_t pos);

/// Decodes the character at `text[pos]` (pos < text.size()). Surrogate code
/// points are accepted; a malformed sequence decodes as U+FFFD of length 1.
inline DecodedChar decode_wtf8(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  return lead < 0x80 ? DecodedChar{lead, 1} : decode_wtf8_sequence(text, pos);
}

/// The non-ASCII case of append_wtf8.
void append_wtf8_sequence(std::string& out, char32_t c);

/// Appends `c` (any code point up to U+10FFFF, surrogates included).
inline void append_wtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else {
    append_wtf8_sequence(out, c);
  }
}

/// Lossless: pairs become 4-byte sequences, unpaired surrogates 3-byte ones.
std::string to_wtf8(std::u16string_view text);

/// The inverse of to_wtf8; malformed bytes become U+FFFD.
std::u16string to_utf16(std::string_view wtf8);

/// Converts WTF-8 from `pos` on into at most `capacity` (at least 2) units at
/// `out`, as far as they fit without splitting a pair; advances `pos` and
/// returns the number of units written.
std::size_t to_utf16_part(std::string_view wtf8, std::size_t& pos, char16_t* out,
                          std::size_t capacity);

/// The size of the first piece of `text` when at most `limit` units (at
/// least 2) go at once: all of it if it fits; a high surrogate is never the
/// last unit of a piece that more text follows, so no pair is split.
std::size_t utf16_piece_size(std::u16string_view text, std::size_t limit);

/// Valid UTF-8 for a pipe or file: every unpaired surrogate becomes U+FFFD.
std::string to_utf8_lossy(std::string_view wtf8);

}  // namespace vornalt
