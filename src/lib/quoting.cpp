#include "quoting.h"

#include <algorithm>
#include <array>

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

// A set of bytes, to test each byte of a word with one lookup.
struct ByteSet {
  std::array<bool, 256> members{};
  void add(unsigned char byte) { members[byte] = true; }
  bool has(unsigned char byte) const { return members[byte]; }
};

// The bytes that may begin a character that makes a word need quoting: the
// ASCII specials themselves, and the lead bytes of the non-ASCII ones.
ByteSet trigger_bytes(const QuotingRule& rule) {
  ByteSet set;
  auto add = [&](char32_t c) {
    std::string bytes;
    append_wtf8(bytes, c);
    set.add(static_cast<unsigned char>(bytes[0]));
  };
  for (char32_t c : rule.special_chars) add(c);
  for (char32_t c : rule.quote_alternates) add(c);
  return set;
}

bool needs_quoting(std::string_view word, const QuotingRule& rule, const ByteSet& triggers) {
  for (std::size_t pos = 0; pos < word.size(); ++pos) {
    const auto byte = static_cast<unsigned char>(word[pos]);
    if (!triggers.has(byte)) continue;
    if (byte < 0x80) return true;
    const char32_t c = decode_wtf8(word, pos).code;
    if (contains(rule.special_chars, c) || contains(rule.quote_alternates, c)) return true;
  }
  return false;
}

void append_quoted(std::string& out, std::string_view word, const QuotingRule& rule,
                   const ByteSet& triggers) {
  if (!needs_quoting(word, rule, triggers)) {
    out += word;
    return;
  }
  append_wtf8(out, rule.quote_char);
  // Copy runs of ordinary bytes whole; stop only at a quote character (ASCII
  // in both rules) or a non-ASCII character that may be one of its alternates.
  const auto quote = static_cast<unsigned char>(rule.quote_char);
  std::size_t run = 0;
  for (std::size_t pos = 0; pos < word.size();) {
    const auto byte = static_cast<unsigned char>(word[pos]);
    if (byte != quote && (byte < 0x80 || rule.quote_alternates.empty())) {
      ++pos;
      continue;
    }
    const DecodedChar d = decode_wtf8(word, pos);
    if (d.code == rule.quote_char || contains(rule.quote_alternates, d.code)) {
      out.append(word, run, pos + d.length - run);
      run = pos;  // the character goes out twice
    }
    pos += d.length;
  }
  out.append(word, run);
  append_wtf8(out, rule.quote_char);
}

void append_quoted_for_argv(std::string& out, std::string_view word) {
  const bool wrap = word.empty() || word.find_first_of(" \t") != std::string_view::npos;
  if (wrap) out += '"';
  std::size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
    } else {
      // The backslashes before a quote are doubled, and the quote escaped.
      if (c == '"') out.append(backslashes + 1, '\\');
      backslashes = 0;
    }
    out += c;
  }
  if (wrap) {
    out.append(backslashes, '\\');  // so that the closing quote stays one
    out += '"';
  }
}

// A caret before each of ^ & | < > that cmd reads outside quotes; cmd
// toggles its quoting at every `"`, escaped for the C runtime or not.
std::string escape_for_cmd(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  bool in_quotes = false;
  for (char c : text) {
    if (c == '"') {
      in_quotes = !in_quotes;
    } else if (!in_quotes && std::string_view("^&|<>").find(c) != std::string_view::npos) {
      out += '^';
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string quote_argument(std::string_view word, const QuotingRule& rule) {
  std::string out;
  out.reserve(word.size() + 2);
  append_quoted(out, word, rule, trigger_bytes(rule));
  return out;
}

std::string quote_for_powershell(std::string_view word) {
  return quote_argument(word, POWERSHELL_QUOTING);
}

std::string quote_for_argv(std::string_view word) {
  std::string out;
  out.reserve(word.size() + 2);
  append_quoted_for_argv(out, word);
  return out;
}

std::string quote_for_cmd(std::span<const std::string> words) {
  std::string joined;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) joined += ' ';
    append_quoted_for_argv(joined, words[i]);
  }
  return escape_for_cmd(joined);
}

std::string quote_arguments(std::span<const std::string> words, std::string_view shell) {
  if (equals_ignoring_ascii_case(shell, "cmd")) return quote_for_cmd(words);
  const ByteSet triggers = trigger_bytes(POWERSHELL_QUOTING);
  std::size_t size = words.size();
  for (const auto& word : words) size += word.size() + 2;
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += ' ';
    append_quoted(out, words[i], POWERSHELL_QUOTING, triggers);
  }
  return out;
}

}  // namespace vornalt
