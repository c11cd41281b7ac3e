#include "pipe/protocol.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

using State = ReportReader::State;

struct ReportCase {
  std::vector<std::string> pieces;  // as the pipe gives them
  State state;                      // at the end, a cut line counted as malformed
  std::optional<std::uint32_t> pid;
  std::uint32_t value;  // the status, or the failure's code
};

TEST(ReportReader, TakesOnlyTheLinesInTheirOrder) {
  const ReportCase cases[] = {
      {{"pid 5678\nstatus 3\n"}, State::ended, 5678, 3},
      {{"p", "id 5678\nsta", "tus 4294967295", "\n"}, State::ended, 5678, 0xFFFFFFFF},
      {{"pid 0\nstatus 0\n"}, State::ended, 0, 0},
      {{"failed 2147942402\n"}, State::failed, std::nullopt, 0x80070002},
      // Short: the report ended before the status, or inside a line.
      {{}, State::awaiting_pid, std::nullopt, 0},
      {{"pid 5678\n"}, State::awaiting_status, 5678, 0},
      {{"pid 5678\nstatus 3"}, State::malformed, 5678, 0},
      {{"pid 56"}, State::malformed, std::nullopt, 0},
      // Out of order, repeated, or more after the end.
      {{"status 3\n"}, State::malformed, std::nullopt, 0},
      {{"pid 1\npid 2\nstatus 3\n"}, State::malformed, 1, 0},
      {{"pid 1\nstatus 3\nstatus 4\n"}, State::malformed, 1, 0},
      {{"pid 1\nstatus 3\n", "x"}, State::malformed, 1, 0},
      {{"pid 1\nfailed 2\n"}, State::malformed, 1, 0},
      {{"failed 2\npid 1\n"}, State::malformed, std::nullopt, 0},
      // Numbers only in plain decimal, within 32 bits; a failure never 0.
      {{"pid 01\n"}, State::malformed, std::nullopt, 0},
      {{"pid +1\n"}, State::malformed, std::nullopt, 0},
      {{"pid 1\nstatus 4294967296\n"}, State::malformed, 1, 0},
      {{"pid 1\nstatus 99999999999\n"}, State::malformed, 1, 0},
      {{"pid 1\nstatus -1\n"}, State::malformed, 1, 0},
      {{"failed 0\n"}, State::malformed, std::nullopt, 0},
      {{"pid  1\n"}, State::malformed, std::nullopt, 0},
      {{"pid 1 \n"}, State::malformed, std::nullopt, 0},
      {{"pid\n"}, State::malformed, std::nullopt, 0},
      {{"pid 1\r\nstatus 2\r\n"}, State::malformed, std::nullopt, 0},
      {{"PID 1\n"}, State::malformed, std::nullopt, 0},
      // Long: a line longer than any right one ends the reading at once.
      {{"pid 1\nstatus 0000000000000003\n"}, State::malformed, 1, 0},
      {{std::string(100000, 'x')}, State::malformed, std::nullopt, 0},
  };
  for (const auto& c : cases) {
    ReportReader reader;
    std::string all;
    for (const auto& piece : c.pieces) {
      reader.take(piece);
      all += piece;
    }
    const State state = reader.has_partial_line() ? State::malformed : reader.state();
    EXPECT_EQ(state, c.state) << all;
    EXPECT_EQ(reader.pid(), c.pid) << all;
    if (state == State::ended) {
      EXPECT_EQ(reader.status(), c.value) << all;
    }
    if (state == State::failed) {
      EXPECT_EQ(reader.failure(), Error(HRESULT{static_cast<std::int32_t>(c.value)})) << all;
    }
  }
}

TEST(ReportReader, GivesUpOnALineLongerThanAnyRightOne) {
  // A client that never ends its line cannot make the reader keep it all.
  ReportReader reader;
  reader.take("status 4294967295");
  EXPECT_EQ(reader.state(), State::awaiting_pid);
  reader.take("5");
  EXPECT_EQ(reader.state(), State::malformed);
}

