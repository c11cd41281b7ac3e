#include "output.h"

namespace vornalt {

void Output::progress(std::string_view line) {
  if (shows_progress_) console_.write(Stream::out, std::string(line) + "\n");
}

void Output::problem(std::string_view line) {
  console_.write(Stream::err, std::string(line) + "\n");
}

void Output::failure(std::string_view what, const Error& error) {
  problem(std::string(what) + ": " + debug_form(error));
}

void Output::report(const Failure& failure) {
  if (failure.error) {
    this->failure(failure.what, *failure.error);
  } else {
    problem(failure.what);
  }
  if (!failure.detail.empty()) problem(failure.detail);
}

std::string Output::debug_form(const Error& error) { return vornalt::debug_form(error, messages_); }

}  // namespace vornalt
