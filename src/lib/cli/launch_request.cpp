#include "cli/launch_request.h"

namespace vornalt {

std::string_view name(Target target) { return target == Target::wt ? "wt" : "conhost"; }

std::string_view name(Shell shell) {
  switch (shell) {
    case Shell::pwsh:
      return "pwsh";
    case Shell::powershell:
      return "powershell";
    case Shell::cmd:
      break;
  }
  return "cmd";
}

std::string program_name(Target target) { return std::string(name(target)) + ".exe"; }
std::string program_name(Shell shell) { return std::string(name(shell)) + ".exe"; }

std::string launch_failure(Target target) {
  return "Failed to launch '" + std::string(name(target)) + "'";
}

std::optional<Target> target_named(std::string_view text) {
  for (Target target : {Target::wt, Target::conhost}) {
    if (text == name(target)) return target;
  }
  return std::nullopt;
}

std::optional<Shell> shell_named(std::string_view text) {
  for (Shell shell : {Shell::cmd, Shell::pwsh, Shell::powershell}) {
    if (text == name(shell)) return shell;
  }
  return std::nullopt;
}

}  // namespace vornalt
