#include "compose/cmd_limits.h"

#include <algorithm>

#include "compose/console_command_line.h"

namespace vornalt {

std::optional<std::string> cmd_refusal(const LaunchRequest& request) {
  if (request.shell != Shell::cmd) return std::nullopt;
  const bool line_break =
      std::any_of(request.words.begin(), request.words.end(),
                  [](const auto& w) { return w.find_first_of("\r\n") != std::string::npos; });
  if (line_break) {
    return "A command word holds a line break, which cmd.exe cannot pass on (use -s pwsh or -s "
           "powershell)";
  }
  const std::size_t length = cmd_text_length(request);
  if (length > CMD_TEXT_LIMIT) {
    return "The command that cmd.exe would read after /c has " + std::to_string(length) +
           " characters, over its limit of " + std::to_string(CMD_TEXT_LIMIT);
  }
  return std::nullopt;
}

}  // namespace vornalt
