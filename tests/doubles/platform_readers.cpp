#include "platform_readers.h"

#include <algorithm>

#include "text/command_line.h"
#include "text/wtf8.h"

namespace vornalt::testing {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::size_t skip_blanks(std::string_view line, std::size_t pos) {
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  return pos;
}

// The program's name: up to the next blank or tab, or in quotes up to the
// next quote. Returns the position after it.
std::size_t read_program_name(std::string_view line, std::string& name) {
  std::size_t pos = 0;
  if (!line.empty() && line[0] == '"') {
    const std::size_t close = line.find('"', 1);
    name = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    return close == std::string_view::npos ? line.size() : close + 1;
  }
  while (pos < line.size() && !is_blank(line[pos])) name += line[pos++];
  return pos;
}

std::size_t read_argument(std::string_view line, std::size_t pos, std::string& arg) {
  bool in_quotes = false;
  while (pos < line.size()) {
    std::size_t backslashes = 0;
    while (pos < line.size() && line[pos] == '\\') ++backslashes, ++pos;
    if (pos < line.size() && line[pos] == '"') {
      arg.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        arg += '"';
        ++pos;
      } else if (in_quotes && pos + 1 < line.size() && line[pos + 1] == '"') {
        arg += '"';  // and the quoted part ends
        in_quotes = false;
        pos += 2;
      } else {
        in_quotes = !in_quotes;
        ++pos;
      }
      continue;
    }
    arg.append(backslashes, '\\');
    if (pos == line.size() || (!in_quotes && is_blank(line[pos]))) break;
    arg += line[pos++];
  }
  return pos;
}

// conhost.exe's quoting of one word of the client's line.
std::string conhost_quote(std::string_view word) {
  if (word.empty()) return "\"\"";
  if (word.find_first_of(" \t\"\\") == std::string_view::npos) return std::string(word);
  const bool wrap = word.find_first_of(" \t") != std::string_view::npos;
  std::string out = wrap ? "\"" : "";
  std::size_t backslashes = 0;
  for (char c : word) {
    if (c == '"') out.append(backslashes + 1, '\\');
    backslashes = c == '\\' ? backslashes + 1 : 0;
    out += c;
  }
  if (wrap) out.append(backslashes, '\\') += '"';
  return out;
}

bool is_one_of(std::string_view word, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), word) != names.end();
}

// wt.exe's "\;" to ";" and its UTF-8 round trip.
std::string wt_piece(std::string_view piece) {
  std::string out;
  for (std::size_t i = 0; i < piece.size(); ++i) {
    if (piece[i] == '\\' && i + 1 < piece.size() && piece[i + 1] == ';') continue;
    out += piece[i];
  }
  return to_utf8_lossy(out);
}

// wt.exe's words, cut into subcommands at each `;` at a word's start or
// after anything but a backslash.
std::vector<std::vector<std::string>> wt_subcommands(const std::vector<std::string>& words) {
  std::vector<std::vector<std::string>> commands(1);
  for (const std::string& word : words) {
    std::size_t start = 0;
    bool cut = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (word[i] != ';' || (i > 0 && word[i - 1] == '\\')) continue;
      if (i > start) commands.back().push_back(wt_piece(word.substr(start, i - start)));
      commands.emplace_back();
      start = i + 1;
      cut = true;
    }
    if (!cut || start < word.size()) commands.back().push_back(wt_piece(word.substr(start)));
  }
  return commands;
}

// The depth of cmd's quoting after the `"` at `text[pos]`.
std::size_t quote_depth_after(std::string_view text, std::size_t pos, std::size_t depth,
                              CmdQuotes quotes) {
  if (quotes == CmdQuotes::windows) return depth == 0 ? 1 : 0;
  if (depth == 0) return 1;
  std::size_t count = depth;
  for (; pos < text.size(); ++pos) {
    if (text[pos] == '"') {
      ++count;
    } else if (count % 2 == 0 &&
               std::string_view(" <>|&").find(text[pos]) != std::string_view::npos) {
      break;
    }
  }
  return depth >= count / 2 ? depth - 1 : depth + 1;
}

// PowerShell's classes of characters outside quotes, listed by hand rather
// than taken from the program's Unicode tables, so that a fault in those
// shows.
bool is_powershell_line_end(char32_t c) { return c == '\n' || c == '\r'; }