TEST(ReportReader, ReadsWhatTheRelayWrites) {
  for (std::uint32_t value : {0u, 1u, 7u, 0xC000013Au, 0xFFFFFFFFu}) {
    ReportReader reader;
    reader.take(pid_message(value) + status_message(value));
    EXPECT_EQ(reader.state(), State::ended);
    EXPECT_EQ(reader.pid(), value);
    EXPECT_EQ(reader.status(), value);
    ReportReader failed;
    const HRESULT code{static_cast<std::int32_t>(value | 0x80000000)};
    failed.take(failure_message(code));
    EXPECT_EQ(failed.state(), State::failed);
    EXPECT_EQ(failed.failure(), Error(code));
  }
}

using VariablesState = VariablesReader::State;

struct VariablesCase {
  std::vector<std::string> pieces;  // as the pipe gives them
  VariablesState state;
  std::vector<Variable> variables;  // once complete
};

TEST(VariablesReader, TakesExactlyTheRecordsOfTheVarsLine) {
  const std::string big(70000, 'v');
  // One valid record; around its value, 22 bytes ("vars 1\nset 1048556\nA=" and "\n").
  const auto message_with = [](const std::string& value) {
    return "vars 1\nset " + std::to_string(value.size() + 2) + "\nA=" + value + "\n";
  };
  const std::string limit_value(VARIABLES_LIMIT - 22, 'v');
  const std::string at_limit = message_with(limit_value);
  const std::string over_limit = message_with(limit_value + "v");
  ASSERT_EQ(at_limit.size(), VARIABLES_LIMIT);
  ASSERT_EQ(over_limit.size(), VARIABLES_LIMIT + 1);
  const VariablesCase cases[] = {
      {{"vars 0\n"}, VariablesState::complete, {}},
      {{"vars 2\nset 3\nA=1\nunset 1\nB\n"},
       VariablesState::complete,
       {{"A", "1"}, {"B", std::nullopt}}},
      // Every byte of a value: line ends, NUL-free control characters, an
      // unpaired surrogate, `=`; in pieces of any size.
      {{"vars 1\nset 1", "4\nA= \n\r=\"%x%\"\xED\xA0", "\x80\n"},
       VariablesState::complete,
       {{"A", " \n\r=\"%x%\"\xED\xA0\x80"}}},
      {{"vars 1\nset 70002\nA=" + big + "\n"}, VariablesState::complete, {{"A", big}}},
      // Short: it ended before its records, or inside one.
      {{}, VariablesState::reading, {}},
      {{"vars 1\n"}, VariablesState::reading, {}},
      {{"vars 1\nset 3\nA="}, VariablesState::reading, {}},
      {{"vars 1\nset 3\nA=1"}, VariablesState::reading, {}},
      // Long: a record longer than it said, a line longer than any right
      // one, more after the last record.
      {{"vars 1\nset 3\nA=12\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 00000000000000003\n"}, VariablesState::malformed, {}},
      {{"vars 0\n", "x"}, VariablesState::malformed, {}},
      {{"vars 1\nunset 1\nB\nunset 1\nC\n"}, VariablesState::malformed, {}},
      // Out of order, repeated, or not what the sender writes.
      {{"set 3\nA=1\n"}, VariablesState::malformed, {}},
      {{"vars 1\nvars 1\n"}, VariablesState::malformed, {}},
      {{"vars 2\nset 3\nA=1\nset 3\na=2\n"}, VariablesState::malformed, {}},
      {{"vars 2\nset 3\nA=1\nunset 1\na\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 2\nA=\n"}, VariablesState::malformed, {}},  // an unset, written as a set
      {{"vars 1\nset 2\n=A\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 1\nA\n"}, VariablesState::malformed, {}},
      {{"vars 1\nunset 3\nA=1\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 0\n\n"}, VariablesState::malformed, {}},
      {{std::string("vars 1\nset 3\nA=\0\n", 17)}, VariablesState::malformed, {}},
      {{"vars 1\nset 3\nA=\xFF\n"}, VariablesState::malformed, {}},
      // Cut sequences: at the end, before ASCII, a continuation alone, and
      // one that reads back as many bytes as it has (three for the cut
      // lead, two fewer for the pair written as two surrogates).
      {{"vars 1\nset 4\nA=\xE2\x82\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 6\nA=\xF0\x9F\x98x\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 3\nA=\x80\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 9\nA=\xE2\xED\xA0\xBD\xED\xB8\x80\n"}, VariablesState::malformed, {}},
      // A pair written as two surrogates is not what the sender writes.
      {{"vars 1\nset 8\nA=\xED\xA0\xBD\xED\xB8\x80\n"}, VariablesState::malformed, {}},
      {{"vars 1\nSET 3\nA=1\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 3 \nA=1\n"}, VariablesState::malformed, {}},
      // The word and its number apart by exactly one blank.
      {{"vars\t1\nset 3\nA=1\n"}, VariablesState::malformed, {}},
      {{"vars 1\nsetX3\nA=1\n"}, VariablesState::malformed, {}},
      {{"vars 1\nunset\t1\nB\n"}, VariablesState::malformed, {}},
      {{"vars 01\n"}, VariablesState::malformed, {}},
      {{"vars -1\n"}, VariablesState::malformed, {}},
      {{"vars 1\r\n"}, VariablesState::malformed, {}},
      {{"vars 1\nset 3\nA=1\r"}, VariablesState::malformed, {}},
      // More than any command line can carry.
      {{"vars 100000\n", std::string(VARIABLES_LIMIT, 'x')}, VariablesState::malformed, {}},
      {{at_limit}, VariablesState::complete, {{"A", limit_value}}},
      {{over_limit.substr(0, VARIABLES_LIMIT), over_limit.substr(VARIABLES_LIMIT)},
       VariablesState::malformed,
       {}},
  };
  for (const auto& c : cases) {
    VariablesReader reader;
    std::string all;
    for (const auto& piece : c.pieces) {
      reader.take(piece);
      all += piece;
    }
    EXPECT_EQ(reader.state(), c.state) << all.substr(0, 80);
    if (c.state == VariablesState::complete) {
      EXPECT_EQ(reader.variables(), c.variables) << all.substr(0, 80);
    }
  }
}

