// Base64 encoding, RFC 4648 section 4: standard alphabet, "=" padding, one line.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vornalt {

/// Appends the Base64 of `bytes`; only the last piece of a longer text may
/// have a length that is no multiple of three (it gets the padding).
void append_base64(std::string& out, std::span<const std::uint8_t> bytes);

}  // namespace vornalt
