// Paths handed over by CTest, as the Windows test programs need them.
#pragma once

#include <string>

#include "text/wtf8.h"

namespace vornalt::testing {

/// A Unix path becomes the same path on drive Z:, which is where Wine shows
/// the Unix root; a Windows path stays as it is.
inline std::wstring windows_path(std::string path) {
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
  }
  const std::u16string units = to_utf16(path);
  return {units.begin(), units.end()};
}

}  // namespace vornalt::testing
