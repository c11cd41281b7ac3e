#include "options.h"

namespace vornalt {

const std::array<Option, 11> OPTIONS = {{
    {{"-s", "--shell", "/s", "/shell"},
     nullptr,
     ValueOption::shell,
     "[shellname]",
     "shell",
     "The shell to use. Available shells: cmd (default), pwsh, powershell"},
    {{"-t", "--title", "/t", "/title"},
     nullptr,
     ValueOption::title,
     "[window title]",
     "title",
     "The title for the console window"},
    {{"-d", "--dir", "/d", "/dir"},
     nullptr,
     ValueOption::folder,
     "[folder]",
     "dir",
     "The folder to start the command in (default: the current folder)"},
    {{"--window", "/window", "", ""},
     nullptr,
     ValueOption::window,
     "[name]",
     "window",
     "The wt window for the tab: new, last, 0, an id or a name (default: vornalt)"},
    {{"-q", "--quiet", "/q", "/quiet"},
     &LaunchRequest::quiet,
     ValueOption::none,
     "",
     "",
     "Do not produce any output, except for errors and warnings"},
    {{"-e", "--exit-code", "/e", "/exit-code"},
     &LaunchRequest::exit_code,
     ValueOption::none,
     "",
     "",
     "Wait for the command and exit with its exit status"},
    {{"-w", "--wait", "/w", "/wait"},
     &LaunchRequest::wait,
     ValueOption::none,
     "",
     "",
     "Wait for the launched console to finish (with wt: for the command to end)"},
    {{"-k", "--keep", "/k", "/keep"},
     &LaunchRequest::keep,
     ValueOption::none,
     "",
     "",
     "Keep the window open when the command has ended, until a key is pressed"},
    {{"-a", "--admin", "/a", "/admin"},
     &LaunchRequest::admin,
     ValueOption::none,
     "",
     "",
     "Open the console as administrator, after Windows' elevation prompt"},
    {{"-v", "--var", "/v", "/var"},
     nullptr,
     ValueOption::variable,
     "[NAME=VALUE]",
     "variable",
     "Set a variable for the command (NAME= removes it); may be repeated"},
    {{"-n", "--dry-run", "/n", "/dry-run"},
     &LaunchRequest::dry_run,
     ValueOption::none,
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
