// This vornalt's side of the relay before the start: how the host is to
// name the relay, and the id of the pipes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "launch/launch_plan.h"
#include "output.h"
#include "system/environment.h"
#include "system/paths.h"
#include "system/pipes.h"

namespace vornalt {

/// Fills in the plan's relay_program when it has a relay: vornalt.exe's own
/// path, or, when wt.exe would change that, its short name; and its random
/// pipe_id, and the relay's, when its pipes need one. Why the relay or the
/// pipes cannot be, or nothing.
[[nodiscard]] std::optional<Failure> name_relay_and_pipes(LaunchPlan& plan, Paths& paths,
                                                          Pipes& pipes, Environment& environment);

/// Why wt.exe would hand `word` on changed however it is written, or
/// nothing: it turns an unpaired surrogate into U+FFFD, and replaces %NAME%
/// of a defined variable (or of one that cannot be looked up).
std::optional<std::string> wt_change(std::string_view word, Environment& environment);

}  // namespace vornalt
