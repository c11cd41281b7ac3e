#include "argument_parser.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "lower_case.h"
#include "quoting.h"

namespace vornalt {
namespace {

using Forms = std::array<std::string_view, 4>;
constexpr std::array<std::string_view, 5> HELP_FLAGS{"-h", "--help", "/h", "/help", "/?"};
constexpr std::array<std::string_view, 2> VERSION_FLAGS{"--version", "/version"};
constexpr Forms SHELL_OPTION{"-s", "--shell", "/s", "/shell"};
constexpr Forms TITLE_OPTION{"-t", "--title", "/t", "/title"};
constexpr Forms FOLDER_OPTION{"-d", "--dir", "/d", "/dir"};
constexpr Forms WAIT_OPTION{"-w", "--wait", "/w", "/wait"};
constexpr Forms QUIET_OPTION{"-q", "--quiet", "/q", "/quiet"};
constexpr Forms EXIT_CODE_OPTION{"-e", "--exit-code", "/e", "/exit-code"};
constexpr Forms DRY_RUN_OPTION{"-n", "--dry-run", "/n", "/dry-run"};
constexpr Forms KEEP_OPTION{"-k", "--keep", "/k", "/keep"};
constexpr Forms VARIABLE_OPTION{"-v", "--var", "/v", "/var"};

template <typename List>
bool is_one_of(std::string_view text, const List& list) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

bool is_shell(std::string_view name) {
  return name == "cmd" || name == "pwsh" || name == "powershell";
}

}  // namespace

ParseOutcome parse_arguments(std::span<const std::string> args) {
  const std::size_t n = args.size();
  if (n < 2) return UsageError{"No arguments provided"};
  if (is_one_of(args[1], HELP_FLAGS)) return Help{};
  if (is_one_of(args[1], VERSION_FLAGS)) return Version{};

  LaunchRequest request;
  request.target = lower_case(args[1]);
  if (request.target != "wt" && request.target != "conhost") {
    return UsageError{"Unknown target '" + request.target + "' (expected 'wt' or 'conhost')"};
  }

  for (std::size_t k = 2; k < n;) {
    const std::string option = lower_case(args[k]);
    if (is_one_of(option, SHELL_OPTION)) {
      if (k + 1 >= n) return UsageError{"Missing value after shell option"};
      std::string shell = lower_case(args[k + 1]);
      if (!is_shell(shell)) {
        return UsageError{"Unknown shell '" + shell + "' (expected 'cmd', 'pwsh' or 'powershell')"};
      }
      request.shell = std::move(shell);
      k += 2;
    } else if (is_one_of(option, TITLE_OPTION)) {
      if (k + 1 >= n) return UsageError{"Missing value after title option"};
      request.title = args[k + 1];
      k += 2;
    } else if (is_one_of(option, FOLDER_OPTION)) {
      if (k + 1 >= n) return UsageError{"Missing value after dir option"};
      request.folder = args[k + 1];
      k += 2;
    } else if (is_one_of(option, WAIT_OPTION)) {
      request.wait = true;
      ++k;
    } else if (is_one_of(option, QUIET_OPTION)) {
      request.quiet = true;
      ++k;
    } else if (is_one_of(option, EXIT_CODE_OPTION)) {
      request.exit_code = true;
      ++k;
    } else if (is_one_of(option, DRY_RUN_OPTION)) {
      request.dry_run = true;
      ++k;
    } else if (is_one_of(option, KEEP_OPTION)) {
      request.keep = true;
      ++k;
    } else if (is_one_of(option, VARIABLE_OPTION)) {
      if (k + 1 >= n) return UsageError{"Missing value after variable option"};
      std::optional<Variable> variable = parse_variable(args[k + 1]);
      if (!variable) {
        return UsageError{"Invalid variable '" + args[k + 1] + "' (expected NAME=VALUE)"};
      }
      add_variable(request.variables, std::move(*variable));
      k += 2;
    } else {
      // The first word that is no option starts the command; everything
      // from here on belongs to it, whatever it looks like. "--" ends the
      // options, so that a command may itself look like one.
      if (args[k] == "--" && ++k == n) break;
      request.arguments = quote_arguments(args.subspan(k), request.shell);
      return Launch{std::move(request)};
    }
  }
  return UsageError{"Missing command (nothing after target/options)"};
}

}  // namespace vornalt
