// Base64 encoding, RFC 4648 section 4: standard alphabet, "=" padding, one line.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vornalt {

std::string encode_base64(std::span<const std::uint8_t> bytes);

}  // namespace vornalt
