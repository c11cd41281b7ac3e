// Any bytes, cut into pieces anywhere, read both ways: the report reader and
// the variables reader each give the same answer however the bytes come,
// and take a report or the variables as whole only when they are exactly
// what the relay, or the vornalt that made the pipe, writes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "pipe/protocol.h"

namespace {

using vornalt::ReportReader;
using vornalt::VariablesReader;
using State = ReportReader::State;

State final_state(const ReportReader& reader) {
  return reader.has_partial_line() ? State::malformed : reader.state();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte sets the size of the pieces.
  const std::size_t piece = data[0] % 7 + 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  ReportReader whole;
  whole.take(bytes);
  ReportReader pieces;
  for (std::size_t at = 0; at < bytes.size(); at += piece) pieces.take(bytes.substr(at, piece));
  const State state = final_state(whole);
  FUZZ_CHECK(final_state(pieces) == state);
  FUZZ_CHECK(pieces.pid() == whole.pid());

  switch (state) {
    case State::awaiting_pid:
      FUZZ_CHECK(bytes.empty());
      break;
    case State::awaiting_status:
      FUZZ_CHECK(vornalt::pid_message(*whole.pid()) == bytes);
      break;
    case State::ended:
      FUZZ_CHECK(pieces.status() == whole.status());
      FUZZ_CHECK(vornalt::pid_message(*whole.pid()) + vornalt::status_message(whole.status()) ==
                 bytes);
      break;
    case State::failed:
      FUZZ_CHECK(vornalt::failure_message(whole.failure().code()) == bytes);
      break;
    case State::malformed:
      break;
  }

  VariablesReader variables;
  variables.take(bytes);
  VariablesReader variables_in_pieces;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    variables_in_pieces.take(bytes.substr(at, piece));
  }
  FUZZ_CHECK(variables_in_pieces.state() == variables.state());
  if (variables.state() == VariablesReader::State::complete) {
    FUZZ_CHECK(variables_in_pieces.variables() == variables.variables());
    FUZZ_CHECK(vornalt::variables_message(variables.variables()) == bytes);
  }
  return 0;
}