bool is_powershell_blank(char32_t c) {
  switch (c) {
    case '\t':
    case 0x0B:
    case 0x0C:
    case ' ':
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

bool is_powershell_single_quote(char32_t c) { return c == '\'' || (c >= 0x2018 && c <= 0x201B); }
bool is_powershell_double_quote(char32_t c) { return c == '"' || (c >= 0x201C && c <= 0x201E); }
bool is_powershell_dash(char32_t c) { return c == '-' || (c >= 0x2013 && c <= 0x2015); }

bool ends_powershell_command(char32_t c) {
  return is_powershell_line_end(c) || c == ';' || c == '&' || c == '|';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads the string whose opening quote ends before `pos`, up to and past its
// closing quote; false when it is left open or closed ambiguously. A single-
// quoted string's text goes to `text`.
bool read_powershell_string(std::string_view line, std::size_t& pos, bool single,
                            std::string& text) {
  while (pos < line.size()) {
    const DecodedChar c = decode_wtf8(line, pos);
    pos += c.length;
    if (!single && c.code == '`') {
      if (pos < line.size()) pos += decode_wtf8(line, pos).length;
      continue;
    }
    const bool quote =
        single ? is_powershell_single_quote(c.code) : is_powershell_double_quote(c.code);
    if (!quote) {
      if (single) text.append(line, pos - c.length, c.length);
      continue;
    }
    const DecodedChar next = pos < line.size() ? decode_wtf8(line, pos) : DecodedChar{0, 0};
    const bool doubled =
        single ? is_powershell_single_quote(next.code) : is_powershell_double_quote(next.code);
    if (!doubled) return true;
    // A pair of one quote stands for it; which a mixed pair gives is not
    // known here.
    if (next.code != c.code) return false;
    if (single) text.append(line, pos - c.length, c.length);
    pos += next.length;
  }
  return false;
}

// One element from `pos` on, read in argument mode; false when the reading
// stopped where it cannot follow PowerShell (the element is then code).
bool read_powershell_element(std::string_view line, std::size_t& pos, PowershellWord& word) {
  using Kind = PowershellWord::Kind;
  const std::size_t start = pos;
  const DecodedChar first = decode_wtf8(line, pos);
  auto stop = [&] {
    word = {Kind::code, std::string(line.substr(start, pos - start))};
    return false;
  };
  // A number (1kb, 0x10) arrives as its value.
  bool code = is_digit(line[pos]) || first.code == '@' || first.code == '[' ||
              ((first.code == '.' || first.code == '+') && pos + 1 < line.size() &&
               is_digit(line[pos + 1]));
  std::size_t strings = 0;
  bool bare = false;
  std::string text;
  while (pos < line.size()) {
    const DecodedChar c = decode_wtf8(line, pos);
    if (is_powershell_blank(c.code) || ends_powershell_command(c.code)) break;
    pos += c.length;
    if (is_powershell_single_quote(c.code) || is_powershell_double_quote(c.code)) {
      const bool single = is_powershell_single_quote(c.code);
      if (!read_powershell_string(line, pos, single, text)) return stop();
      ++strings;
      code = code || !single;
    } else if (c.code == '`') {
      code = true;
      if (pos == line.size()) break;
      const DecodedChar escaped = decode_wtf8(line, pos);
      pos += escaped.length;
      // It joins the words on either side, or two lines.
      if (is_powershell_blank(escaped.code) || is_powershell_line_end(escaped.code)) return stop();
    } else if (c.code < 0x80 && std::string_view("(){}<>,").find(static_cast<char>(c.code)) !=
                                    std::string_view::npos) {
      return stop();
    } else {
      code = code || c.code == '$' || c.code == '#' || c.code == '@';
      bare = true;
      text.append(line, pos - c.length, c.length);
    }
  }
  std::string written(line.substr(start, pos - start));
  if (written == "--%") {  // the rest goes as it is
    pos = line.size();
    return stop();
  }
  if (code || strings > 1 || (strings == 1 && bare)) {
    word = {Kind::code, std::move(written)};
  } else if (strings == 0 && is_powershell_dash(first.code)) {
    word = {Kind::parameter, std::move(written)};
  } else {
    word = {Kind::text, std::move(text)};
  }
  return true;
}

// Whether a statement that begins at `pos` is an expression rather than a
// command: a string, a variable, an array or hash, a type, or a number.
bool starts_expression(std::string_view line, std::size_t pos) {
  const char32_t c = decode_wtf8(line, pos).code;
  const bool number = is_digit(line[pos]) ||
                      ((c == '.' || c == '+') && pos + 1 < line.size() && is_digit(line[pos + 1]));
  return number || is_powershell_single_quote(c) || is_powershell_double_quote(c) || c == '$' ||
         c == '@' || c == '[' || c == '(' || c == ',';
}

// Where a statement stands before each of its elements.
enum class Statement { start, call, command, expression, assignment };

// Gives `word` its place in the statement: the command it runs, or an
// expression that a word other than `=` must not follow.
Statement place_in_statement(PowershellWord& word, bool expression, Statement statement,
                             PowershellReading& reading) {
  using Kind = PowershellWord::Kind;
  switch (statement) {
    case Statement::start:
      if (expression) {
        word.kind = Kind::code;
        return Statement::expression;
      }
      [[fallthrough]];
    case Statement::call:
      // Only a literal name is followed here; anything else is code.
      word.kind = word.kind == Kind::text ? Kind::command : Kind::code;
      return Statement::command;
    case Statement::expression:
      if (word == PowershellWord{Kind::text, "="}) return Statement::assignment;
      reading.runs = false;
      return Statement::expression;
    default:
      return statement;
  }
}

}  // namespace

std::vector<std::string> command_line_to_argv(std::string_view line) {
  std::vector<std::string> args(1);
  std::size_t pos = read_program_name(line, args[0]);
  while ((pos = skip_blanks(line, pos)) < line.size()) {
    pos = read_argument(line, pos, args.emplace_back());
  }
  return args;
}

std::string conhost_reading(std::string_view line) {
  const std::vector<std::string> words = command_line_to_argv(line);
  std::size_t i = 1;
  while (i < words.size()) {
    const std::string& word = words[i];
    if (is_one_of(word, {"--headless", "--inheritcursor", "-ForceV1"}) || word.starts_with("0x")) {
      ++i;
    } else if (is_one_of(word, {"--width", "--height", "--server", "--signal", "--feature"})) {
      i += 2;
    } else {
      if (word == "--") ++i;
      break;
    }
  }
  std::string client;
  for (std::size_t k = i; k < words.size(); ++k) {
    if (k > i) client += ' ';
    client += conhost_quote(words[k]);
  }
  return client;
}

namespace {

// The root's options, for the window: the flags alone, the others with the
// next word as their value. False when `option` is none of them.
bool read_root_option(const std::vector<std::string>& words, std::size_t& i, WtReading& reading) {
  const std::string& option = words[i];
  const auto value = [&]() { return i + 1 < words.size() ? words[++i] : std::string(); };
  if (is_one_of(option, {"--maximized", "-M"})) {
    reading.maximized = true;
  } else if (is_one_of(option, {"--fullscreen", "-F"})) {
    reading.fullscreen = true;
  } else if (is_one_of(option, {"--focus", "-f"})) {
    reading.focus = true;
  } else if (is_one_of(option, {"--window", "-w"})) {
    reading.window = value();
  } else if (option == "--pos") {
    reading.pos = value();
  } else if (option == "--size") {
    reading.size = value();
  } else {
    return false;
  }
  return true;
}

// ColorFromHexString: "#RRGGBB" or "#RGB".
bool is_readable_color(std::string_view text) {
  return (text.size() == 7 || text.size() == 4) && text[0] == '#' &&
         text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string_view::npos;
}

// split-pane's -s: a decimal number that Terminal checks to lie in
// 0.01..0.99.
bool is_pane_share(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
  if (std::count(text.begin(), text.end(), '.') > 1 || text == ".") return false;
  const double share = std::stod(text);
  return share >= 0.01 && share <= 0.99;
}

// The options of new-tab and split-pane, the latter's own only for it; false
// when `option` is none of them.
bool read_tab_option(const std::vector<std::string>& words, std::size_t& i, WtReading& reading) {
  const std::string& option = words[i];
  const auto value = [&]() { return i + 1 < words.size() ? words[++i] : std::string(); };
  const bool pane = reading.subcommand == "split-pane";
  if (is_one_of(option, {"--profile", "-p"})) {
    reading.profile = value();
  } else if (is_one_of(option, {"--startingDirectory", "-d"})) {
    reading.starting_directory = value();
  } else if (option == "--title") {
    reading.title = value();
  } else if (option == "--tabColor") {
    const std::string color = value();
    // One that it cannot read is dropped without a word.
    reading.tab_color = is_readable_color(color) ? std::optional(color) : std::nullopt;
  } else if (option == "--colorScheme") {
    value();
  } else if (is_one_of(option, {"--suppressApplicationTitle", "--useApplicationTitle"})) {
  } else if (pane && is_one_of(option, {"--horizontal", "-H", "--vertical", "-V"})) {
    const char split = option == "-H" || option == "--horizontal" ? 'H' : 'V';
    reading.error = reading.error || (reading.split && *reading.split != split);
    reading.split = split;
  } else if (pane && is_one_of(option, {"--size", "-s"})) {
    reading.split_size = value();
    reading.error = reading.error || !is_pane_share(*reading.split_size);
  } else if (pane && is_one_of(option, {"--duplicate", "-D"})) {
  } else {
    return false;
  }
  return true;
}

std::string subcommand_named(std::string_view word) {
  if (is_one_of(word, {"new-tab", "nt"})) return "new-tab";
  if (is_one_of(word, {"split-pane", "sp"})) return "split-pane";
  if (is_one_of(word, {"focus-tab", "ft"})) return "focus-tab";
  if (is_one_of(word, {"move-focus", "mf"})) return "move-focus";
  return "";
}

}  // namespace

WtReading wt_reading(std::string_view line, const Expand& expand) {
  std::vector<std::string> words = command_line_to_argv(line);
  words.erase(words.begin());
  const auto commands = wt_subcommands(words);
  WtReading reading;
  reading.subcommands = commands.size();
  const std::vector<std::string>& first = commands[0];
  // The root's options for the window, then the subcommand's name where an
  // option could stand (none: new-tab), then its options, and the command.
  std::size_t i = 0;
  while (i < first.size() && read_root_option(first, i, reading)) ++i;
  if (i < first.size() && !subcommand_named(first[i]).empty()) {
    reading.subcommand = subcommand_named(first[i++]);
  }
  while (i < first.size() && read_tab_option(first, i, reading)) ++i;
  // An option that it does not know is no command: wt.exe shows the error.
  if (i < first.size() && first[i].starts_with('-')) reading.error = true;
  std::string joined;
  for (std::size_t k = i; k < first.size(); ++k) {
    if (k > i) joined += ' ';
    const bool wrap = first[k].find(' ') != std::string::npos;
    joined += wrap ? '"' + first[k] + '"' : first[k];
  }
  reading.command = expand(joined);
  return reading;
}

std::string expand_variables(std::string_view text, const Lookup& lookup) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('%', pos);
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text, pos, open - pos);
    const std::optional<std::string> value =
        close > open + 1 ? lookup(text.substr(open + 1, close - open - 1)) : std::nullopt;
    // An undefined reference stays as written, both of its % included.
    out += value ? *value : text.substr(open, close + 1 - open);
    pos = close + 1;
  }
  out.append(text, pos);
  return out;
}

