#include "compose/quoting.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "text/unicode_tables.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

bool contains(std::span<const char32_t> list, char32_t c) {
  return std::find(list.begin(), list.end(), c) != list.end();
}

// The bytes that may begin a character that makes a word need quoting (the
// ASCII specials themselves and the lead bytes of the non-ASCII ones), and
// for each such lead byte the bytes that may follow it. One lookup passes
// over most bytes of a word, and a second over a non-ASCII character that
// only shares its lead byte with a special one (kana with U+3000, most of
// U+0080 to U+00BF with U+00A0), without decoding it.
struct TriggerBytes {
  std::array<bool, 256> leads{};
  // By lead byte less 0xC0, a bit for each following byte's low six bits.
  std::array<std::uint64_t, 64> seconds{};

  void add(char32_t c) {
    std::string bytes;
    append_wtf8(bytes, c);
    const auto lead = static_cast<unsigned char>(bytes[0]);
    leads[lead] = true;
    if (lead >= 0xC0) seconds[lead - 0xC0] |= std::uint64_t{1} << (bytes[1] & 0x3F);
  }
  bool has(unsigned char byte) const { return leads[byte]; }
  bool has_pair(unsigned char lead, char second) const {
    return ((seconds[lead - 0xC0] >> (second & 0x3F)) & 1) != 0;
  }
};

TriggerBytes trigger_bytes(const QuotingRule& rule) {
  TriggerBytes set;
  for (char32_t c : rule.special_chars) set.add(c);
  for (char32_t c : rule.quote_alternates) set.add(c);
  if (rule.white_space_special) {
    for (const unicode::CodeRange& range : unicode::white_space) {
      for (char32_t c = range.first; c <= range.last; ++c) set.add(c);
    }
  }
  return set;
}

// Built once: it takes longer than quoting a short word.
const TriggerBytes& powershell_triggers() {
  static const TriggerBytes TRIGGERS = trigger_bytes(POWERSHELL_QUOTING);
  return TRIGGERS;
}

bool needs_quoting(std::string_view word, const QuotingRule& rule, const TriggerBytes& triggers) {
  // An empty word left bare would vanish from the joined text.
  if (word.empty()) return true;
  for (std::size_t pos = 0; pos < word.size(); ++pos) {
    const auto byte = static_cast<unsigned char>(word[pos]);
    if (!triggers.has(byte)) continue;
    if (byte < 0x80) return true;
    // A lead byte with nothing after it decodes as U+FFFD.
    if (pos + 1 == word.size() || !triggers.has_pair(byte, word[pos + 1])) continue;
    const char32_t c = decode_wtf8(word, pos).code;
    if (contains(rule.special_chars, c) || contains(rule.quote_alternates, c) ||
        (rule.white_space_special && unicode::is_white_space(c))) {
      return true;
    }
  }
  return false;
}

// Returns whether the word was wrapped. Only this calls needs_quoting, so
// that the compiler inlines it: called on its own for every word, it cost a
// tenth more instructions in the quoting.
bool append_quoted(std::string& out, std::string_view word, const QuotingRule& rule,
                   const TriggerBytes& triggers) {
  if (!needs_quoting(word, rule, triggers)) {
    out += word;
    return false;
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
  return true;
}

bool holds_blank(std::string_view word) {
  return std::any_of(word.begin(), word.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The bytes that matter to cmd's reading: its quote and what a caret
// escapes outside quotes.
constexpr std::array<bool, 256> CMD_MARKS = [] {
  std::array<bool, 256> marks{};
  for (unsigned char c : std::string_view("\"^&|<>")) marks[c] = true;
  return marks;
}();

// `text` appended to `out` with a caret before each of ^ & | < > that cmd
// reads outside quotes; cmd toggles its quoting at every `"`, escaped for
// the C runtime or not, and `in_quotes` carries that from word to word.
void append_escaped_for_cmd(std::string& out, std::string_view text, bool& in_quotes) {
  std::size_t run = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (!CMD_MARKS[static_cast<unsigned char>(c)]) continue;
    if (c == '"') {
      in_quotes = !in_quotes;
    } else if (!in_quotes) {
      out.append(text, run, pos - run);
      out += '^';
      run = pos;
    }
  }
  out.append(text, run);
}

}  // namespace

std::string quote_for_powershell(std::string_view word) {
  std::string out;
  out.reserve(word.size() + 2);
  append_quoted(out, word, POWERSHELL_QUOTING, powershell_triggers());
  return out;
}

void append_quoted_for_argv(std::string& out, std::string_view word, bool wrap_always) {
  const bool wrap = wrap_always || word.empty() || holds_blank(word);
  if (wrap) out += '"';
  // Copy up to each quote, doubling the backslashes right before it and
  // escaping it; other backslashes are literal.
  for (std::size_t quote; (quote = word.find('"')) != std::string_view::npos;) {
    std::size_t run = 0;
    while (run < quote && word[quote - 1 - run] == '\\') ++run;
    out.append(word, 0, quote);
    out.append(run + 1, '\\');
    out += '"';
    word.remove_prefix(quote + 1);
  }
  out += word;
  if (wrap) {
    // The closing quote must stay one.
    const std::size_t last = word.find_last_not_of('\\');
    out.append(last == std::string_view::npos ? word.size() : word.size() - last - 1, '\\');
    out += '"';
  }
}

std::string quote_for_argv(std::string_view word) {
  std::string out;
  out.reserve(word.size() + 2);
  append_quoted_for_argv(out, word);
  return out;
}

std::vector<std::string> quote_words_for_cmd(std::span<const std::string> words) {
  std::vector<std::string> pieces;
  pieces.reserve(words.size());
  bool in_quotes = false;
  std::string quoted;
  for (const std::string& word : words) {
    quoted.clear();
    append_quoted_for_argv(quoted, word);
    std::string& piece = pieces.emplace_back();
    piece.reserve(quoted.size() + quoted.size() / 8);
    append_escaped_for_cmd(piece, quoted, in_quotes);
  }
  return pieces;
}

std::string quote_arguments(std::span<const std::string> words, Shell shell) {
  std::size_t size = words.size();
  for (const auto& word : words) size += word.size() + 2;
  if (shell == Shell::cmd) {
    // The pieces of quote_words_for_cmd, joined, in one pass over the whole
    // text instead of a string for each word: a blank is nothing to cmd's
    // quoting, so the carets come out the same.
    std::string joined;
    joined.reserve(size);
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (i > 0) joined += ' ';
      append_quoted_for_argv(joined, words[i]);
    }
    std::string out;
    out.reserve(joined.size() + joined.size() / 8);
    bool in_quotes = false;
    append_escaped_for_cmd(out, joined, in_quotes);
    return out;
  }
  const TriggerBytes& triggers = powershell_triggers();
  std::string out;
  out.reserve(size + 2);
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += ' ';
    // A statement that begins with a string is an expression, not a command:
    // PowerShell would print the name, or refuse the whole script when a
    // word follows it. The call operator makes the quoted name a command;
    // it goes before the first word, so far the only text.
    if (append_quoted(out, words[i], POWERSHELL_QUOTING, triggers) && i == 0) out.insert(0, "& ");
  }
  return out;
}

}  // namespace vornalt