TEST(VariablesReader, ReadsWhatTheFirstVornaltSends) {
  const std::vector<Variable> variables = {
      {"A", "1"}, {"b", std::nullopt}, {"Grüße", "=\n\xED\xB0\x80😀"}, {"C", ""}};
  // "C=" is no variable that -v makes; the message carries it anyway.
  const std::string message = variables_message(variables);
  EXPECT_EQ(message.substr(0, 31), "vars 4\nset 3\nA=1\nunset 1\nb\nset ");
  VariablesReader reader;
  for (char c : message) reader.take(std::string_view(&c, 1));
  EXPECT_EQ(reader.state(), VariablesState::malformed);  // the empty value
  VariablesReader three;
  three.take(variables_message(std::span(variables).first(3)));
  EXPECT_EQ(three.state(), VariablesState::complete);
  EXPECT_EQ(three.variables(), std::vector<Variable>(variables.begin(), variables.begin() + 3));
}

TEST(RelayId, ThirtyTwoLowerCaseHexDigits) {
  const std::array<std::uint8_t, 16> random{0x00, 0x01, 0x7F, 0x80, 0xA5, 0xFF, 0x10, 0x32,
                                            0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE, 0x0F, 0xF0};
  EXPECT_EQ(pipe_id_from(random), "00017f80a5ff1032547698badcfe0ff0");
  EXPECT_EQ(relay_pipe_name("00017f80a5ff1032547698badcfe0ff0"),
            "\\\\.\\pipe\\vornalt-00017f80a5ff1032547698badcfe0ff0");
  for (const auto& [text, valid] :
       {std::pair<std::string, bool>{"00017f80a5ff1032547698badcfe0ff0", true},
        {"00017F80A5FF1032547698BADCFE0FF0", false},
        {"00017f80a5ff1032547698badcfe0ff", false},
        {"00017f80a5ff1032547698badcfe0ff00", false},
        {"00017f80a5ff1032547698badcfe0ffg", false},
        {"", false}}) {
    EXPECT_EQ(is_pipe_id(text), valid) << text;
  }
}

}  // namespace
}  // namespace vornalt