std::optional<CmdReading> cmd_reading(std::string_view line, const Lookup& lookup,
                                      CmdQuotes quotes) {
  std::string program;
  std::size_t pos = read_program_name(line, program);
  bool strip = false;
  while ((pos = skip_blanks(line, pos)) < line.size() && line[pos] == '/') {
    const char option = pos + 1 < line.size() ? static_cast<char>(line[pos + 1] | 0x20) : '\0';
    pos += 2;
    if (option == 'c') break;
    if (option == 's') strip = true;
  }
  std::string text(line.substr(std::min(pos, line.size())));
  const std::size_t first = skip_blanks(text, 0);
  if (first < text.size() && text[first] == '"') {
    const std::size_t last = text.rfind('"');
    const std::string_view inside = std::string_view(text).substr(first + 1, last - first - 1);
    const bool might_keep = !strip && last > first &&
                            std::count(text.begin(), text.end(), '"') == 2 &&
                            inside.find_first_of("&<>()@^|") == std::string_view::npos &&
                            inside.find(' ') != std::string_view::npos;
    if (might_keep) return std::nullopt;
    if (last > first) text.erase(last, 1);
    text.erase(first, 1);
  }
  text = expand_variables(text, lookup);

  CmdReading reading;
  std::string command;
  auto finish = [&] {
    reading.commands.push_back(command.substr(skip_blanks(command, 0)));
    command.clear();
  };
  std::size_t depth = 0;
  for (std::size_t i = 0; i < text.size() && text[i] != '\n'; ++i) {
    const char c = text[i];
    if (c == '"') depth = quote_depth_after(text, i, depth, quotes);
    if (depth > 0 || c == '"') {
      command += c;
    } else if (c == '^') {
      if (i + 1 < text.size()) command += text[++i];
    } else if (c == '&' || c == '|') {
      finish();
      if (i + 1 < text.size() && text[i + 1] == c) ++i;
    } else {
      if (c == '<' || c == '>') reading.redirected = true;
      command += c;
    }
  }
  finish();
  return reading;
}

