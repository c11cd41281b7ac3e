#include "cli/help.h"

#include <algorithm>

#include "cli/options.h"
#include "text/unicode_tables.h"
#include "text/wtf8.h"

namespace vornalt {

const std::string_view VERSION_LINE = "vornalt Console Launcher, v" VORNALT_VERSION "\n";
const std::string_view BANNER = "vornalt Console Launcher, v" VORNALT_VERSION "\n\n";

namespace {

constexpr std::string_view INTRODUCTION =
    "This tool launches a new console window of the specified type with the specified shell and "
    "command. The console window is either created using Windows Console Host (conhost.exe) or "
    "Windows Terminal (wt.exe). The shell is one of Command Prompt (cmd.exe, by default), "
    "PowerShell Core (pwsh.exe, assuming this is installed), or Windows PowerShell "
    "(powershell.exe). The title of the console window can be specified, and the command is "
    "executed in the new console window.\n"
    "\n"
    "Usage:\n"
    "  vornalt.exe [help flag] <target> [options] <command> [args...]\n"
    "\n"
    "Where:\n"
    "  <target>  A required target (e.g. 'conhost', 'wt'), unless using help\n"
    "  <command> The command to run (plus optional trailing arguments)\n"
    "\n"
    "Options:\n";

constexpr std::string_view EXAMPLES =
    "\n"
    "Examples (assuming you run from Powershell, otherwise quoting may differ):\n"
    "  vornalt.exe conhost -s powershell -t \"My Title\" Get-ChildItem -Recurse\n"
    "  vornalt.exe wt --title \"Plain Title\" cmd /c echo Hello '&&' pause\n"
    "  vornalt.exe conhost -d C:\\src\\app -e cmd /c build.bat\n"
    "  vornalt.exe wt -n -s pwsh Write-Output '' end\n"
    "  vornalt.exe wt -w -k -v BUILD_CONFIG=Release cmd /c build.bat\n"
    "  vornalt.exe conhost --size 120,40 --pos 0,0 --no-focus cmd /c watch.bat\n"
    "  vornalt.exe wt --split right -p Dev --tab-color '#3A7BD5' -e cmd /c build.cmd\n";

}  // namespace

std::string help_text() {
  std::string text(INTRODUCTION);
  text += option_entries();
  text += "\nHelp flag:\n  " + joined_forms(HELP_FLAGS) + "\n";
  text += "\nVersion flag:\n  " + joined_forms(VERSION_FLAGS) + "\n";
  text += EXAMPLES;
  return text;
}

namespace {

constexpr std::size_t DEFAULT_WIDTH = 80;
constexpr std::size_t MAX_WIDTH = 120;

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where a hard cut of the window [o, o + width) falls: at its end, moved back
// to the start of a character it would split, but never to nothing.
std::size_t hard_cut(std::string_view line, std::size_t o, std::size_t width) {
  std::size_t cut = o + width;
  while (cut > o && is_continuation(line[cut])) --cut;
  return cut > o ? cut : o + decode_wtf8(line, o).length;
}

// The end of the last white-space character that lies wholly in [o, cut), or
// 0 when there is none.
std::size_t end_of_last_space(std::string_view line, std::size_t o, std::size_t cut) {
  for (std::size_t end = cut; end > o;) {
    std::size_t start = end - 1;
    while (start > o && is_continuation(line[start])) --start;
    const DecodedChar d = decode_wtf8(line, start);
    if (start + d.length == end && unicode::is_white_space(d.code)) return end;
    end = start;
  }
  return 0;
}

void wrap_line(std::string_view line, std::size_t width, std::string& out) {
  std::size_t o = 0;
  do {
    if (line.size() - o <= width) {
      out += line.substr(o);
      out += '\n';
      return;
    }
    const std::size_t cut = hard_cut(line, o, width);
    const std::size_t space_end = end_of_last_space(line, o, cut);
    const std::size_t next = space_end != 0 ? space_end : cut;
    out += line.substr(o, next - o);
    out += '\n';
    o = next;
  } while (o < line.size());
}

}  // namespace

std::string wrap_text(std::string_view text, std::size_t width) {
  std::string out;
  out.reserve(text.size() + text.size() / std::max<std::size_t>(width, 1) + 1);
  while (!text.empty()) {
    const std::size_t feed = text.find('\n');
    std::string_view line = text.substr(0, feed);
    text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    if (feed != std::string_view::npos && !line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    wrap_line(line, width, out);
  }
  return out;
}

std::size_t window_width(std::int16_t left, std::int16_t right) {
  const auto width = static_cast<std::int16_t>(right - left + 1);
  const auto size = static_cast<std::size_t>(static_cast<std::int64_t>(width));
  if (size == 0) return DEFAULT_WIDTH;
  return std::min(size, MAX_WIDTH);
}

std::size_t console_width(Console& console) {
  const std::optional<ConsoleWindow> window = console.console_window();
  return window ? window_width(window->left, window->right) : DEFAULT_WIDTH;
}

void print_help(Console& console) {
  console.write(Stream::out, BANNER);
  std::string text = wrap_text(help_text(), console_width(console));
  text += '\n';
  console.write(Stream::out, text);
}

}  // namespace vornalt
