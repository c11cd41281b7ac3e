// Wrapping any text to any width keeps every byte, in order, and no line
// is wider than the width unless it is a single character.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/help.h"
#include "fuzz_check.h"
#include "text/wtf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t width = data[0] == 0 ? 1 : data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string wrapped = vornalt::wrap_text(text, width);
  FUZZ_CHECK(wrapped.empty() || wrapped.back() == '\n');

  std::size_t start = 0;
  std::string joined;
  while (start < wrapped.size()) {
    const std::size_t end = wrapped.find('\n', start);
    const std::string_view line(wrapped.data() + start, end - start);
    const bool one_character = !line.empty() && vornalt::decode_wtf8(line, 0).length == line.size();
    FUZZ_CHECK(line.size() <= width || one_character);
    joined += line;
    start = end + 1;
  }
  // Every byte but the line feeds (and a carriage return before each) stays.
  std::string expected;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') continue;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    expected += text[i];
  }
  FUZZ_CHECK(joined == expected);
  return 0;
}
