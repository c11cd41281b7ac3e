// What the user asked for: the console host, the shell, the command's words
// as typed, and how to start and follow the command.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "environment.h"
#include "terminal_tab.h"
#include "window_layout.h"

namespace vornalt {

/// The console host: Windows Console Host or Windows Terminal.
enum class Target { conhost, wt };

/// The shell that runs the command.
enum class Shell { cmd, pwsh, powershell };

/// "conhost" or "wt", as typed and as shown.
std::string_view name(Target target);
/// "cmd", "pwsh" or "powershell".
std::string_view name(Shell shell);

/// "conhost.exe", "pwsh.exe", …: the program that the command line names.
std::string program_name(Target target);
std::string program_name(Shell shell);

/// "Failed to launch 'wt'": how every line that says the host did not
/// start begins.
std::string launch_failure(Target target);

/// The target or shell of a lower-cased name; nothing for any other text.
std::optional<Target> target_named(std::string_view text);
std::optional<Shell> shell_named(std::string_view text);

/// What to start and how.
struct LaunchRequest {
  Target target = Target::conhost;
  Shell shell = Shell::cmd;
  std::string title;
  /// The command and its arguments, exactly as typed.
  std::vector<std::string> words;
  bool wait = false;
  bool quiet = false;
  /// The folder to start in, as typed; none: the current folder.
  std::optional<std::string> folder;
  /// The Windows Terminal window for the tab, as typed; none: "vornalt", or
  /// a new one where a window option was given.
  std::optional<std::string> window;
  /// Where and how the new window opens.
  WindowLayout window_layout;
  /// Wait for the command itself and end with its exit status.
  bool exit_code = false;
  /// Compose and print everything, but start nothing.
  bool dry_run = false;
  /// Keep the window open after the command, until a key is pressed.
  bool keep = false;
  /// The command's environment changes, one per name, in the order given.
  std::vector<Variable> variables;
  /// Run the console host, and so the shell and the command, as
  /// administrator.
  bool admin = false;
  /// wt: the tab's or pane's profile and colour, and a pane beside the
  /// active one instead of a new tab.
  TerminalTab tab;

  bool operator==(const LaunchRequest&) const = default;
};

}  // namespace vornalt
