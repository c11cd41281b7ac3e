// Text between the program's WTF-8 and the wide strings of the Windows calls.
#pragma once

#include <string>
#include <string_view>

#include "text/wtf8.h"
#include "win32_system.h"
#include "windows_support.h"

namespace vornalt {

inline std::wstring wide_string(std::string_view wtf8) {
  const std::u16string units = to_utf16(wtf8);
  return {units.begin(), units.end()};
}

inline std::string narrow(std::wstring_view text) {
  return to_wtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

/// A text from a call like GetSystemDirectoryW or GetFullPathNameW, which,
/// asked with too small a buffer, gives the size needed, terminating NUL
/// included; `get(buffer, size)` makes the call.
template <typename Get>
Expected<std::wstring> text_from(Get get) {
  std::wstring text(MAX_PATH, L'\0');
  for (;;) {
    const auto size = static_cast<std::size_t>(get(text.data(), static_cast<DWORD>(text.size())));
    if (size == 0) return check_win32_bool(FALSE).error();
    const bool fits = size < text.size();
    text.resize(size);
    if (fits) return text;
  }
}

}  // namespace vornalt