std::optional<std::string> title_set_by(std::string_view command) {
  if (command.size() < 5) return std::nullopt;
  std::string word(command.substr(0, 5));
  for (char& c : word) c = static_cast<char>(c | 0x20);
  if (word != "title" || (command.size() > 5 && !is_blank(command[5]))) return std::nullopt;
  return std::string(command.substr(std::min<std::size_t>(6, command.size())));
}

std::optional<CmdPathReading> read_cmd_path(std::string_view composed, CmdQuotes quotes) {
  CmdPathReading path;
  const bool conhost = composed.starts_with("conhost.exe ");
  if (conhost) {
    path.shell_line = conhost_reading(composed);
  } else {
    const WtReading wt =
        wt_reading(composed, [](std::string_view text) { return std::string(text); });
    path.shell_line = wt.command;
    path.subcommands = wt.subcommands;
    path.host_title = wt.title;
  }
  const auto no_variables = [](std::string_view) { return std::optional<std::string>(); };
  const std::optional<CmdReading> cmd = cmd_reading(path.shell_line, no_variables, quotes);
  if (!cmd) return std::nullopt;
  const std::size_t expected = conhost ? 2 : 1;
  path.injected = cmd->redirected || cmd->commands.size() != expected || path.subcommands != 1;
  if (conhost) path.cmd_title = title_set_by(cmd->commands.front());
  const std::string& program = cmd->commands.back();
  path.crt_words = split_command_line(program);
  path.argv_words = command_line_to_argv(program);
  path.program_name = {path.crt_words.front(), path.argv_words.front()};
  path.crt_words.erase(path.crt_words.begin());
  path.argv_words.erase(path.argv_words.begin());
  return path;
}

