// Splitting any command line never fails, and arguments quoted the C
// runtime's way split back to themselves.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "command_line.h"
#include "fuzz_check.h"

namespace {

std::string quote_for_argv(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = vornalt::split_command_line(line);
  FUZZ_CHECK(!args.empty());

  std::string rebuilt = "prog";
  for (std::size_t i = 1; i < args.size(); ++i) rebuilt += " " + quote_for_argv(args[i]);
  std::vector<std::string> again = vornalt::split_command_line(rebuilt);
  again[0] = args[0];
  FUZZ_CHECK(again == args);
  return 0;
}
