// The options of the command line, written once: the parser takes them from
// this table, and the help screen lists them in its order.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace vornalt {

/// What an option does, one kind per option: the parser acts on each kind in
/// one place.
enum class OptionKind {
  // Each takes the next argument as its value.
  shell,
  title,
  folder,
  window,
  size,
  position,
  variable,
  profile,
  tab_color,
  split,
  split_size,
  // Each stands alone.
  minimized,
  maximized,
  fullscreen,
  no_focus,
  quiet,
  exit_code,
  wait,
  keep,
  admin,
  dry_run,
};

/// Whether an option of `kind` takes the next argument as its value.
constexpr bool takes_value(OptionKind kind) {
  switch (kind) {
    case OptionKind::shell:
    case OptionKind::title:
    case OptionKind::folder:
    case OptionKind::window:
    case OptionKind::size:
    case OptionKind::position:
    case OptionKind::variable:
    case OptionKind::profile:
    case OptionKind::tab_color:
    case OptionKind::split:
    case OptionKind::split_size:
      return true;
    case OptionKind::minimized:
    case OptionKind::maximized:
    case OptionKind::fullscreen:
    case OptionKind::no_focus:
    case OptionKind::quiet:
    case OptionKind::exit_code:
    case OptionKind::wait:
    case OptionKind::keep:
    case OptionKind::admin:
    case OptionKind::dry_run:
      break;
  }
  return false;
}

struct Option {
  /// The forms, compared after lower-casing; unused ones are empty.
  std::array<std::string_view, 4> forms;
  OptionKind kind;
  /// For an option that takes a value: what the value is, on the help screen
  /// after the forms ("[shellname]"), and the option's name in "Missing value
  /// after <name> option". Both empty for the others.
  std::string_view value_hint;
  std::string_view name;
  /// The help screen's line for it.
  std::string_view help;
};

/// Every option but "--", which ends them, in the help screen's order.
extern const std::span<const Option> OPTIONS;

/// The option of the lower-cased `text`, or null when it is none.
const Option* find_option(std::string_view text);

/// The flags that stand alone as the first argument, exactly so: the help
/// screen, and the version.
inline constexpr auto HELP_FLAGS =
    std::to_array<std::string_view>({"-h", "--help", "/h", "/help", "/?"});
inline constexpr auto VERSION_FLAGS = std::to_array<std::string_view>({"--version", "/version"});

/// "--": the next argument starts the command, whatever it looks like.
inline constexpr std::string_view END_OF_OPTIONS = "--";

/// The help screen's entries of the options: for each, its forms and value
/// on one line, and its help on the next; "--" last.
std::string option_entries();

/// "-h, --help, /h, /help, /?": the forms of a flag as the help screen
/// lists them.
std::string joined_forms(std::span<const std::string_view> forms);

}  // namespace vornalt
