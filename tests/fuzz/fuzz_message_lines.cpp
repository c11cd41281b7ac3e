// Any bytes, read as the line of a relay and of an elevated start: reading
// never faults, and whatever a reader accepts, written again by its writer
// and read again, is the same message, so that what the first vornalt
// writes is what its child reads.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "elevated/elevated_message.h"
#include "fuzz_check.h"
#include "relay/relay_message.h"

namespace {

// A program's path that must be quoted, as vornalt.exe's may.
constexpr std::string_view PROGRAM = "\"C:\\Program Files\\vornalt\\vornalt.exe\"";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);

  if (const auto relay = vornalt::read_relay_line(line)) {
    FUZZ_CHECK(vornalt::read_relay_line(vornalt::relay_line(PROGRAM, *relay)) == relay);
  }
  if (const auto elevated = vornalt::read_elevated_line(line)) {
    const std::string again = std::string(PROGRAM) + " " + vornalt::elevated_parameters(*elevated);
    FUZZ_CHECK(vornalt::read_elevated_line(again) == elevated);
  }
  return 0;
}
