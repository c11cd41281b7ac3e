#include "cmd_limits.h"

namespace vornalt {

std::optional<std::string> cmd_refusal(const LaunchRequest& request) {
  if (request.shell != "cmd") return std::nullopt;
  // The quoting adds no line break, so one in the text came from a word.
  if (request.arguments.find_first_of("\r\n") != std::string::npos) {
    return "A command word holds a line break, which cmd.exe cannot pass on (use -s pwsh or -s "
           "powershell)";
  }
  return std::nullopt;
}

}  // namespace vornalt
