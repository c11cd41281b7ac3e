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

std::optional<UsageError> take_shell(const std::string& value, LaunchRequest& request) {
  const std::string shell = lower_case(value);
  const std::optional<Shell> known = shell_named(shell);
  if (!known) {
    return UsageError{"Unknown shell '" + shell + "' (expected 'cmd', 'pwsh' or 'powershell')"};
  }
  request.shell = *known;
  return std::nullopt;
}

// An empty name would make wt.exe take the next word for it.
std::optional<UsageError> take_window(const std::string& value, LaunchRequest& request) {
  if (value.empty()) return UsageError{"Invalid window ''"};
  request.window = value;
  return std::nullopt;
}

std::optional<UsageError> take_variable(const std::string& value, LaunchRequest& request) {
  std::optional<Variable> variable = parse_variable(value);
  if (!variable) return UsageError{"Invalid variable '" + value + "' (expected NAME=VALUE)"};
  add_variable(request.variables, std::move(*variable));
  return std::nullopt;
}

std::optional<UsageError> take_size(const std::string& value, LaunchRequest& request) {
  request.window_layout.size = parse_cells(value);
  if (request.window_layout.size) return std::nullopt;
  return UsageError{"Invalid size '" + value + "' (expected COLS,ROWS, each from 1 to 32767)"};
}

std::optional<UsageError> take_position(const std::string& value, LaunchRequest& request) {
  request.window_layout.position = parse_pixels(value);
  if (request.window_layout.position) return std::nullopt;
  return UsageError{"Invalid position '" + value + "' (expected X,Y, each from -32768 to 32767)"};
}

// Windows Terminal's own: conhost opens a window of its own every time,
// with no tabs.
std::optional<UsageError> needs_wt(const Option& option, const LaunchRequest& request) {
  if (request.target == Target::wt) return std::nullopt;
  return UsageError{"The " + std::string(option.name) + " option needs the target 'wt'"};
}

// Terminal opens its default profile for a name that it does not know, but
// an empty one would make wt.exe take the next word for it.
std::optional<UsageError> take_profile(const std::string& value, LaunchRequest& request) {
  if (value.empty()) return UsageError{"Invalid profile '' (expected a profile's name or GUID)"};
  request.tab.profile = value;
  return std::nullopt;
}

// Terminal drops a colour that it cannot read without a word.
std::optional<UsageError> take_tab_color(const std::string& value, LaunchRequest& request) {
  if (!is_tab_color(value)) {
    return UsageError{"Invalid color '" + value + "' (expected #RRGGBB or #RGB)"};
  }
  request.tab.color = value;
  return std::nullopt;
}

std::optional<UsageError> take_split(const std::string& value, LaunchRequest& request) {
  const std::string direction = lower_case(value);
  const std::optional<SplitDirection> known = split_direction_named(direction);
  if (!known) {
    return UsageError{"Unknown split direction '" + direction +
                      "' (expected 'right', 'down' or 'auto')"};
  }
  request.tab.split = *known;
  return std::nullopt;
}

std::optional<UsageError> take_split_size(const std::string& value, LaunchRequest& request) {
  request.tab.split_percent = parse_percent(value);
  if (request.tab.split_percent) return std::nullopt;
  return UsageError{"Invalid split size '" + value + "' (expected a whole number from 1 to 99)"};
}

// Once every option is read, in whatever order they came: a pane goes into
// a window that is open, where the window options, which apply to a window
// that Terminal creates, have nothing to act on.
std::optional<UsageError> check_split(const LaunchRequest& request) {
  if (request.tab.split_percent && !request.tab.split) {
    return UsageError{"The split-size option needs --split"};
  }
  if (request.tab.split && request.window_layout.asked()) {
    return UsageError{
        "The split option cannot be given with --min, --max, --fullscreen, --no-focus, --size "
        "or --pos"};
  }
  return std::nullopt;
}

using TakeValue = std::optional<UsageError> (*)(const std::string&, LaunchRequest&);

