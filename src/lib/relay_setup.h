// This vornalt's side of the relay before the start: how the host is to
// name the relay, and the id of the pipe between the two.
#pragma once

#include <string>
#include <string_view>

#include "launch_plan.h"
#include "system.h"

namespace vornalt {

/// Fills in the plan's relay_program (vornalt.exe's own path, or, when
/// wt.exe would change that, its short name) and, with a pipe, its random
/// relay_id. False after the line that says why the relay cannot start.
bool prepare_relay(const LaunchRequest& request, LaunchPlan& plan, System& system);

/// Why wt.exe would hand `word` on changed however it is written, or
/// nothing: it turns an unpaired surrogate into U+FFFD, and replaces %NAME%
/// of a defined variable (or of one that cannot be looked up).
std::optional<std::string> wt_change(std::string_view word, System& system);

}  // namespace vornalt
