#include "base64.h"

namespace vornalt {

std::string encode_base64(std::span<const std::uint8_t> bytes) {
  static constexpr char ALPHABET[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out((bytes.size() + 2) / 3 * 4, '=');
  char* next = out.data();
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    next[0] = ALPHABET[(group >> 18) & 63];
    next[1] = ALPHABET[(group >> 12) & 63];
    next[2] = ALPHABET[(group >> 6) & 63];
    next[3] = ALPHABET[group & 63];
    next += 4;
  }
  // One or two bytes left: two or three characters, the rest stays "=".
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    const std::uint32_t group = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
    next[0] = ALPHABET[(group >> 18) & 63];
    next[1] = ALPHABET[(group >> 12) & 63];
    if (rest == 2) next[2] = ALPHABET[(group >> 6) & 63];
  }
  return out;
}

}  // namespace vornalt