std::optional<UsageError> take_wt_option(const Option& option, const std::string& value,
                                         LaunchRequest& request, TakeValue take_value) {
  if (std::optional<UsageError> error = needs_wt(option, request)) return error;
  return take_value(value, request);
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

std::optional<UsageError> set(bool& flag) {
  flag = true;
  return std::nullopt;
}

// Takes `option` into the request, with its value where it takes one; the
// usage error when the value is none that it allows.
std::optional<UsageError> take(const Option& option, const std::string& value,
                               LaunchRequest& request) {
  switch (option.kind) {
    case OptionKind::shell:
      return take_shell(value, request);
    case OptionKind::title:
      request.title = value;
      return std::nullopt;
    case OptionKind::folder:
      request.folder = value;
      return std::nullopt;
    case OptionKind::window:
      return take_wt_option(option, value, request, take_window);
    case OptionKind::size:
      return take_size(value, request);
    case OptionKind::position:
      return take_position(value, request);
    case OptionKind::variable:
      return take_variable(value, request);
    case OptionKind::profile:
      return take_wt_option(option, value, request, take_profile);
    case OptionKind::tab_color:
      return take_wt_option(option, value, request, take_tab_color);
    case OptionKind::split:
      return take_wt_option(option, value, request, take_split);
    case OptionKind::split_size:
      return take_wt_option(option, value, request, take_split_size);
    case OptionKind::minimized:
      return take_show(WindowShow::minimized, request);
    case OptionKind::maximized:
      return take_show(WindowShow::maximized, request);
    case OptionKind::fullscreen:
      return take_show(WindowShow::fullscreen, request);
    case OptionKind::no_focus:
      request.window_layout.no_focus = true;
      return check_focus(request.window_layout);
    case OptionKind::quiet:
      return set(request.quiet);
    case OptionKind::exit_code:
      return set(request.exit_code);
    case OptionKind::wait:
      return set(request.wait);
    case OptionKind::keep:
      return set(request.keep);
    case OptionKind::admin:
      return set(request.admin);
    case OptionKind::dry_run:
      return set(request.dry_run);
  }
  return std::nullopt;
}

// "--size=80,25" is no option: as the first word that is none, it starts the
// command, which is most likely not what was meant.
std::optional<std::string> glued_option(const std::string& word) {
  const std::size_t equals = word.find('=');
  if (equals == std::string::npos) return std::nullopt;
  const std::string name = word.substr(0, equals);
  const Option* option = find_option(lower_case(name));
  if (option == nullptr) return std::nullopt;
  const std::string said = "Warning: '" + word + "' starts the command; ";
  if (!takes_value(option->kind)) return said + "the option " + name + " takes no value";
  return said + "an option's value is the next word (" + name + " " + word.substr(equals + 1) + ")";
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
  bool ended = false;  // by "--"
  while (k < n) {
    const std::string word = lower_case(args[k]);
    const Option* option = find_option(word);
    if (option == nullptr) {
      ended = word == END_OF_OPTIONS;
      if (ended) ++k;
      break;
    }
    ++k;
    static const std::string NO_VALUE;
    const bool valued = takes_value(option->kind);
    if (valued && k == n) {
      return UsageError{"Missing value after " + std::string(option->name) + " option"};
    }
    if (std::optional<UsageError> error = take(*option, valued ? args[k] : NO_VALUE, request)) {
      return *error;
    }
    if (valued) ++k;
  }
  if (std::optional<UsageError> error = check_split(request)) return *error;
  if (k == n) return UsageError{"Missing command (nothing after target/options)"};
  request.words.assign(args.begin() + static_cast<std::ptrdiff_t>(k), args.end());
  Launch launch{std::move(request)};
  if (!ended) {
    if (std::optional<std::string> warning = glued_option(args[k])) {
      launch.warnings.push_back(std::move(*warning));
    }
  }
  return launch;
}

}  // namespace vornalt
