// This vornalt's side of the relay before the start: how the host is to
// name the relay, and the id of the pipes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "launch/launch_plan.h"
#include "output.h"
#include "system/system.h"

namespace vornalt {

/// Fills in the plan's relay_program when it has a relay: vornalt.exe's own
/// path, or, when wt.exe would change that, its short name; and its random
/// pipe_id when its pipes need one. False after the line that says why the
/// relay or the pipes cannot be.
bool name_relay_and_pipes(LaunchPlan& plan, Output& output, const System& system);

/// Why wt.exe would hand `word` on changed however it is written, or
/// nothing: it turns an unpaired surrogate into U+FFFD, and replaces %NAME%
/// of a defined variable (or of one that cannot be looked up).
std::optional<std::string> wt_change(std::string_view word, Environment& environment);

}  // namespace vornalt
