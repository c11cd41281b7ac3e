// The system's messages for error codes.
#pragma once

#include <string>

#include "error.h"

namespace vornalt {

class Messages {
 public:
  virtual ~Messages() = default;

  /// The system's message for a shown error code, trimmed; empty when the
  /// system has none.
  virtual std::string error_message(HRESULT shown_code) = 0;
};

/// The debug form of `error`, with the system's message for it.
inline std::string debug_form(const Error& error, Messages& messages) {
  return debug_form(error, messages.error_message(error.shown_code()));
}

}  // namespace vornalt
