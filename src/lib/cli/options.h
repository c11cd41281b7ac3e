// The options of the command line, written once: the parser takes them from
// this table, and the help screen lists them in its order.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "cli/launch_request.h"

namespace vornalt {

/// What an option does: a flag sets a field of its own; the others take the
/// next argument as their value, or set the window's state or focus.
enum class OptionKind {
  flag,
  shell,
  title,
  folder,
  window,
  variable,
  minimized,
  maximized,
  fullscreen,
  no_focus,
  size,
  position,
};

struct Option {
  /// The forms, compared after lower-casing; unused ones are empty.
  std::array<std::string_view, 4> forms;
  /// The flag it sets, for a flag.
  bool LaunchRequest::*flag;
  OptionKind kind;
  /// On the help screen after the forms: what the value is ("[shellname]");
  /// empty for an option without a value.
  std::string_view value_hint;
  /// In "Missing value after <name> option".
  std::string_view name;
  /// The help screen's line for it.
  std::string_view help;
};

/// Every option but "--", which ends them, in the help screen's order.
extern const std::array<Option, 17> OPTIONS;

/// The option of the lower-cased `text`, or null when it is none.
const Option* find_option(std::string_view text);

/// The flags that stand alone as the first argument, exactly so: the help
/// screen, and the version.
extern const std::array<std::string_view, 5> HELP_FLAGS;
extern const std::array<std::string_view, 2> VERSION_FLAGS;

/// "--": the next argument starts the command, whatever it looks like.
inline constexpr std::string_view END_OF_OPTIONS = "--";

/// The help screen's entries of the options: for each, its forms and value
/// on one line, and its help on the next; "--" last.
std::string option_entries();

/// "-h, --help, /h, /help, /?": the forms of a flag as the help screen
/// lists them.
std::string joined_forms(std::span<const std::string_view> forms);

}  // namespace vornalt
