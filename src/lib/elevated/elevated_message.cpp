#include "elevated/elevated_message.h"

#include "compose/quoting.h"
#include "pipe/protocol.h"
#include "text/command_line.h"

namespace vornalt {
namespace {

constexpr std::string_view MARKER = "--vornalt-elevated";
constexpr std::string_view SHOW = "--show";
constexpr std::string_view POSITION = "--pos";

// The value of the option `name` when it is the next word; `pos` goes past
// both only then.
std::optional<std::string_view> take_option(std::string_view line, std::size_t& pos,
                                            std::string_view name) {
  std::size_t after = pos;
  if (next_plain_word(line, after) != name) return std::nullopt;
  const std::string_view value = next_plain_word(line, after);
  pos = after;
  return value;
}

// Each value, or the whole message, is wrong when it is none that its word
// allows.
bool read_window(std::string_view line, std::size_t& pos, StartupWindow& window) {
  if (const auto show = take_option(line, pos, SHOW)) {
    const std::optional<std::uint32_t> value = parse_decimal(*show);
    if (!value || *value > 0xFFFF) return false;
    window.show = static_cast<ShowCommand>(*value);
  }
  if (const auto position = take_option(line, pos, POSITION)) {
    window.position = parse_pixels(*position);
    if (!window.position) return false;
  }
  return true;
}

}  // namespace

std::string elevated_parameters(const ElevatedMessage& message) {
  std::string out(MARKER);
  out += ' ';
  out += message.pipe_id;
  out += ' ';
  const StartupWindow& window = message.window;
  if (window.show) {
    out += std::string(SHOW) + " " + std::to_string(static_cast<int>(*window.show)) + " ";
  }
  if (window.position) out += std::string(POSITION) + " " + to_string(*window.position) + " ";
  // A folder that looks like an option is read as the folder only in
  // quotes; a real one is absolute, and never does.
  append_quoted_for_argv(out, message.folder, message.folder.starts_with('-'));
  out += ' ';
  append_quoted_for_argv(out, message.host);
  out += ' ';
  out += message.host_line;
  return out;
}

std::optional<ElevatedMessage> read_elevated_line(std::string_view line) {
  const std::optional<std::size_t> start = after_marker(line, MARKER);
  if (!start) return std::nullopt;
  std::size_t pos = *start;
  ElevatedMessage message;
  message.pipe_id = next_plain_word(line, pos);
  if (!read_window(line, pos, message.window)) return std::nullopt;
  for (std::string* word : {&message.folder, &message.host}) {
    pos = skip_blanks(line, pos);
    if (pos == line.size()) return std::nullopt;
    pos = split_argument(line, pos, *word);
  }
  message.host_line = line.substr(skip_blanks(line, pos));
  if (message.pipe_id.empty() || message.host_line.empty()) return std::nullopt;
  return message;
}

bool is_elevated_command(std::span<const std::string> args) {
  return args.size() >= 2 && args[1] == MARKER;
}

}  // namespace vornalt
