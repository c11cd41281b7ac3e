// The variables that -v sets for the command, and the environment block
// that carries them to a program started with an environment of its own.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vornalt {

/// One change to the command's environment (WTF-8): NAME set to a value,
/// or removed.
struct Variable {
  std::string name;                  // not empty; holds no `=` and no NUL
  std::optional<std::string> value;  // none: removed; holds no NUL

  bool operator==(const Variable&) const = default;
};

/// "NAME=VALUE" as typed after -v; "NAME=" removes the variable, as cmd's
/// `set NAME=` does. Nothing when the text is no such assignment: no `=`,
/// an empty name, or a NUL anywhere (a Windows environment string ends at
/// the first NUL, so it could not arrive whole).
std::optional<Variable> parse_variable(std::string_view text);

/// Whether two names name the same variable. Windows compares them
/// without regard to case (comparison_key).
bool same_variable_name(std::string_view a, std::string_view b);

/// Adds `change` to `variables`, in place of an earlier change of the same
/// name, so that the last one given wins and keeps the first one's place.
void add_variable(std::vector<Variable>& variables, Variable change);

/// The name of an environment string "NAME=VALUE": up to the first `=`
/// after its first character, so that the per-drive folders ("=C:=C:\x")
/// keep theirs.
std::string_view variable_name(std::string_view entry);

/// An environment block for CreateProcessW with CREATE_UNICODE_ENVIRONMENT:
/// the strings of `environment` ("NAME=VALUE", as GetEnvironmentStringsW
/// gives them) with `changes` applied, sorted as Windows expects (names
/// beginning with `=` first, then by name without regard to case, in
/// Unicode order), each ended by a NUL, and one more NUL at the end.
std::u16string environment_block(std::span<const std::string> environment,
                                 std::span<const Variable> changes);

}  // namespace vornalt
