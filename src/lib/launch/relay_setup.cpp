#include "launch/relay_setup.h"

#include "launch/host_starter.h"

#include "pipe/protocol.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

// wt.exe would hand the relay's own path on changed, and the relay would not
// start: its short name may pass where its long one does not.
std::optional<Failure> name_the_relay_for_wt(std::string& path, Paths& paths,
                                             Environment& environment) {
  const std::optional<std::string> change = wt_change(path, environment);
  if (!change) return std::nullopt;
  const Expected<std::string> short_path = paths.short_path(path);
  if (short_path.ok() && !wt_change(*short_path, environment)) {
    path = *short_path;
    return std::nullopt;
  }
  return Failure{"Error: wt.exe would not pass on the path of vornalt.exe, '" + path +
                 "', as it is (" + *change + "), and the path has no short name that it would"};
}

}  // namespace

std::optional<std::string> wt_change(std::string_view word, Environment& environment) {
  if (to_utf8_lossy(word) != word) return "it holds an unpaired surrogate";
  // As ExpandEnvironmentStringsW reads it: an undefined %NAME% stays, and
  // the search goes on after its second %.
  for (std::size_t open = word.find('%'); open != std::string_view::npos;) {
    const std::size_t close = word.find('%', open + 1);
    if (close == std::string_view::npos) break;
    const std::string_view name = word.substr(open + 1, close - open - 1);
    if (!name.empty()) {
      const Expected<std::optional<std::string>> value = environment.environment_variable(name);
      if (!value.ok() || value->has_value()) {
        return "%" + std::string(name) + "% is a variable that it would replace";
      }
    }
    open = word.find('%', close + 1);
  }
  return std::nullopt;
}

std::optional<Failure> name_relay_and_pipes(LaunchPlan& plan, Paths& paths, Pipes& pipes,
                                            Environment& environment) {
  if (plan.relay) {
    Expected<std::string> program = paths.program_path();
    if (!program.ok()) return launch_failed(plan.target, program.error());
    plan.relay_program = std::move(*program);
  }
  if (plan.needs_pipe_id()) {
    const Expected<std::array<std::uint8_t, 16>> random = pipes.random_bytes();
    if (!random.ok()) return launch_failed(plan.target, random.error());
    plan.pipe_id = pipe_id_from(*random);
    if (plan.has_relay_pipe()) plan.relay->pipe_id = plan.pipe_id;
  }
  if (!plan.relay || plan.target != Target::wt) return std::nullopt;
  return name_the_relay_for_wt(plan.relay_program, paths, environment);
}

}  // namespace vornalt
