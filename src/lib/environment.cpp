#include "environment.h"

#include <algorithm>

#include "text/unicode_tables.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

// What a character of a name is compared as. Windows upper-cases names to
// compare them, a UTF-16 unit at a time, by the simple upper-case mapping:
// `a` and `A` as `A`, `ÿ` as `Ÿ`, which also puts `_` after the letters.
// The Kelvin sign stays itself, not `K`; a character beyond the Basic
// Multilingual Plane, two units, stays itself too.
char32_t comparison_key(char32_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z' ? static_cast<char32_t>(c - ('a' - 'A')) : c;
  const auto& table = unicode::upper_simple;
  const auto it =
      std::lower_bound(table.begin(), table.end(), c,
                       [](const auto& entry, char32_t value) { return entry.from < value; });
  return it != table.end() && it->from == c ? it->to : c;
}

// <0, 0 or >0, as `a` sorts before, with or after `b`.
int compare_names(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const DecodedChar x = decode_wtf8(a, i);
    const DecodedChar y = decode_wtf8(b, j);
    const char32_t kx = comparison_key(x.code);
    const char32_t ky = comparison_key(y.code);
    if (kx != ky) return kx < ky ? -1 : 1;
    i += x.length;
    j += y.length;
  }
  if (i < a.size()) return 1;
  return j < b.size() ? -1 : 0;
}

// The per-drive folders first, then by name; the whole string decides
// between two of one name, which Windows would not keep.
bool sorts_before(std::string_view a, std::string_view b) {
  const bool drive_a = a.starts_with('=');
  const bool drive_b = b.starts_with('=');
  if (drive_a != drive_b) return drive_a;
  const int names = compare_names(variable_name(a), variable_name(b));
  return names != 0 ? names < 0 : a < b;
}

bool is_changed(std::string_view entry, std::span<const Variable> changes) {
  return std::any_of(changes.begin(), changes.end(), [&](const Variable& change) {
    return same_variable_name(variable_name(entry), change.name);
  });
}

}  // namespace

std::optional<Variable> parse_variable(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == 0 || equals == std::string_view::npos) return std::nullopt;
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  Variable variable{std::string(text.substr(0, equals)), std::nullopt};
  if (equals + 1 < text.size()) variable.value = std::string(text.substr(equals + 1));
  return variable;
}

bool same_variable_name(std::string_view a, std::string_view b) { return compare_names(a, b) == 0; }

void add_variable(std::vector<Variable>& variables, Variable change) {
  for (Variable& earlier : variables) {
    if (same_variable_name(earlier.name, change.name)) {
      earlier = std::move(change);
      return;
    }
  }
  variables.push_back(std::move(change));
}

std::string_view variable_name(std::string_view entry) {
  return entry.substr(0, entry.find('=', 1));
}

std::u16string environment_block(std::span<const std::string> environment,
                                 std::span<const Variable> changes) {
  std::vector<std::string> set;
  for (const Variable& change : changes) {
    if (change.value) set.push_back(change.name + "=" + *change.value);
  }
  std::vector<std::string_view> entries(set.begin(), set.end());
  for (const std::string& entry : environment) {
    if (!entry.empty() && !is_changed(entry, changes)) entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(), sorts_before);
  std::u16string block;
  for (std::string_view entry : entries) {
    block += to_utf16(entry);
    block += u'\0';
  }
  // An empty block still needs its two NULs.
  if (block.empty()) block += u'\0';
  block += u'\0';
  return block;
}

}  // namespace vornalt
