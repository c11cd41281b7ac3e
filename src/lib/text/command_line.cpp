#include "text/command_line.h"

namespace vornalt {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::size_t split_program_name(std::string_view line, std::string& name) {
  bool in_quotes = false;
  std::size_t pos = 0;
  for (; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (c == '"') {
      in_quotes = !in_quotes;
    } else if (!in_quotes && is_blank(c)) {
      break;
    } else {
      name += c;
    }
  }
  return pos;
}

std::size_t split_argument(std::string_view line, std::size_t pos, std::string& arg) {
  bool in_quotes = false;
  while (pos < line.size()) {
    std::size_t backslashes = 0;
    while (pos < line.size() && line[pos] == '\\') ++backslashes, ++pos;
    if (pos < line.size() && line[pos] == '"') {
      arg.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        arg += '"';
      } else if (in_quotes && pos + 1 < line.size() && line[pos + 1] == '"') {
        arg += '"';
        ++pos;
      } else {
        in_quotes = !in_quotes;
      }
      ++pos;
      continue;
    }
    arg.append(backslashes, '\\');
    if (pos == line.size() || (!in_quotes && is_blank(line[pos]))) break;
    arg += line[pos++];
  }
  return pos;
}

std::optional<std::size_t> after_marker(std::string_view line, std::string_view marker) {
  std::string program;
  std::size_t pos = split_program_name(line, program);
  if (next_plain_word(line, pos) != marker) return std::nullopt;
  return pos;
}

std::size_t skip_blanks(std::string_view line, std::size_t pos) {
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  return pos;
}

std::string_view next_plain_word(std::string_view line, std::size_t& pos) {
  pos = skip_blanks(line, pos);
  const std::size_t start = pos;
  while (pos < line.size() && !is_blank(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

std::vector<std::string> split_command_line(std::string_view line) {
  std::vector<std::string> args(1);
  std::size_t pos = split_program_name(line, args[0]);
  while ((pos = skip_blanks(line, pos)) < line.size()) {
    pos = split_argument(line, pos, args.emplace_back());
  }
  return args;
}

}  // namespace vornalt
