// Any argument list parses; a launch request holds the target typed and
// the command words as typed, which start where a plain walk over the
// option table ends.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/argument_parser.h"
#include "cli/options.h"
#include "fuzz_check.h"

namespace {

// Only ASCII letters and the Kelvin sign (U+212A) lower-case into the
// letters of an option's name, so no more of the mapping is needed here.
std::string option_lower(std::string_view text) {
  constexpr std::string_view KELVIN = "\xE2\x84\xAA";
  std::string lower;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (text.substr(i, KELVIN.size()) == KELVIN) {
      lower += 'k';
      i += KELVIN.size() - 1;
    } else {
      lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  return lower;
}

// Where the command starts: after the target and the options of the table,
// each that takes a value with the word that follows it, and after a "--"
// that ends them.
std::size_t command_start(const std::vector<std::string>& args) {
  std::size_t k = 2;
  while (k < args.size()) {
    const std::string word = option_lower(args[k]);
    const vornalt::Option* option = vornalt::find_option(word);
    if (option == nullptr) return word == "--" ? k + 1 : k;
    k += vornalt::takes_value(option->kind) ? 2 : 1;
  }
  return k;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Arguments are separated by NUL bytes.
  std::vector<std::string> args(1, "vornalt.exe");
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (size > 0) args.push_back(current);

  const vornalt::ParseOutcome outcome = vornalt::parse_arguments(args);
  if (const auto* launch = std::get_if<vornalt::Launch>(&outcome)) {
    const vornalt::LaunchRequest& request = launch->request;
    FUZZ_CHECK(vornalt::target_named(option_lower(args[1])) == request.target);
    const std::size_t start = command_start(args);
    FUZZ_CHECK(start < args.size());
    const std::vector<std::string> words(args.begin() + static_cast<std::ptrdiff_t>(start),
                                         args.end());
    FUZZ_CHECK(request.words == words);
  }
  return 0;
}
