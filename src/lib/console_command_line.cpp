#include "console_command_line.h"

#include "powershell_command.h"

namespace vornalt {

std::string escape_title_for_cmd(std::string_view title) {
  std::string out;
  out.reserve(title.size());
  for (char c : title) {
    if (std::string_view("^&|<>\"").find(c) != std::string_view::npos) out += '^';
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

std::string compose_command_line(const LaunchRequest& request) {
  const bool cmd = request.shell == "cmd";
  std::string shell_part;
  if (cmd) {
    shell_part = "cmd.exe /c ";
  } else {
    shell_part = request.shell + ".exe -EncodedCommand ";
    shell_part += encode_powershell_command(
        powershell_script(request.target, request.title, request.arguments));
  }
  if (request.target == "conhost") {
    if (!cmd) return "conhost.exe " + shell_part;
    return "conhost.exe " + shell_part + "title " + escape_title_for_cmd(request.title) + " && " +
           request.arguments;
  }
  std::string line = "wt.exe --window vornalt --title \"";
  line += escape_title_for_wt(request.title);
  line += "\" --startingDirectory . ";
  line += shell_part;
  if (cmd) line += request.arguments;
  return line;
}

}  // namespace vornalt
