// lower_case takes any bytes; on ASCII it is the ASCII mapping, and it is
// idempotent on well-formed text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text/lower_case.h"
#include "text/wtf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string lower = vornalt::lower_case(text);
  bool all_ascii = true;
  for (unsigned char c : text) all_ascii = all_ascii && c < 0x80;
  if (all_ascii) {
    FUZZ_CHECK(lower.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      FUZZ_CHECK(lower[i] == ((c >= 'A' && c <= 'Z') ? c + 32 : c));
    }
  }
  // Well-formed text (as every argument is) lower-cases to well-formed text
  // that lower-cases to itself.
  const std::string well_formed = vornalt::to_wtf8(vornalt::to_utf16(text));
  const std::string once = vornalt::lower_case(well_formed);
  FUZZ_CHECK(vornalt::to_wtf8(vornalt::to_utf16(once)) == once);
  FUZZ_CHECK(vornalt::lower_case(once) == once);
  return 0;
}
