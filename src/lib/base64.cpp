#include "base64.h"

namespace vornalt {

std::string encode_base64(std::span<const std::uint8_t> bytes) {
  static constexpr char ALPHABET[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    out += ALPHABET[(group >> 18) & 63];
    out += ALPHABET[(group >> 12) & 63];
    out += ALPHABET[(group >> 6) & 63];
    out += ALPHABET[group & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    const std::uint32_t group = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
    out += ALPHABET[(group >> 18) & 63];
    out += ALPHABET[(group >> 12) & 63];
    out += rest == 2 ? ALPHABET[(group >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace vornalt
