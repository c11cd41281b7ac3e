// What one run prints: its progress on standard output, unless quiet, and
// its problems on standard error, always.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "system/console.h"
#include "system/messages.h"

namespace vornalt {

/// Why a step of a run could not be taken, as the lines that say so: `what`,
/// followed by ": " and the debug form of the Windows error behind it when
/// there is one, and then the line `detail` when it is not empty.
struct Failure {
  std::string what;
  std::optional<Error> error;
  std::string detail;
};

/// A value, or the failure that kept it from being made.
template <typename T>
using Checked = Expected<T, Failure>;

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
  /// The lines of `failure` on standard error.
  void report(const Failure& failure);
  /// The debug form of `error`, with the system's message for it.
  std::string debug_form(const Error& error);

  Console& console() { return console_; }

 private:
  Console& console_;
  Messages& messages_;
  bool shows_progress_;
};

}  // namespace vornalt
