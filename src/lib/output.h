// What one run prints: its progress on standard output, unless quiet, and
// its problems on standard error, always.
#pragma once

#include <string>
#include <string_view>

#include "system/console.h"
#include "system/messages.h"

namespace vornalt {

class Output {
 public:
  Output(Console& console, Messages& messages, bool shows_progress = true)
      : console_(console), messages_(messages), shows_progress_(shows_progress) {}

  /// A line of progress (the summary, what started) on standard output,
  /// unless quiet.
  void progress(std::string_view line);
  /// A line on standard error, whatever quiet says.
  void problem(std::string_view line);
  /// "<what>: Error { … }" on standard error.
  void failure(std::string_view what, const Error& error);
  /// The debug form of `error`, with the system's message for it.
  std::string debug_form(const Error& error);

  Console& console() { return console_; }

 private:
  Console& console_;
  Messages& messages_;
  bool shows_progress_;
};

}  // namespace vornalt
