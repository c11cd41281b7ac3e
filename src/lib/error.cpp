#include "error.h"

#include "text/unicode_tables.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

// `value` in hexadecimal, at least `digits` digits.
void append_hex(std::string& out, std::uint32_t value, int digits, const char* alphabet) {
  char text[8];
  int length = 0;
  do {
    text[length++] = alphabet[value & 0xF];
    value >>= 4;
  } while (value != 0);
  for (int i = length; i < digits; ++i) out += '0';
  while (length > 0) out += text[--length];
}

}  // namespace

std::string hex_code(std::uint32_t value) {
  std::string text = "0x";
  append_hex(text, value, 8, "0123456789ABCDEF");
  return text;
}

std::string to_string(HRESULT code) {
  return "HRESULT(" + hex_code(static_cast<std::uint32_t>(code.value)) + ")";
}

HRESULT Error::shown_code() const { return code_ == CODE_WITHOUT_LAST_ERROR ? HRESULT{0} : code_; }

Error error_from_win32(std::uint32_t last_error) {
  const auto as_signed = static_cast<std::int32_t>(last_error);
  HRESULT code{as_signed};
  if (as_signed > 0) code.value = static_cast<std::int32_t>((last_error & 0xFFFF) | 0x80070000);
  return Error(code.value == 0 ? CODE_WITHOUT_LAST_ERROR : code);
}

MessageLookup message_lookup(HRESULT shown_code) {
  constexpr std::uint32_t ALLOCATE_BUFFER = 0x100, IGNORE_INSERTS = 0x200, FROM_HMODULE = 0x800,
                          FROM_SYSTEM = 0x1000, FACILITY_NT_BIT = 0x10000000;
  const auto code = static_cast<std::uint32_t>(shown_code.value);
  MessageLookup lookup{ALLOCATE_BUFFER | IGNORE_INSERTS | FROM_SYSTEM, code, false};
  if (code & FACILITY_NT_BIT) {
    lookup.flags |= FROM_HMODULE;
    lookup.message_id = code & ~FACILITY_NT_BIT;
    lookup.from_ntdll = true;
  }
  return lookup;
}

std::string trim_message(std::u16string_view text) {
  while (!text.empty() && (text.back() == u' ' || (text.back() >= 0x09 && text.back() <= 0x0D))) {
    text.remove_suffix(1);
  }
  return to_utf8_lossy(to_wtf8(text));
}

std::string quote_debug(std::string_view text) {
  std::string out = "\"";
  for (std::size_t pos = 0; pos < text.size();) {
    const DecodedChar d = decode_wtf8(text, pos);
    switch (d.code) {
      case U'\\':
        out += "\\\\";
        break;
      case U'"':
        out += "\\\"";
        break;
      case U'\0':
        out += "\\0";
        break;
      case U'\t':
        out += "\\t";
        break;
      case U'\n':
        out += "\\n";
        break;
      case U'\r':
        out += "\\r";
        break;
      default:
        if (unicode::is_printable(d.code) && !unicode::is_grapheme_extend(d.code)) {
          out += text.substr(pos, d.length);
        } else {
          out += "\\u{";
          append_hex(out, d.code, 1, "0123456789abcdef");
          out += '}';
        }
    }
    pos += d.length;
  }
  return out + "\"";
}

std::string debug_form(const Error& error, std::string_view message) {
  return "Error { code: " + to_string(error.shown_code()) + ", message: " + quote_debug(message) +
         " }";
}

}  // namespace vornalt
