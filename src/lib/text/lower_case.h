// Case-insensitive matching of the target, option names and shell names.
#pragma once

#include <string>
#include <string_view>

namespace vornalt {

/// The Unicode full lower-case mapping of `text` (WTF-8), with the
/// final-sigma rule and no language-specific rules.
std::string lower_case(std::string_view text);

}  // namespace vornalt
