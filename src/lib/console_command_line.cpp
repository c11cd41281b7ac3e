#include "console_command_line.h"

#include "powershell_command.h"
#include "quoting.h"
#include "relay_protocol.h"
#include "wtf8.h"

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

// A word as wt.exe must read it, quoted for its splitting. `buffer` is kept
// from word to word.
void append_word_for_wt(std::string& out, std::string_view word, std::string& buffer) {
  buffer.clear();
  for (std::size_t semicolon; (semicolon = word.find(';')) != std::string_view::npos;) {
    buffer.append(word, 0, semicolon);
    buffer += "\\;";
    word.remove_prefix(semicolon + 1);
  }
  buffer += word;
  append_quoted_for_argv(out, buffer);
}

// One token of the cmd arguments as the word wt.exe must read.
void append_token_for_wt(std::string& out, std::string_view token, std::string& buffer) {
  const bool wrapped_for_blank =
      token.size() >= 2 && token.front() == '"' && token.find(' ') != std::string_view::npos;
  if (wrapped_for_blank) token = token.substr(1, token.size() - 2);
  append_word_for_wt(out, token, buffer);
}

// What cmd.exe reads after "/c " on conhost's line: the title command, then
// the arguments. An escaped blank at the end of the title is also the blank
// before "&&": conhost.exe would fold two blanks into one.
std::string conhost_cmd_text(const LaunchRequest& request) {
  const std::string title = escape_title_for_cmd(request.title);
  std::string text = "title";
  if (!title.empty()) text += ' ' + title;
  if (title.empty() || title.back() != ' ') text += ' ';
  text += "&& ";
  text += request.arguments;
  return text;
}

// cmd /c removes the first and the last quote of its line when the line
// starts with one; /s makes that rule plain.
bool needs_cmd_s(const LaunchRequest& request) { return request.arguments.starts_with('"'); }

}  // namespace

bool relay_takes_variables(const LaunchRequest& request) {
  return request.target == "wt" && !request.variables.empty();
}

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

std::string word_for_wt(std::string_view word) {
  std::string out;
  std::string buffer;
  append_word_for_wt(out, word, buffer);
  return out;
}

std::string compose_command_line(const LaunchRequest& request, const Placement& placement) {
  const bool cmd = request.shell == "cmd";
  const bool conhost = request.target == "conhost";
  std::string line;
  if (conhost) {
    line = "conhost.exe ";
  } else {
    line = "wt.exe --window vornalt --title \"";
    line += escape_title_for_wt(request.title);
    line += "\" --startingDirectory ";
    line += placement.folder.empty() ? "." : word_for_wt(placement.folder);
    line += ' ';
  }
  if (!placement.relay_program.empty()) {
    // conhost.exe rebuilds the words in the quoting of quote_for_argv.
    line +=
        conhost ? quote_for_argv(placement.relay_program) : word_for_wt(placement.relay_program);
    line += ' ';
    line += RELAY_MARKER;
    line += ' ';
    line += placement.relay_id.empty() ? NO_RELAY_ID : placement.relay_id;
    line += ' ';
    if (request.keep) {
      line += RELAY_KEEP;
      line += ' ';
    }
    if (relay_takes_variables(request)) {
      line += RELAY_VARIABLES;
      line += ' ';
    }
  }
  if (!cmd) {
    line += request.shell;
    line += ".exe -EncodedCommand ";
    line += encode_powershell_command(
        powershell_script(request.target, request.title, request.arguments));
    return line;
  }
  if (conhost) {
    line += "cmd.exe /c ";
    line += conhost_cmd_text(request);
    return line;
  }
  // The two quotes around the arguments are words of their own, so that
  // wt.exe hands on exactly those.
  if (needs_cmd_s(request)) {
    line += "cmd.exe /s /c \\\" ";
    line += escape_arguments_for_wt(request.arguments);
    line += " \\\"";
  } else {
    line += "cmd.exe /c ";
    line += escape_arguments_for_wt(request.arguments);
  }
  return line;
}

std::size_t cmd_text_length(const LaunchRequest& request) {
  if (request.target == "conhost") return to_utf16(conhost_cmd_text(request)).size();
  // wt.exe hands cmd.exe the arguments exactly (an unpaired surrogate,
  // which it replaces, stays one unit), with /s between `" ` and ` "`.
  return to_utf16(request.arguments).size() + (needs_cmd_s(request) ? 4 : 0);
}

}  // namespace vornalt
