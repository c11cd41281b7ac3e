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
  // The one large piece is built first, then everything goes into one string
  // of the final size.
  const std::string encoded = cmd ? std::string()
                                  : encode_powershell_command(powershell_script(
                                        request.target, request.title, request.arguments));
  const std::string_view payload = cmd ? std::string_view(request.arguments) : encoded;
  const std::string shell = cmd ? "cmd.exe /c " : request.shell + ".exe -EncodedCommand ";
  std::string line;
  if (request.target == "conhost") {
    const std::string title = cmd ? escape_title_for_cmd(request.title) : std::string();
    line.reserve(40 + title.size() + payload.size());
    line += "conhost.exe ";
    line += shell;
    if (cmd) {
      line += "title ";
      line += title;
      line += " && ";
    }
  } else {
    const std::string title = escape_title_for_wt(request.title);
    line.reserve(80 + title.size() + payload.size());
    line += "wt.exe --window vornalt --title \"";
    line += title;
    line += "\" --startingDirectory . ";
    line += shell;
  }
  line += payload;
  return line;
}

}  // namespace vornalt
