#include "launch/prompted_start.h"

#include "pipe/protocol.h"
#include "relay/relay_message.h"

namespace vornalt {

const std::string_view PROMPT_NAME = VORNALT_DESCRIPTION;

namespace {

// ERROR_CANCELLED: the user answered the prompt with No.
constexpr std::uint32_t CANCELLED = 1223;

}  // namespace

std::optional<ElevatedCommand> elevated_command(std::string_view host,
                                                std::string_view command_line,
                                                const LaunchPlan& plan, Output& output,
                                                Paths& paths) {
  // Also for wt.exe, which makes its "." absolute against its own folder.
  const Expected<std::string> folder = plan.host_folder().empty()
                                           ? paths.full_path(".")
                                           : Expected<std::string>(std::string(plan.host_folder()));
  if (!folder.ok()) {
    output.failure(launch_failure(plan.target), folder.error());
    return std::nullopt;
  }
  Expected<std::string> program = paths.program_path();
  if (!program.ok()) {
    output.failure(launch_failure(plan.target), program.error());
    return std::nullopt;
  }
  return ElevatedCommand{std::move(*program), elevated_parameters(plan.pipe_id, plan.startup_window,
                                                                  *folder, host, command_line)};
}

void PromptedStart::fail(std::string_view why) {
  output_.problem(launch_failure(plan_.target) + ": " + std::string(why));
}

// The host's id, as the elevated start reports it once it has started the
// host; nothing after the line that says why not.
std::optional<std::uint32_t> PromptedStart::read_host_id(PipeServer& pipe) {
  RelayReportReader report;
  while (report.state() == RelayReportReader::State::awaiting_pid) {
    const Expected<std::string> bytes = pipe.read();
    if (!bytes.ok() || bytes->empty()) break;
    report.take(*bytes);
  }
  if (report.state() == RelayReportReader::State::failed) {
    output_.failure(launch_failure(plan_.target), report.failure());
  } else if (!report.pid()) {
    fail("the elevated vornalt.exe did not say whether it started " + program_name(plan_.target));
  }
  return report.pid();
}

// Waits for the elevated start to open the pipe, hands it the host's
// variables, and reads its report.
std::optional<std::uint32_t> PromptedStart::host_reported(PipeServer& pipe, Handle elevated) {
  const Expected<ClientWait> waited = pipe.wait_for_client(elevated, INFINITE_TIMEOUT);
  if (!waited.ok()) {
    output_.failure(launch_failure(plan_.target), waited.error());
    return std::nullopt;
  }
  if (*waited != ClientWait::connected) {
    const Expected<std::uint32_t> status = processes_.exit_code(elevated);
    fail("the elevated vornalt.exe ended with exit status " +
         (status.ok() ? std::to_string(*status) : std::string("unknown")) + " before it started " +
         program_name(plan_.target));
    return std::nullopt;
  }
  // Only this same program gets the variables.
  if (!pipe.other_end_runs_this_program()) {
    fail("a program other than vornalt.exe opened the pipe of the elevated start");
    return std::nullopt;
  }
  const Result sent = pipe.write(variables_message(plan_.host_variables));
  if (!sent.ok()) {
    output_.failure(launch_failure(plan_.target), sent.error());
    return std::nullopt;
  }
  return read_host_id(pipe);
}

std::optional<StartedHost> PromptedStart::start(std::string_view host,
                                                std::string_view command_line) {
  StartedHost started;
  if (plan_.has_relay_pipe() &&
      !make_pipe(relay_pipe_name(plan_.pipe_id), started.relay_pipe, plan_, pipes_, output_)) {
    return std::nullopt;
  }
  const std::optional<ElevatedCommand> command =
      elevated_command(host, command_line, plan_, output_, paths_);
  // The pipe waits before the elevated start runs, so that it finds it.
  std::unique_ptr<PipeServer> pipe;
  if (!command || !make_pipe(elevation_pipe_name(plan_.pipe_id), pipe, plan_, pipes_, output_)) {
    return std::nullopt;
  }
  Expected<OwnedHandle> elevated = elevation_.start_elevated(command->program, command->parameters);
  if (!elevated.ok()) {
    const bool refused = elevated.error() == error_from_win32(CANCELLED);
    output_.failure(launch_failure(plan_.target) + (refused ? ": the elevation was refused" : ""),
                    elevated.error());
    return std::nullopt;
  }
  const std::optional<std::uint32_t> id = host_reported(*pipe, elevated->get());
  if (!id) return std::nullopt;
  started.process = StartedProcess{.process = std::move(*elevated), .id = *id};
  return started;
}

}  // namespace vornalt
