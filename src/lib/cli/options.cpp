#include "cli/options.h"

namespace vornalt {

const std::array<Option, 17> OPTIONS = {{
    {{"-s", "--shell", "/s", "/shell"},
     nullptr,
     OptionKind::shell,
     "[shellname]",
     "shell",
     "The shell to use. Available shells: cmd (default), pwsh, powershell"},
    {{"-t", "--title", "/t", "/title"},
     nullptr,
     OptionKind::title,
     "[window title]",
     "title",
     "The title for the console window"},
    {{"-d", "--dir", "/d", "/dir"},
     nullptr,
     OptionKind::folder,
     "[folder]",
     "dir",
     "The folder to start the command in (default: the current folder)"},
    {{"--window", "/window", "", ""},
     nullptr,
     OptionKind::window,
     "[name]",
     "window",
     "The wt window for the tab: new, last, 0, an id or a name (default: vornalt)"},
    {{"--min", "/min", "", ""},
     nullptr,
     OptionKind::minimized,
     "",
     "",
     "Open the window minimized, leaving the focus where it is"},
    {{"--max", "/max", "", ""},
     nullptr,
     OptionKind::maximized,
     "",
     "",
     "Open the window maximized"},
    {{"--fullscreen", "/fullscreen", "", ""},
     nullptr,
     OptionKind::fullscreen,
     "",
     "",
     "Open the window full screen (wt only)"},
    {{"--no-focus", "/no-focus", "", ""},
     nullptr,
     OptionKind::no_focus,
     "",
     "",
     "Open the window behind the one that has the focus"},
    {{"--size", "/size", "", ""},
     nullptr,
     OptionKind::size,
     "[COLS,ROWS]",
     "size",
     "Open the window COLS character cells wide and ROWS high"},
    {{"--pos", "/pos", "", ""},
     nullptr,
     OptionKind::position,
     "[X,Y]",
     "position",
     "Open the window with its top-left corner at X,Y (pixels, primary screen)"},
    {{"-q", "--quiet", "/q", "/quiet"},
     &LaunchRequest::quiet,
     OptionKind::flag,
     "",
     "",
     "Do not produce any output, except for errors and warnings"},
    {{"-e", "--exit-code", "/e", "/exit-code"},
     &LaunchRequest::exit_code,
     OptionKind::flag,
     "",
     "",
     "Wait for the command and exit with its exit status"},
    {{"-w", "--wait", "/w", "/wait"},
     &LaunchRequest::wait,
     OptionKind::flag,
     "",
     "",
     "Wait for the launched console to finish (with wt: for the command to end)"},
    {{"-k", "--keep", "/k", "/keep"},
     &LaunchRequest::keep,
     OptionKind::flag,
     "",
     "",
     "Keep the window open when the command has ended, until a key is pressed"},
    {{"-a", "--admin", "/a", "/admin"},
     &LaunchRequest::admin,
     OptionKind::flag,
     "",
     "",
     "Open the console as administrator, after Windows' elevation prompt"},
    {{"-v", "--var", "/v", "/var"},
     nullptr,
     OptionKind::variable,
     "[NAME=VALUE]",
     "variable",
     "Set a variable for the command (NAME= removes it); may be repeated"},
    {{"-n", "--dry-run", "/n", "/dry-run"},
     &LaunchRequest::dry_run,
     OptionKind::flag,
     "",
     "",
     "Print what would be started and the host found, but start nothing"},
}};

const std::array<std::string_view, 5> HELP_FLAGS{"-h", "--help", "/h", "/help", "/?"};
const std::array<std::string_view, 2> VERSION_FLAGS{"--version", "/version"};

const Option* find_option(std::string_view text) {
  for (const Option& option : OPTIONS) {
    for (std::string_view form : option.forms) {
      if (!form.empty() && form == text) return &option;
    }
  }
  return nullptr;
}

std::string joined_forms(std::span<const std::string_view> forms) {
  std::string out;
  for (std::string_view form : forms) {
    if (form.empty()) continue;
    if (!out.empty()) out += ", ";
    out += form;
  }
  return out;
}

std::string option_entries() {
  std::string out;
  for (const Option& option : OPTIONS) {
    out += "  ";
    out += joined_forms(option.forms);
    if (!option.value_hint.empty()) {
      out += "  ";
      out += option.value_hint;
    }
    out += "\n    ";
    out += option.help;
    out += '\n';
  }
  out += "  ";
  out += END_OF_OPTIONS;
  out += "\n    End of the options: the next argument starts the command\n";
  return out;
}

}  // namespace vornalt
