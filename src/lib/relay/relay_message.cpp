#include "relay/relay_message.h"

#include "text/command_line.h"

namespace vornalt {
namespace {

// No target, so that nobody types it by chance.
constexpr std::string_view MARKER = "--vornalt-relay";
constexpr std::string_view NO_PIPE = "-";
constexpr std::string_view KEEP = "--keep";
constexpr std::string_view VARIABLES = "--variables";
constexpr std::string_view SIZE = "--size";

// Whether the next word is `word`; `pos` goes past it only then.
bool take_word(std::string_view line, std::size_t& pos, std::string_view word) {
  std::size_t after = pos;
  if (next_plain_word(line, after) != word) return false;
  pos = after;
  return true;
}

}  // namespace

std::string relay_line(std::string_view program, const RelayMessage& message) {
  std::string line(program);
  line += ' ';
  line += MARKER;
  line += ' ';
  line += message.pipe_id.empty() ? NO_PIPE : std::string_view(message.pipe_id);
  line += ' ';
  if (message.keep) (line += KEEP) += ' ';
  if (message.needs_variables) (line += VARIABLES) += ' ';
  if (message.window_size) (((line += SIZE) += ' ') += to_string(*message.window_size)) += ' ';
  line += message.shell_line;
  return line;
}

std::optional<RelayMessage> read_relay_line(std::string_view line) {
  const std::optional<std::size_t> start = after_marker(line, MARKER);
  if (!start) return std::nullopt;
  std::size_t pos = *start;
  RelayMessage message;
  const std::string_view id = next_plain_word(line, pos);
  if (id != NO_PIPE) message.pipe_id = id;
  message.keep = take_word(line, pos, KEEP);
  message.needs_variables = take_word(line, pos, VARIABLES);
  if (take_word(line, pos, SIZE)) {
    message.window_size = parse_cells(next_plain_word(line, pos));
    if (!message.window_size) return std::nullopt;
  }
  message.shell_line = line.substr(skip_blanks(line, pos));
  if (message.pipe_id.empty() && id != NO_PIPE) return std::nullopt;
  if (message.shell_line.empty()) return std::nullopt;
  return message;
}

bool is_relay_command(std::span<const std::string> args) {
  return args.size() >= 2 && args[1] == MARKER;
}

std::string shell_program(const RelayMessage& message) {
  std::string program;
  split_program_name(message.shell_line, program);
  return program;
}

}  // namespace vornalt
