#include "compose/console_command_line.h"

#include "compose/powershell_command.h"
#include "compose/quoting.h"
#include "pipe/protocol.h"
#include "relay/relay_message.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

bool is_cmd_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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
  text += quote_arguments(request.words, Shell::cmd);
  return text;
}

// cmd /c removes the first and the last quote of its line when the line
// starts with one; /s makes that rule plain.
bool needs_cmd_s(std::span<const std::string> pieces) {
  return !pieces.empty() && pieces.front().starts_with('"');
}

// The relay's words, before the shell's line: its program written as the
// host must be given it (conhost.exe rebuilds the words in the quoting of
// quote_for_argv), and its message, which leaves the shell's line to follow.
void append_relay_words(std::string& line, const LaunchPlan& plan, bool conhost) {
  line += relay_line(conhost ? quote_for_argv(plan.relay_program) : word_for_wt(plan.relay_program),
                     *plan.relay);
}

// wt.exe's options for a window that it creates: its root options, which it
// reads before the tab's.
void append_wt_window_options(std::string& line, const WtWindowOptions& options) {
  if (options.show == WindowShow::maximized) line += " --maximized";
  if (options.show == WindowShow::fullscreen) line += " --fullscreen";
  if (options.position) line += " --pos " + to_string(*options.position);
  if (options.size) line += " --size " + to_string(*options.size);
}

// The subcommand: without a split, wt.exe's implicit new-tab; with one,
// split-pane with its direction (none: Terminal splits the longer side) and
// the new pane's share.
void append_split(std::string& line, const TerminalTab& tab) {
  if (!tab.split) return;
  line += " split-pane";
  if (*tab.split == SplitDirection::right) line += " -V";
  if (*tab.split == SplitDirection::down) line += " -H";
  if (tab.split_percent) line += " -s " + pane_share(*tab.split_percent);
}

// The tab's or pane's own options beside its title.
void append_tab_options(std::string& line, const TerminalTab& tab) {
  if (tab.profile) line += " --profile " + word_for_wt(*tab.profile);
  if (tab.color) line += " --tabColor " + word_for_wt(*tab.color);
}

// The shell's line as wt.exe is to hand it on: the pieces as words of
// their own, and with /s the two quotes around them, as words of their own
// too, so that wt.exe hands on exactly those.
void append_cmd_for_wt(std::string& line, const LaunchRequest& request) {
  const std::vector<std::string> pieces = quote_words_for_cmd(request.words);
  if (needs_cmd_s(pieces)) {
    line += "cmd.exe /s /c \\\" ";
    line += escape_arguments_for_wt(pieces);
    line += " \\\"";
  } else {
    line += "cmd.exe /c ";
    line += escape_arguments_for_wt(pieces);
  }
}

// The shell's line, as the host is to hand it on.
void append_shell_line(std::string& line, const LaunchRequest& request) {
  if (request.shell != Shell::cmd) {
    line += program_name(request.shell);
    line += " -EncodedCommand ";
    line += encode_powershell_command(powershell_script(
        request.target, request.title, quote_arguments(request.words, request.shell)));
  } else if (request.target == Target::conhost) {
    line += "cmd.exe /c ";
    line += conhost_cmd_text(request);
  } else {
    append_cmd_for_wt(line, request);
  }
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

std::string escape_arguments_for_wt(std::span<const std::string> pieces) {
  std::string out;
  std::string word;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) out += ' ';
    append_token_for_wt(out, pieces[i], word);
  }
  return out;
}

std::string word_for_wt(std::string_view word) {
  std::string out;
  std::string buffer;
  append_word_for_wt(out, word, buffer);
  return out;
}

std::string compose_command_line(const LaunchRequest& request, const LaunchPlan& plan) {
  const bool conhost = request.target == Target::conhost;
  std::string line;
  if (conhost) {
    line = "conhost.exe ";
  } else {
    line = "wt.exe --window ";
    line += word_for_wt(plan.wt_window);
    append_wt_window_options(line, plan.wt_window_options);
    append_split(line, plan.wt_tab);
    line += " --title \"";
    line += escape_title_for_wt(request.title);
    line += '"';
    append_tab_options(line, plan.wt_tab);
    line += " --startingDirectory ";
    line += plan.folder.empty() ? "." : word_for_wt(plan.folder);
    line += ' ';
  }
  if (plan.relay) append_relay_words(line, plan, conhost);
  append_shell_line(line, request);
  return line;
}

std::size_t cmd_text_length(const LaunchRequest& request) {
  if (request.target == Target::conhost) return to_utf16(conhost_cmd_text(request)).size();
  // wt.exe hands cmd.exe the arguments exactly (an unpaired surrogate,
  // which it replaces, stays one unit), with /s between `" ` and ` "`.
  const std::vector<std::string> pieces = quote_words_for_cmd(request.words);
  std::size_t length = needs_cmd_s(pieces) ? 4 : 0;
  for (const std::string& piece : pieces) length += to_utf16(piece).size() + 1;
  return pieces.empty() ? length : length - 1;
}

}  // namespace vornalt
