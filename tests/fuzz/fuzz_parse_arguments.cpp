// Any argument list parses to exactly one outcome; a launch request holds
// canonical names and the quoted, joined command words.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "argument_parser.h"
#include "fuzz_check.h"
#include "quoting.h"

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
    FUZZ_CHECK(request.target == "wt" || request.target == "conhost");
    FUZZ_CHECK(request.shell == "cmd" || request.shell == "pwsh" || request.shell == "powershell");
    // The command words are a suffix of the arguments: quoting some suffix
    // must give the joined text.
    bool found = false;
    for (std::size_t k = 2; k < args.size() && !found; ++k) {
      const std::span<const std::string> words(args.data() + k, args.size() - k);
      found = vornalt::quote_arguments(words, request.shell) == request.arguments;
    }
    FUZZ_CHECK(found);
  } else if (const auto* error = std::get_if<vornalt::UsageError>(&outcome)) {
    FUZZ_CHECK(!error->message.empty());
  }
  return 0;
}
