#include "relay_protocol.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

using State = RelayReportReader::State;

struct ReportCase {
  std::vector<std::string> pieces;  // as the pipe gives them
  State state;                      // at the end, a cut line counted as malformed
  std::optional<std::uint32_t> pid;
  std::uint32_t value;  // the status, or the failure's code
};

TEST(RelayReportReader, TakesOnlyTheLinesInTheirOrder) {
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
    RelayReportReader reader;
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

TEST(RelayReportReader, GivesUpOnALineLongerThanAnyRightOne) {
  // A client that never ends its line cannot make the reader keep it all.
  RelayReportReader reader;
  reader.take("status 4294967295");
  EXPECT_EQ(reader.state(), State::awaiting_pid);
  reader.take("5");
  EXPECT_EQ(reader.state(), State::malformed);
}

TEST(RelayReportReader, ReadsWhatTheRelayWrites) {
  for (std::uint32_t value : {0u, 1u, 7u, 0xC000013Au, 0xFFFFFFFFu}) {
    RelayReportReader reader;
    reader.take(pid_message(value) + status_message(value));
    EXPECT_EQ(reader.state(), State::ended);
    EXPECT_EQ(reader.pid(), value);
    EXPECT_EQ(reader.status(), value);
    RelayReportReader failed;
    const HRESULT code{static_cast<std::int32_t>(value | 0x80000000)};
    failed.take(failure_message(code));
    EXPECT_EQ(failed.state(), State::failed);
    EXPECT_EQ(failed.failure(), Error(code));
  }
}

TEST(RelayId, ThirtyTwoLowerCaseHexDigits) {
  const std::array<std::uint8_t, 16> random{0x00, 0x01, 0x7F, 0x80, 0xA5, 0xFF, 0x10, 0x32,
                                            0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE, 0x0F, 0xF0};
  EXPECT_EQ(relay_id(random), "00017f80a5ff1032547698badcfe0ff0");
  EXPECT_EQ(relay_pipe_name("00017f80a5ff1032547698badcfe0ff0"),
            "\\\\.\\pipe\\vornalt-00017f80a5ff1032547698badcfe0ff0");
  for (const auto& [text, valid] :
       {std::pair<std::string, bool>{"00017f80a5ff1032547698badcfe0ff0", true},
        {"00017F80A5FF1032547698BADCFE0FF0", false},
        {"00017f80a5ff1032547698badcfe0ff", false},
        {"00017f80a5ff1032547698badcfe0ff00", false},
        {"00017f80a5ff1032547698badcfe0ffg", false},
        {"", false}}) {
    EXPECT_EQ(is_relay_id(text), valid) << text;
  }
}

TEST(ReadRelayLine, CutsTheRelaysOwnThreeWords) {
  const struct {
    std::string line;
    std::optional<RelayLine> relay;
  } cases[] = {
      {"C:\\v\\vornalt.exe --vornalt-relay 0123 cmd.exe /c title  && x",
       RelayLine{"0123", "cmd.exe /c title  && x", "cmd.exe"}},
      {"\"C:\\Program Files\\vornalt.exe\" --vornalt-relay id pwsh.exe -EncodedCommand QQA=",
       RelayLine{"id", "pwsh.exe -EncodedCommand QQA=", "pwsh.exe"}},
      // The program-name rule: quotes only open and close, also in the
      // shell's name; the rest is taken as it is.
      {"C:\\a\" b\"\\v.exe\t--vornalt-relay  id \t cmd.exe /s /c \" \"a b\" \" ",
       RelayLine{"id", "cmd.exe /s /c \" \"a b\" \" ", "cmd.exe"}},
      {"v --vornalt-relay id \"C:\\my shell\\x.exe\" y",
       RelayLine{"id", "\"C:\\my shell\\x.exe\" y", "C:\\my shell\\x.exe"}},
      {"v --vornalt-relay  cmd.exe", std::nullopt},  // the id taken, nothing to run
      {"v --vornalt-relay id ", std::nullopt},
      {"v --vornalt-relay", std::nullopt},
      {"v --VORNALT-RELAY id cmd.exe", std::nullopt},
      {"\"v --vornalt-relay\" id cmd.exe", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<RelayLine> relay = read_relay_line(c.line);
    ASSERT_EQ(relay.has_value(), c.relay.has_value()) << c.line;
    if (!relay) continue;
    EXPECT_EQ(relay->id, c.relay->id) << c.line;
    EXPECT_EQ(relay->shell_line, c.relay->shell_line) << c.line;
    EXPECT_EQ(relay->shell_program, c.relay->shell_program) << c.line;
  }
}

}  // namespace
}  // namespace vornalt
