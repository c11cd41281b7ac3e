// Splitting any command line never fails, and arguments quoted by
// quote_for_argv split back to themselves.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "compose/quoting.h"
#include "fuzz_check.h"
#include "text/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = vornalt::split_command_line(line);
  FUZZ_CHECK(!args.empty());

  std::string rebuilt = "prog";
  for (std::size_t i = 1; i < args.size(); ++i) rebuilt += " " + vornalt::quote_for_argv(args[i]);
  std::vector<std::string> again = vornalt::split_command_line(rebuilt);
  again[0] = args[0];
  FUZZ_CHECK(again == args);
  return 0;
}
