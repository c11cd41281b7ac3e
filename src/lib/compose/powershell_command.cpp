#include "compose/powershell_command.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "compose/quoting.h"
#include "text/base64.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

// A PowerShell string literal that cannot run anything: a bare word would be
// taken as a command (a title of "calc" would start a program).
std::string single_quoted(std::string_view text) {
  std::string quoted = quote_for_powershell(text);
  if (quoted.size() != text.size()) return quoted;
  return "'" + quoted + "'";
}

void append_utf16le_base64(std::string& out, std::span<const char16_t> units) {
  if constexpr (std::endian::native == std::endian::little) {
    // The units in memory already are the UTF-16LE bytes.
    append_base64(out, {reinterpret_cast<const std::uint8_t*>(units.data()), units.size() * 2});
  } else {
    std::vector<std::uint8_t> bytes(units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
      bytes[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
      bytes[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
    }
    append_base64(out, bytes);
  }
}

}  // namespace

std::string powershell_script(Target target, std::string_view title, std::string_view arguments) {
  if (target != Target::conhost || title.empty()) return std::string(arguments);
  std::string script = "$host.UI.RawUI.WindowTitle = ";
  script += single_quoted(title);
  script += " ; ";
  script += arguments;
  return script;
}

std::string encode_powershell_command(std::string_view script) {
  // Converted and encoded a slice at a time, so that a long script never has
  // a whole UTF-16 copy. A slice holds a multiple of three units, six bytes,
  // so only the last one can need padding.
  constexpr std::size_t SLICE = std::size_t{3} * 1024;
  std::array<char16_t, SLICE + 2> units;
  std::string out;
  out.reserve((2 * script.size() + 2) / 3 * 4 + 4);
  std::size_t pos = 0;
  std::size_t count = 0;
  while (true) {
    count += to_utf16_part(script, pos, units.data() + count, units.size() - count);
    const bool last = pos == script.size();
    const std::size_t take = last ? count : count - count % 3;
    append_utf16le_base64(out, {units.data(), take});
    if (last) return out;
    std::copy(units.begin() + static_cast<std::ptrdiff_t>(take),
              units.begin() + static_cast<std::ptrdiff_t>(count), units.begin());
    count -= take;
  }
}

}  // namespace vornalt
