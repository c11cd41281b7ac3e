#include "console_command_line.h"

#include "powershell_command.h"
#include "quoting.h"

namespace vornalt {
namespace {

bool is_cmd_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The end of the token that starts at `pos`: the next blank outside quotes,
// read as CommandLineToArgvW reads them (`\"` is no quote; `\\"` is one).
std::size_t token_end(std::string_view text, std::size_t pos) {
  const std::size_t start = pos;
  bool in_quotes = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == ' ' && !in_quotes) break;
    if (c != '"') continue;
    std::size_t backslashes = 0;
    while (pos - backslashes > start && text[pos - 1 - backslashes] == '\\') ++backslashes;
    if (backslashes % 2 == 0) in_quotes = !in_quotes;
  }
  return pos;
}

// One token as the word wt.exe must read, quoted for its splitting. `word`
// is a buffer kept from token to token.
void append_token_for_wt(std::string& out, std::string_view token, std::string& word) {
  const bool wrapped_for_blank =
      token.size() >= 2 && token.front() == '"' && token.find(' ') != std::string_view::npos;
  if (wrapped_for_blank) token = token.substr(1, token.size() - 2);
  word.clear();
  for (std::size_t semicolon; (semicolon = token.find(';')) != std::string_view::npos;) {
    word.append(token, 0, semicolon);
    word += "\\;";
    token.remove_prefix(semicolon + 1);
  }
  word += token;
  append_quoted_for_argv(out, word);
}

}  // namespace

std::string escape_title_for_cmd(std::string_view title) {
  std::string out;
  out.reserve(title.size() + 8);
  for (std::size_t i = 0; i < title.size(); ++i) {
    char c = title[i];
    if (c == '"') c = '\'';
    if (is_cmd_blank(c)) {
      c = ' ';
      const bool single = i > 0 && i + 1 < title.size() && !is_cmd_blank(title[i - 1]) &&
                          !is_cmd_blank(title[i + 1]);
      if (!single) out += '^';
    } else if (std::string_view("^&|<>").find(c) != std::string_view::npos) {
      out += '^';
    }
    out += c;
  }
  return out;
}

std::string escape_title_for_wt(std::string_view title) {
  std::string out;
  out.reserve(title.size());
  std::size_t backslashes = 0;
  for (char c : title) {
    if (c == '\\') {
      ++backslashes;
      out += c;
      continue;
    }
    if (c == '"') {
      out.append(backslashes + 1, '\\');
    } else if (c == ';') {
      out += '\\';
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes, '\\');
  return out;
}

std::string escape_arguments_for_wt(std::string_view arguments) {
  std::string out;
  out.reserve(arguments.size() + arguments.size() / 4 + 2);
  std::string word;
  for (std::size_t pos = 0;; ++pos) {
    const std::size_t end = token_end(arguments, pos);
    if (pos > 0) out += ' ';
    append_token_for_wt(out, arguments.substr(pos, end - pos), word);
    pos = end;
    if (pos == arguments.size()) break;
  }
  return out;
}

std::string compose_command_line(const LaunchRequest& request) {
  const bool cmd = request.shell == "cmd";
  const bool conhost = request.target == "conhost";
  std::string line;
  if (conhost) {
    line = "conhost.exe ";
  } else {
    line = "wt.exe --window vornalt --title \"";
    line += escape_title_for_wt(request.title);
    line += "\" --startingDirectory . ";
  }
  if (!cmd) {
    line += request.shell;
    line += ".exe -EncodedCommand ";
    line += encode_powershell_command(
        powershell_script(request.target, request.title, request.arguments));
    return line;
  }
  if (conhost) {
    // An escaped blank at the end of the title is also the blank before "&&":
    // conhost.exe would fold two blanks into one.
    const std::string title = escape_title_for_cmd(request.title);
    line += "cmd.exe /c title";
    if (!title.empty()) line += ' ' + title;
    if (title.empty() || title.back() != ' ') line += ' ';
    line += "&& ";
    line += request.arguments;
    return line;
  }
  // cmd /c removes the first and the last quote of its line when the line
  // starts with one; /s makes that rule plain, and the two quotes are words
  // of their own so that wt.exe hands on exactly those.
  if (request.arguments.starts_with('"')) {
    line += "cmd.exe /s /c \\\" ";
    line += escape_arguments_for_wt(request.arguments);
    line += " \\\"";
  } else {
    line += "cmd.exe /c ";
    line += escape_arguments_for_wt(request.arguments);
  }
  return line;
}

}  // namespace vornalt
