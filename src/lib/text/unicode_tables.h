// Unicode character data used by the program, generated from the Unicode
// Character Database by tools/gen_unicode_tables.py.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

namespace vornalt::unicode {

/// An inclusive range of code points.
struct CodeRange {
  char32_t first;
  char32_t last;
};

/// A character whose lower-case (or upper-case) form is one other
/// character.
struct SimpleMapping {
  char32_t from;
  char32_t to;
};

/// A character whose lower-case form is several characters (U+0130).
struct MultiMapping {
  char32_t from;
  std::uint8_t length;
  char32_t to[3];
};

// All tables are sorted by code point.
extern const std::span<const SimpleMapping> lower_simple;
/// The upper-case mapping by which the system compares names without
/// case: in the Basic Multilingual Plane, of each capital's own small letter.
extern const std::span<const SimpleMapping> upper_simple;
extern const std::span<const MultiMapping> lower_multi;
extern const std::span<const CodeRange> cased;
extern const std::span<const CodeRange> case_ignorable;
extern const std::span<const CodeRange> white_space;
extern const std::span<const CodeRange> printable;
extern const std::span<const CodeRange> grapheme_extend;

/// True when `c` lies in one of the sorted `ranges`.
inline bool in_ranges(std::span<const CodeRange> ranges, char32_t c) {
  auto after =
      std::upper_bound(ranges.begin(), ranges.end(), c,
                       [](char32_t value, const CodeRange& range) { return value < range.first; });
  return after != ranges.begin() && c <= std::prev(after)->last;
}

inline bool is_cased(char32_t c) { return in_ranges(cased, c); }
inline bool is_case_ignorable(char32_t c) { return in_ranges(case_ignorable, c); }
inline bool is_white_space(char32_t c) { return in_ranges(white_space, c); }
inline bool is_printable(char32_t c) { return in_ranges(printable, c); }
inline bool is_grapheme_extend(char32_t c) { return in_ranges(grapheme_extend, c); }

}  // namespace vornalt::unicode
