#include "cli/options.h"

namespace vornalt {

namespace {

constexpr Option TABLE[] = {
#define OPTION(kind, form1, form2, form3, form4, hint, name, help) \
  {{form1, form2, form3, form4}, OptionKind::kind, hint, name, help},
#include "cli/options.def"
#undef OPTION
};

// The help screen shows a value's hint exactly where the parser takes one.
constexpr bool hints_match_values() {
  for (const Option& option : TABLE) {
    if (option.value_hint.empty() == takes_value(option.kind)) return false;
    if (option.name.empty() == takes_value(option.kind)) return false;
  }
  return true;
}
static_assert(hints_match_values());

}  // namespace

const std::span<const Option> OPTIONS = TABLE;

const Option* find_option(std::string_view text) {
  for (const Option& option : OPTIONS) {
    for (std::string_view form : option.forms) {
      if (!form.empty() && form == text) return &option;
    }
  }
  return nullptr;
}

std::string joined_forms(std::span<const std::string_view> forms) {
  std::string out;
  for (std::string_view form : forms) {
    if (form.empty()) continue;
    if (!out.empty()) out += ", ";
    out += form;
  }
  return out;
}

std::string option_entries() {
  std::string out;
  for (const Option& option : OPTIONS) {
    out += "  ";
    out += joined_forms(option.forms);
    if (!option.value_hint.empty()) {
      out += "  ";
      out += option.value_hint;
    }
    out += "\n    ";
    out += option.help;
    out += '\n';
  }
  out += "  ";
  out += END_OF_OPTIONS;
  out += "\n    End of the options: the next argument starts the command\n";
  return out;
}

}  // namespace vornalt
