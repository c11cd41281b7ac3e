// The conversions round-trip: UTF-16 → WTF-8 → UTF-16 is the identity, and
// lossy output is always valid UTF-8 without surrogates.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text/wtf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  }
  const std::string wtf8 = vornalt::to_wtf8(units);
  FUZZ_CHECK(vornalt::to_utf16(wtf8) == units);

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string decoded = vornalt::to_utf16(bytes);
  FUZZ_CHECK(vornalt::to_utf16(vornalt::to_wtf8(decoded)) == decoded);

  const std::string lossy = vornalt::to_utf8_lossy(bytes);
  for (std::size_t pos = 0; pos < lossy.size();) {
    const vornalt::DecodedChar d = vornalt::decode_wtf8(lossy, pos);
    FUZZ_CHECK(d.code < 0xD800 || d.code > 0xDFFF);
    FUZZ_CHECK(d.code != vornalt::REPLACEMENT_CHARACTER ||
               lossy.compare(pos, 3, "\xEF\xBF\xBD") == 0);
    pos += d.length;
  }
  return 0;
}
