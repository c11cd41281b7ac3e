// Text between the program's WTF-8 and the wide strings of the Windows calls.
#pragma once

#include <string>
#include <string_view>

#include "../wtf8.h"

namespace vornalt {

inline std::wstring wide_string(std::string_view wtf8) {
  const std::u16string units = to_utf16(wtf8);
  return {units.begin(), units.end()};
}

inline std::string narrow(std::wstring_view text) {
  return to_wtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace vornalt
