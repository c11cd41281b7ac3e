#include "argument_parser.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "lower_case.h"
#include "options.h"

namespace vornalt {
namespace {

template <typename List>
bool is_one_of(std::string_view text, const List& list) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

// Takes the value of an option into the request; the usage error when the
// value is none that the option allows.
std::optional<UsageError> take_value(ValueOption option, const std::string& value,
                                     LaunchRequest& request) {
  switch (option) {
    case ValueOption::shell: {
      const std::string shell = lower_case(value);
      const std::optional<Shell> known = shell_named(shell);
      if (!known) {
        return UsageError{"Unknown shell '" + shell + "' (expected 'cmd', 'pwsh' or 'powershell')"};
      }
      request.shell = *known;
      break;
    }
    case ValueOption::title:
      request.title = value;
      break;
    case ValueOption::folder:
      request.folder = value;
      break;
    case ValueOption::window:
      // conhost opens a window of its own every time. An empty name would
      // make wt.exe take the next word for it.
      if (request.target != Target::wt) {
        return UsageError{"The window option needs the target 'wt'"};
      }
      if (value.empty()) return UsageError{"Invalid window ''"};
      request.window = value;
      break;
    case ValueOption::variable: {
      std::optional<Variable> variable = parse_variable(value);
      if (!variable) return UsageError{"Invalid variable '" + value + "' (expected NAME=VALUE)"};
      add_variable(request.variables, std::move(*variable));
      break;
    }
    case ValueOption::none:
      break;
  }
  return std::nullopt;
}

}  // namespace

ParseOutcome parse_arguments(std::span<const std::string> args) {
  const std::size_t n = args.size();
  if (n < 2) return UsageError{"No arguments provided"};
  if (is_one_of(args[1], HELP_FLAGS)) return Help{};
  if (is_one_of(args[1], VERSION_FLAGS)) return Version{};

  LaunchRequest request;
  const std::string target = lower_case(args[1]);
  if (const std::optional<Target> known = target_named(target)) {
    request.target = *known;
  } else {
    return UsageError{"Unknown target '" + target + "' (expected 'wt' or 'conhost')"};
  }

  // The first word that is no option starts the command; everything from
  // there on belongs to it, whatever it looks like. "--" ends the options,
  // so that a command may itself look like one.
  std::size_t k = 2;
  while (k < n) {
    const std::string word = lower_case(args[k]);
    const Option* option = find_option(word);
    if (option == nullptr) {
      if (word == END_OF_OPTIONS) ++k;
      break;
    }
    ++k;
    if (option->value == ValueOption::none) {
      request.*option->flag = true;
      continue;
    }
    if (k == n) return UsageError{"Missing value after " + std::string(option->name) + " option"};
    if (std::optional<UsageError> error = take_value(option->value, args[k], request)) {
      return *error;
    }
    ++k;
  }
  if (k == n) return UsageError{"Missing command (nothing after target/options)"};
  request.words.assign(args.begin() + static_cast<std::ptrdiff_t>(k), args.end());
  return Launch{std::move(request)};
}

}  // namespace vornalt
