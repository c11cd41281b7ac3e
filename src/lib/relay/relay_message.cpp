#include "relay/relay_message.h"

#include "compose/quoting.h"
#include "pipe/protocol.h"
#include "text/command_line.h"

namespace vornalt {
namespace {

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

// The position after the id, which follows `marker` as the second word of
// `line`, the program's name read by the program-name rule.
std::optional<std::size_t> read_marker_and_id(std::string_view line, std::string_view marker,
                                              std::string& id) {
  std::string program;
  std::size_t pos = split_program_name(line, program);
  if (next_word(line, pos) != marker) return std::nullopt;
  id = next_word(line, pos);
  return pos;
}

// Whether the next word is `word`; `pos` goes past it only then.
bool take_word(std::string_view line, std::size_t& pos, std::string_view word) {
  std::size_t after = pos;
  if (next_word(line, after) != word) return false;
  pos = after;
  return true;
}

// The option `name` with its value, when it is the next word; the position
// after it, or `pos` unchanged.
std::optional<std::string_view> take_option(std::string_view line, std::size_t& pos,
                                            std::string_view name) {
  std::size_t after = pos;
  if (!take_word(line, after, name)) return std::nullopt;
  const std::string_view value = next_word(line, after);
  if (value.empty()) return std::nullopt;
  pos = after;
  return value;
}

}  // namespace

std::string elevated_parameters(std::string_view id, const StartupWindow& window,
                                std::string_view folder, std::string_view host,
                                std::string_view host_line) {
  std::string out(ELEVATED_MARKER);
  out += ' ';
  out += id;
  out += ' ';
  if (window.show) out += "--show " + std::to_string(static_cast<int>(*window.show)) + " ";
  if (window.position) out += "--pos " + to_string(*window.position) + " ";
  append_quoted_for_argv(out, folder);
  out += ' ';
  append_quoted_for_argv(out, host);
  out += ' ';
  out += host_line;
  return out;
}

std::optional<ElevatedLine> read_elevated_line(std::string_view line) {
  ElevatedLine elevated;
  const std::optional<std::size_t> start = read_marker_and_id(line, ELEVATED_MARKER, elevated.id);
  if (!start) return std::nullopt;
  std::size_t pos = *start;
  if (const auto show = take_option(line, pos, "--show")) {
    const std::optional<std::uint32_t> value = parse_decimal(*show);
    if (!value || *value > 0xFFFF) return std::nullopt;
    elevated.window.show = static_cast<ShowCommand>(*value);
  }
  if (const auto position = take_option(line, pos, "--pos")) {
    elevated.window.position = parse_pixels(*position);
    if (!elevated.window.position) return std::nullopt;
  }
  for (std::string* word : {&elevated.folder, &elevated.host}) {
    pos = skip_blanks(line, pos);
    if (pos == line.size()) return std::nullopt;
    pos = split_argument(line, pos, *word);
  }
  elevated.host_line = line.substr(skip_blanks(line, pos));
  if (elevated.id.empty() || elevated.host_line.empty()) return std::nullopt;
  return elevated;
}

std::optional<RelayLine> read_relay_line(std::string_view line) {
  RelayLine relay;
  const std::optional<std::size_t> start = read_marker_and_id(line, RELAY_MARKER, relay.id);
  if (!start) return std::nullopt;
  std::size_t pos = *start;
  // An option is taken only where it may stand; a later word of that name
  // is the shell's.
  relay.keep = take_word(line, pos, RELAY_KEEP);
  relay.variables = take_word(line, pos, RELAY_VARIABLES);
  if (const auto size = take_option(line, pos, RELAY_SIZE)) relay.window_size = parse_cells(*size);
  relay.shell_line = line.substr(skip_blanks(line, pos));
  if (relay.shell_line.empty()) return std::nullopt;
  split_program_name(relay.shell_line, relay.shell_program);
  return relay;
}

}  // namespace vornalt