PowershellReading powershell_reading(std::string_view line) {
  using Kind = PowershellWord::Kind;
  PowershellReading reading;
  Statement statement = Statement::start;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const DecodedChar first = decode_wtf8(line, pos);
    if (is_powershell_blank(first.code)) {
      pos += first.length;
      continue;
    }
    // At a statement's start `&` is the call operator; anywhere else it
    // ends the pipeline.
    const bool call = first.code == '&' && statement == Statement::start &&
                      (pos + 1 == line.size() || line[pos + 1] != '&');
    if (call) {
      pos += first.length;
      statement = Statement::call;
      continue;
    }
    if (ends_powershell_command(first.code)) {
      reading.words.push_back({Kind::end, std::string(line.substr(pos, first.length))});
      pos += first.length;
      statement = Statement::start;
      continue;
    }
    const std::size_t start = pos;
    if (first.code == '#') {  // a comment, to the line's end
      while (pos < line.size() && line[pos] != '\n' && line[pos] != '\r') ++pos;
      reading.words.push_back({Kind::code, std::string(line.substr(start, pos - start))});
      continue;
    }
    PowershellWord word;
    const bool whole = read_powershell_element(line, pos, word);
    statement = place_in_statement(word, starts_expression(line, start), statement, reading);
    if (word.kind == Kind::code) word.text = line.substr(start, pos - start);
    reading.words.push_back(std::move(word));
    if (!whole) {
      reading.complete = false;
      return reading;
    }
  }
  return reading;
}

}  // namespace vornalt::testing
