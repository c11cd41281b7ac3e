#include "relay_protocol.h"

#include "command_line.h"

namespace vornalt {
namespace {

constexpr std::string_view HEX = "0123456789abcdef";
// "status 4294967295" is the longest line that can be right.
constexpr std::size_t LONGEST_LINE = 17;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::size_t skip_blanks(std::string_view line, std::size_t pos) {
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  return pos;
}

std::string_view next_word(std::string_view line, std::size_t& pos) {
  pos = skip_blanks(line, pos);
  const std::size_t start = pos;
  while (pos < line.size() && !is_blank(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

// A number in plain decimal: no sign, no leading zero, at most 32 bits.
std::optional<std::uint32_t> parse_decimal(std::string_view text) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFF) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::string relay_id(const std::array<std::uint8_t, 16>& random) {
  std::string id;
  for (std::uint8_t byte : random) {
    id += HEX[byte >> 4];
    id += HEX[byte & 0xF];
  }
  return id;
}

bool is_relay_id(std::string_view text) {
  return text.size() == 32 && text.find_first_not_of(HEX) == std::string_view::npos;
}

std::string relay_pipe_name(std::string_view id) {
  return "\\\\.\\pipe\\vornalt-" + std::string(id);
}

std::string pid_message(std::uint32_t pid) { return "pid " + std::to_string(pid) + "\n"; }

std::string status_message(std::uint32_t status) {
  return "status " + std::to_string(status) + "\n";
}

std::string failure_message(HRESULT code) {
  return "failed " + std::to_string(static_cast<std::uint32_t>(code.value)) + "\n";
}

std::optional<RelayLine> read_relay_line(std::string_view line) {
  std::string program;
  std::size_t pos = split_program_name(line, program);
  if (next_word(line, pos) != RELAY_MARKER) return std::nullopt;
  RelayLine relay;
  relay.id = next_word(line, pos);
  relay.shell_line = line.substr(skip_blanks(line, pos));
  if (relay.shell_line.empty()) return std::nullopt;
  split_program_name(relay.shell_line, relay.shell_program);
  return relay;
}

void RelayReportReader::take(std::string_view bytes) {
  for (char c : bytes) {
    if (state_ == State::malformed) return;
    if (c != '\n') {
      line_ += c;
      if (line_.size() > LONGEST_LINE) state_ = State::malformed;
      continue;
    }
    take_line(line_);
    line_.clear();
  }
}

void RelayReportReader::take_line(std::string_view line) {
  const std::size_t blank = line.find(' ');
  const std::string_view word = line.substr(0, blank);
  const std::optional<std::uint32_t> value =
      blank == std::string_view::npos ? std::nullopt : parse_decimal(line.substr(blank + 1));
  State next = State::malformed;
  if (value && state_ == State::awaiting_pid) {
    if (word == "pid") {
      pid_ = *value;
      next = State::awaiting_status;
    } else if (word == "failed" && *value != 0) {
      value_ = *value;
      next = State::failed;
    }
  } else if (value && state_ == State::awaiting_status && word == "status") {
    value_ = *value;
    next = State::ended;
  }
  state_ = next;
}

}  // namespace vornalt
