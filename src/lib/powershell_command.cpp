#include "powershell_command.h"

#include <bit>
#include <cstdint>
#include <vector>

#include "base64.h"
#include "quoting.h"
#include "wtf8.h"

namespace vornalt {
namespace {

// A PowerShell string literal that cannot run anything: a bare word would be
// taken as a command (a title of "calc" would start a program).
std::string single_quoted(std::string_view text) {
  const std::string quoted = quote_for_powershell(text);
  if (quoted.size() != text.size()) return quoted;
  return "'" + quoted + "'";
}

}  // namespace

std::string powershell_script(std::string_view target, std::string_view title,
                              std::string_view arguments) {
  if (target != "conhost" || title.empty()) return std::string(arguments);
  std::string script = "$host.UI.RawUI.WindowTitle = ";
  script += single_quoted(title);
  script += " ; ";
  script += arguments;
  return script;
}

std::string encode_powershell_command(std::string_view script) {
  const std::u16string units = to_utf16(script);
  if constexpr (std::endian::native == std::endian::little) {
    // The units in memory already are the UTF-16LE bytes.
    return encode_base64({reinterpret_cast<const std::uint8_t*>(units.data()), units.size() * 2});
  }
  std::vector<std::uint8_t> bytes(units.size() * 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return encode_base64(bytes);
}

}  // namespace vornalt
