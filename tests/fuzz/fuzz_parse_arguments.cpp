// Any argument list parses; a launch request holds the target typed and
// the command words as typed, which start where a plain walk over the
// options ends.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/argument_parser.h"
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

bool is_any_of(std::string_view word, std::initializer_list<std::string_view> names) {
  for (const std::string_view name : names) {
    if (word == name) return true;
  }
  return false;
}

// Where the command starts: after the target and the options, each of
// -s, -t, -d, -v, --window, --size and --pos with the word that follows it,
// and after a "--" that ends them.
std::size_t command_start(const std::vector<std::string>& args) {
  std::size_t k = 2;
  while (k < args.size()) {
    const std::string word = option_lower(args[k]);
    if (is_any_of(word,
                  {"-s",       "--shell", "/s",     "/shell", "-t",    "--title", "/t", "/title",
                   "-d",       "--dir",   "/d",     "/dir",   "-v",    "--var",   "/v", "/var",
                   "--window", "/window", "--size", "/size",  "--pos", "/pos"})) {
      k += 2;
    } else if (is_any_of(word, {"-w",         "--wait",     "/w",     "/wait",        "-q",
                                "--quiet",    "/q",         "/quiet", "-e",           "--exit-code",
                                "/e",         "/exit-code", "-n",     "--dry-run",    "/n",
                                "/dry-run",   "-k",         "--keep", "/k",           "/keep",
                                "-a",         "--admin",    "/a",     "/admin",       "--min",
                                "/min",       "--max",      "/max",   "--fullscreen", "/fullscreen",
                                "--no-focus", "/no-focus"})) {
      ++k;
    } else {
      return word == "--" ? k + 1 : k;
    }
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
