#include "launch/prompted_start.h"

#include "elevated/elevated_message.h"
#include "pipe/protocol.h"

namespace vornalt {

const std::string_view PROMPT_NAME = VORNALT_DESCRIPTION;

namespace {

// ERROR_CANCELLED: the user answered the prompt with No.
constexpr std::uint32_t CANCELLED = 1223;

}  // namespace

Checked<ElevatedCommand> elevated_command(std::string_view host, std::string_view command_line,
                                          const LaunchPlan& plan, Paths& paths) {
  // Also for wt.exe, which makes its "." absolute against its own folder.
  const Expected<std::string> folder = plan.host_folder().empty()
                                           ? paths.full_path(".")
                                           : Expected<std::string>(std::string(plan.host_folder()));
  if (!folder.ok()) return launch_failed(plan.target, folder.error());
  Expected<std::string> program = paths.program_path();
  if (!program.ok()) return launch_failed(plan.target, program.error());
  const ElevatedMessage message{.pipe_id = plan.pipe_id,
                                .window = plan.startup_window,
                                .folder = *folder,
                                .host = std::string(host),
                                .host_line = std::string(command_line)};
  return ElevatedCommand{std::move(*program), elevated_parameters(message)};
}

Failure PromptedStart::failure(std::string_view why) const {
  return Failure{launch_failure(plan_.target) + ": " + std::string(why)};
}

// The host's id, as the elevated start reports it once it has started the
// host.
Checked<std::uint32_t> PromptedStart::read_host_id(PipeServer& pipe) {
  ReportReader report;
  read_pipe(pipe, [&](std::string_view bytes) {
    report.take(bytes);
    return report.state() == ReportReader::State::awaiting_pid;
  });
  if (report.state() == ReportReader::State::failed) {
    return launch_failed(plan_.target, report.failure());
  }
  if (!report.pid()) {
    return failure("the elevated vornalt.exe did not say whether it started " +
                   program_name(plan_.target));
  }
  return *report.pid();
}

// Waits for the elevated start to open the pipe, hands it the host's
// variables, and reads its report.
Checked<std::uint32_t> PromptedStart::host_reported(PipeServer& pipe, Handle elevated) {
  const Expected<ClientWait> waited = pipe.wait_for_client(elevated, INFINITE_TIMEOUT);
  if (!waited.ok()) return launch_failed(plan_.target, waited.error());
  if (*waited != ClientWait::connected) {
    const Expected<std::uint32_t> status = processes_.exit_code(elevated);
    return failure("the elevated vornalt.exe ended with exit status " +
                   (status.ok() ? std::to_string(*status) : std::string("unknown")) +
                   " before it started " + program_name(plan_.target));
  }
  // Only this same program gets the variables.
  if (!pipe.other_end_runs_this_program()) {
    return failure("a program other than vornalt.exe opened the pipe of the elevated start");
  }
  const Result sent = pipe.write(variables_message(plan_.host_variables));
  if (!sent.ok()) return launch_failed(plan_.target, sent.error());
  return read_host_id(pipe);
}

Checked<StartedHost> PromptedStart::start(std::string_view host, std::string_view command_line) {
  Checked<std::unique_ptr<PipeServer>> relay_pipe = make_relay_pipe(plan_, pipes_);
  if (!relay_pipe.ok()) return relay_pipe.error();
  const Checked<ElevatedCommand> command = elevated_command(host, command_line, plan_, paths_);
  if (!command.ok()) return command.error();
  // The pipe waits before the elevated start runs, so that it finds it.
  Checked<std::unique_ptr<PipeServer>> pipe =
      make_pipe(elevation_pipe_name(plan_.pipe_id), plan_.target, pipes_);
  if (!pipe.ok()) return pipe.error();
  Expected<OwnedHandle> elevated = elevation_.start_elevated(command->program, command->parameters);
  if (!elevated.ok()) {
    const bool refused = elevated.error() == error_from_win32(CANCELLED);
    return Failure{launch_failure(plan_.target) + (refused ? ": the elevation was refused" : ""),
                   elevated.error()};
  }
  const Checked<std::uint32_t> id = host_reported(**pipe, elevated->get());
  if (!id.ok()) return id.error();
  return StartedHost{.process = StartedProcess{.process = std::move(*elevated), .id = *id},
                     .relay_pipe = std::move(*relay_pipe)};
}

}  // namespace vornalt
