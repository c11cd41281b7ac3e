#include "quoting.h"

#include <algorithm>

#include "wtf8.h"

namespace vornalt {
namespace {

bool equals_ignoring_ascii_case(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

bool contains(std::span<const char32_t> list, char32_t c) {
  return std::find(list.begin(), list.end(), c) != list.end();
}

bool needs_quoting(std::string_view word, const QuotingRule& rule) {
  for (std::size_t pos = 0; pos < word.size();) {
    const DecodedChar d = decode_wtf8(word, pos);
    if (contains(rule.special_chars, d.code) || contains(rule.quote_alternates, d.code)) {
      return true;
    }
    pos += d.length;
  }
  return false;
}

}  // namespace

std::string quote_argument(std::string_view word, const QuotingRule& rule) {
  if (!needs_quoting(word, rule)) return std::string(word);
  std::string out;
  out.reserve(word.size() + 2);
  append_wtf8(out, rule.quote_char);
  for (std::size_t pos = 0; pos < word.size();) {
    const DecodedChar d = decode_wtf8(word, pos);
    const std::string_view bytes = word.substr(pos, d.length);
    if (d.code == rule.quote_char || contains(rule.quote_alternates, d.code)) out += bytes;
    out += bytes;
    pos += d.length;
  }
  append_wtf8(out, rule.quote_char);
  return out;
}

std::string quote_for_cmd(std::string_view word) { return quote_argument(word, CMD_QUOTING); }

std::string quote_for_powershell(std::string_view word) {
  return quote_argument(word, POWERSHELL_QUOTING);
}

std::string quote_arguments(std::span<const std::string> words, std::string_view shell) {
  const QuotingRule& rule =
      equals_ignoring_ascii_case(shell, "cmd") ? CMD_QUOTING : POWERSHELL_QUOTING;
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += ' ';
    out += quote_argument(words[i], rule);
  }
  return out;
}

}  // namespace vornalt
