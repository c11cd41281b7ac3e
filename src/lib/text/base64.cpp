#include "text/base64.h"

#include <array>
#include <cstring>

namespace vornalt {
namespace {

constexpr char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12-bit value: half as many lookups per group.
constexpr std::array<char, 8192> PAIRS = [] {
  std::array<char, 8192> pairs{};
  for (std::size_t i = 0; i < 4096; ++i) {
    pairs[2 * i] = ALPHABET[i >> 6];
    pairs[2 * i + 1] = ALPHABET[i & 63];
  }
  return pairs;
}();

}  // namespace

void append_base64(std::string& out, std::span<const std::uint8_t> bytes) {
  const std::size_t start = out.size();
  out.resize(start + (bytes.size() + 2) / 3 * 4, '=');
  char* next = out.data() + start;
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    std::memcpy(next, &PAIRS[std::size_t{2} * (group >> 12)], 2);
    std::memcpy(next + 2, &PAIRS[std::size_t{2} * (group & 0xFFF)], 2);
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
}

}  // namespace vornalt
