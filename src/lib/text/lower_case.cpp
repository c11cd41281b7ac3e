#include "text/lower_case.h"

#include <algorithm>
#include <vector>

#include "text/unicode_tables.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

constexpr char32_t CAPITAL_SIGMA = 0x03A3;
constexpr char32_t SMALL_SIGMA = 0x03C3;
constexpr char32_t FINAL_SIGMA = 0x03C2;

template <typename Table>
auto find_mapping(const Table& table, char32_t c) {
  auto it = std::lower_bound(table.begin(), table.end(), c,
                             [](const auto& entry, char32_t value) { return entry.from < value; });
  return (it != table.end() && it->from == c) ? &*it : nullptr;
}

std::vector<char32_t> decode_all(std::string_view text) {
  std::vector<char32_t> chars;
  chars.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const DecodedChar d = decode_wtf8(text, pos);
    chars.push_back(d.code);
    pos += d.length;
  }
  return chars;
}

// The first character before or after `index`, skipping case-ignorable ones,
// is cased.
bool cased_before(const std::vector<char32_t>& chars, std::size_t index) {
  for (std::size_t i = index; i-- > 0;) {
    if (!unicode::is_case_ignorable(chars[i])) return unicode::is_cased(chars[i]);
  }
  return false;
}

bool cased_after(const std::vector<char32_t>& chars, std::size_t index) {
  for (std::size_t i = index + 1; i < chars.size(); ++i) {
    if (!unicode::is_case_ignorable(chars[i])) return unicode::is_cased(chars[i]);
  }
  return false;
}

bool is_final_sigma(const std::vector<char32_t>& chars, std::size_t index) {
  return cased_before(chars, index) && !cased_after(chars, index);
}

void append_lower(std::string& out, const std::vector<char32_t>& chars, std::size_t index) {
  const char32_t c = chars[index];
  if (c == CAPITAL_SIGMA) {
    append_wtf8(out, is_final_sigma(chars, index) ? FINAL_SIGMA : SMALL_SIGMA);
  } else if (const auto* multi = find_mapping(unicode::lower_multi, c)) {
    for (std::size_t i = 0; i < multi->length; ++i) append_wtf8(out, multi->to[i]);
  } else if (const auto* simple = find_mapping(unicode::lower_simple, c)) {
    append_wtf8(out, simple->to);
  } else {
    append_wtf8(out, c);
  }
}

}  // namespace

std::string lower_case(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  std::string out;
  out.reserve(text.size());
  if (ascii) {
    for (char c : text) out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
    return out;
  }
  const std::vector<char32_t> chars = decode_all(text);
  for (std::size_t i = 0; i < chars.size(); ++i) append_lower(out, chars, i);
  return out;
}

}  // namespace vornalt
