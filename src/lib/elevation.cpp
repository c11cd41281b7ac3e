#include "elevation.h"

#include "launcher.h"
#include "relay_protocol.h"
#include "starter_pipe.h"
#include "wtf8.h"

namespace vornalt {

const std::string_view PROMPT_NAME = VORNALT_DESCRIPTION;

namespace {

void print_failure(std::string_view why, const LaunchRequest& request, System& system) {
  system.write(Stream::err, launch_failure(request.target) + ": " + std::string(why) + "\n");
}

void print_failure(const Error& error, const LaunchRequest& request, System& system) {
  print_error(launch_failure(request.target), error, system);
}

// ERROR_CANCELLED: the user answered the prompt with No.
constexpr std::uint32_t CANCELLED = 1223;

// Waits for the elevated start to open the pipe and to report the host's
// start; the host's id, or nothing after the line that says why not.
std::optional<std::uint32_t> host_reported(PipeServer& pipe, Handle elevated,
                                           const LaunchRequest& request, const LaunchPlan& plan,
                                           System& system) {
  const std::string host = program_name(request.target);
  const Expected<ClientWait> waited = pipe.wait_for_client(elevated, INFINITE_TIMEOUT);
  if (!waited.ok()) {
    print_failure(waited.error(), request, system);
    return std::nullopt;
  }
  if (*waited != ClientWait::connected) {
    const Expected<std::uint32_t> status = system.exit_code(elevated);
    print_failure("the elevated vornalt.exe ended with exit status " +
                      (status.ok() ? std::to_string(*status) : std::string("unknown")) +
                      " before it started " + host,
                  request, system);
    return std::nullopt;
  }
  // Only this same program gets the variables.
  if (!pipe.other_end_runs_this_program()) {
    print_failure("a program other than vornalt.exe opened the pipe of the elevated start", request,
                  system);
    return std::nullopt;
  }
  const Result sent = pipe.write(variables_message(host_variables(request, plan)));
  if (!sent.ok()) {
    print_failure(sent.error(), request, system);
    return std::nullopt;
  }
  RelayReportReader report;
  while (report.state() == RelayReportReader::State::awaiting_pid) {
    const Expected<std::string> bytes = pipe.read();
    if (!bytes.ok() || bytes->empty()) break;
    report.take(*bytes);
  }
  if (report.state() == RelayReportReader::State::failed) {
    print_failure(report.failure(), request, system);
  } else if (!report.pid()) {
    print_failure("the elevated vornalt.exe did not say whether it started " + host, request,
                  system);
  }
  return report.pid();
}

}  // namespace

std::optional<ElevatedStart> elevated_start(std::string_view host, std::string_view command_line,
                                            const LaunchRequest& request, const LaunchPlan& plan,
                                            System& system) {
  // "runas" starts a program of the Windows folder in System32 whatever
  // folder it is given: the folder goes on the line instead, also for wt.exe,
  // which makes its "." absolute against its own.
  const Expected<std::string> folder = plan.host_takes_folder && !plan.folder.empty()
                                           ? Expected<std::string>(plan.folder)
                                           : system.full_path(".");
  if (!folder.ok()) {
    print_failure(folder.error(), request, system);
    return std::nullopt;
  }
  Expected<std::string> program = system.program_path();
  if (!program.ok()) {
    print_failure(program.error(), request, system);
    return std::nullopt;
  }
  return ElevatedStart{std::move(*program),
                       elevated_parameters(plan.pipe_id, *folder, host, command_line)};
}

std::optional<StartedProcess> start_host_elevated(const ElevatedStart& start,
                                                  const LaunchRequest& request,
                                                  const LaunchPlan& plan, System& system) {
  // The pipe waits before the elevated start runs, so that it finds it.
  Expected<std::unique_ptr<PipeServer>> pipe =
      system.create_pipe(elevation_pipe_name(plan.pipe_id));
  if (!pipe.ok()) {
    print_failure(pipe.error(), request, system);
    return std::nullopt;
  }
  Expected<OwnedHandle> elevated = system.start_elevated(start.program, start.parameters);
  if (!elevated.ok()) {
    if (elevated.error() == error_from_win32(CANCELLED)) {
      print_error(launch_failure(request.target) + ": the elevation was refused", elevated.error(),
                  system);
    } else {
      print_failure(elevated.error(), request, system);
    }
    return std::nullopt;
  }
  const std::optional<std::uint32_t> id =
      host_reported(**pipe, elevated->get(), request, plan, system);
  if (!id) return std::nullopt;
  return StartedProcess{.process = std::move(*elevated), .id = *id};
}

bool is_elevated_start(std::span<const std::string> args) {
  return args.size() >= 2 && args[1] == ELEVATED_MARKER;
}

int run_elevated(System& system) {
  const std::optional<ElevatedLine> line = read_elevated_line(system.process_command_line());
  if (!line || !is_relay_id(line->id)) return 1;
  StarterConnection starter = connect_to_starter(elevation_pipe_name(line->id), system);
  if (starter.link != StarterLink::connected) return 1;
  std::u16string buffer = to_utf16(line->host_line);
  buffer += u'\0';
  const Expected<StartedProcess> host =
      start_in_new_console(line->host, buffer, line->folder, starter.variables, system);
  (void)starter.pipe->write(host.ok() ? pid_message(host->id)
                                      : failure_message(host.error().code()));
  starter.pipe.reset();
  if (!host.ok()) return 1;
  // It stands in for the host until the host ends.
  if (system.wait_for_single_object(host->process.get(), INFINITE_TIMEOUT) != WAIT_EVENT_OBJECT_0) {
    return 1;
  }
  const Expected<std::uint32_t> status = system.exit_code(host->process.get());
  return status.ok() ? static_cast<int>(*status) : 1;
}

}  // namespace vornalt
