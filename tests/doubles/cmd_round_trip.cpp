#include "cmd_round_trip.h"

#include "compose/console_command_line.h"
#include "compose/quoting.h"
#include "launch/launch_plan.h"
#include "platform_readers.h"
#include "text/wtf8.h"

namespace vornalt::testing {
namespace {

std::string show(const std::vector<std::string>& words) {
  std::string out = "{";
  for (const auto& word : words) out += " [" + to_utf8_lossy(word) + "]";
  return out + " }";
}

std::string fault(const CmdPathReading& path, const LaunchRequest& request, const std::string& line,
                  const std::vector<std::string>& words) {
  const bool wt = request.target == Target::wt;
  const auto as_wt_reads = [&](const std::string& text) { return wt ? to_utf8_lossy(text) : text; };
  std::vector<std::string> rest;
  for (std::size_t i = 1; i < words.size(); ++i) rest.push_back(as_wt_reads(words[i]));
  if (path.injected) return "something else ran or was redirected";
  if (path.crt_words != rest) return "the C runtime read " + show(path.crt_words);
  if (path.argv_words != rest) return "CommandLineToArgvW read " + show(path.argv_words);
  // A program's name in quotes is read up to the next quote, unescaped.
  const std::string& program = words[0];
  const std::string name = as_wt_reads(program);
  if (program.find('"') == std::string::npos && !program.ends_with('\\') &&
      path.program_name != std::vector<std::string>{name, name}) {
    return "the program's name came as " + show(path.program_name);
  }
  if (wt) {
    const std::string arguments = to_utf8_lossy(quote_arguments(request.words, Shell::cmd));
    const std::string shown = arguments.starts_with('"') ? "cmd.exe /s /c \" " + arguments + " \""
                                                         : "cmd.exe /c " + arguments;
    if (path.shell_line != shown) return "wt.exe started " + path.shell_line;
    if (path.host_title != to_utf8_lossy(request.title)) return "wt.exe read another title";
  } else {
    if (path.shell_line != line.substr(std::string("conhost.exe ").size())) {
      return "conhost.exe started " + path.shell_line;
    }
    if (path.cmd_title != title_set_by_cmd(request.title)) return "cmd set another title";
  }
  return "";
}

}  // namespace

std::string title_set_by_cmd(std::string title) {
  if (title.empty()) return title;
  for (char& c : title) {
    if (c == '"') c = '\'';
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return title.back() == ' ' ? title : title + ' ';
}

std::string cmd_round_trip_fault(const std::string& target, const std::string& title,
                                 const std::vector<std::string>& words) {
  const LaunchRequest request{
      .target = *target_named(target), .shell = Shell::cmd, .title = title, .words = words};
  const std::string line = compose_command_line(request, plan_launch(request, false));
  const std::optional<CmdPathReading> path = read_cmd_path(line);
  const std::string what =
      path ? fault(*path, request, line, words) : "cmd's reading depends on the file system";
  return what.empty() ? what : to_utf8_lossy(line) + ": " + what;
}

}  // namespace vornalt::testing
