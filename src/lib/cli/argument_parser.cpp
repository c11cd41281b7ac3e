#include "cli/argument_parser.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "cli/options.h"
#include "text/lower_case.h"

namespace vornalt {
namespace {

template <typename List>
bool is_one_of(std::string_view text, const List& list) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

// Takes the value of an option into the request; the usage error when the
// value is none that the option allows.
std::optional<UsageError> take_value(OptionKind option, const std::string& value,
                                     LaunchRequest& request) {
  switch (option) {
    case OptionKind::shell: {
      const std::string shell = lower_case(value);
      const std::optional<Shell> known = shell_named(shell);
      if (!known) {
        return UsageError{"Unknown shell '" + shell + "' (expected 'cmd', 'pwsh' or 'powershell')"};
      }
      request.shell = *known;
      break;
    }
    case OptionKind::title:
      request.title = value;
      break;
    case OptionKind::folder:
      request.folder = value;
      break;
    case OptionKind::window:
      // conhost opens a window of its own every time. An empty name would
      // make wt.exe take the next word for it.
      if (request.target != Target::wt) {
        return UsageError{"The window option needs the target 'wt'"};
      }
      if (value.empty()) return UsageError{"Invalid window ''"};
      request.window = value;
      break;
    case OptionKind::variable: {
      std::optional<Variable> variable = parse_variable(value);
      if (!variable) return UsageError{"Invalid variable '" + value + "' (expected NAME=VALUE)"};
      add_variable(request.variables, std::move(*variable));
      break;
    }
    case OptionKind::size:
      request.window_layout.size = parse_cells(value);
      if (!request.window_layout.size) {
        return UsageError{"Invalid size '" + value + "' (expected COLS,ROWS)"};
      }
      break;
    case OptionKind::position:
      request.window_layout.position = parse_pixels(value);
      if (!request.window_layout.position) {
        return UsageError{"Invalid position '" + value + "' (expected X,Y)"};
      }
      break;
    default:
      break;
  }
  return std::nullopt;
}

// A maximized or full-screen window takes the focus whatever is asked.
std::optional<UsageError> check_focus(const WindowLayout& layout) {
  const bool takes_focus =
      layout.show == WindowShow::maximized || layout.show == WindowShow::fullscreen;
  if (layout.no_focus && takes_focus) {
    return UsageError{"The no-focus option cannot be given with --max or --fullscreen"};
  }
  return std::nullopt;
}

// The window's state: one of minimized, maximized and full screen, the
// last only in Windows Terminal.
std::optional<UsageError> take_show(WindowShow show, LaunchRequest& request) {
  if (show == WindowShow::fullscreen && request.target != Target::wt) {
    return UsageError{"The fullscreen option needs the target 'wt'"};
  }
  WindowShow& current = request.window_layout.show;
  if (current != WindowShow::normal && current != show) {
    return UsageError{"Only one of --min, --max and --fullscreen may be given"};
  }
  current = show;
  return check_focus(request.window_layout);
}

// An option without a value.
std::optional<UsageError> take_flag(const Option& option, LaunchRequest& request) {
  switch (option.kind) {
    case OptionKind::minimized:
      return take_show(WindowShow::minimized, request);
    case OptionKind::maximized:
      return take_show(WindowShow::maximized, request);
    case OptionKind::fullscreen:
      return take_show(WindowShow::fullscreen, request);
    case OptionKind::no_focus:
      request.window_layout.no_focus = true;
      return check_focus(request.window_layout);
    default:
      request.*option.flag = true;
      return std::nullopt;
  }
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
    if (option->value_hint.empty()) {
      if (std::optional<UsageError> error = take_flag(*option, request)) return *error;
      continue;
    }
    if (k == n) return UsageError{"Missing value after " + std::string(option->name) + " option"};
    if (std::optional<UsageError> error = take_value(option->kind, args[k], request)) {
      return *error;
    }
    ++k;
  }
  if (k == n) return UsageError{"Missing command (nothing after target/options)"};
  request.words.assign(args.begin() + static_cast<std::ptrdiff_t>(k), args.end());
  return Launch{std::move(request)};
}

}  // namespace vornalt
