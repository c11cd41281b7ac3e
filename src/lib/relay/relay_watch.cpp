#include "relay/relay_watch.h"

#include <string>

#include "pipe/protocol.h"

namespace vornalt {
namespace {

constexpr std::string_view ENDED_EARLY =
    "The new console ended before it reported the command's exit status";

// One watch of the relay: what it has learned so far decides whether a
// problem is an error or only a warning.
class Watch {
 public:
  Watch(PipeServer& pipe, const LaunchPlan& plan, Output& output, Processes& processes)
      : pipe_(pipe), plan_(plan), output_(output), processes_(processes) {}

  RelayOutcome run(Handle host);

 private:
  bool wait_for_relay(Handle host);
  bool send_variables();
  void read_report();
  RelayOutcome outcome();
  void report_problem(std::string_view problem);
  void report(std::string_view problem, bool error);

  PipeServer& pipe_;
  const LaunchPlan& plan_;
  Output& output_;
  Processes& processes_;
  ReportReader reader_;
  bool failed_ = false;
};

// With -e nothing but the status will do. Variables that have not reached
// the relay keep the command from running at all; once the relay has said
// that it started the shell, or could not, they are there.
void Watch::report_problem(std::string_view problem) {
  const bool started = reader_.pid() || reader_.state() == ReportReader::State::failed;
  report(problem, plan_.ends_with_command_status || (plan_.relay->needs_variables && !started));
}

void Watch::report(std::string_view problem, bool error) {
  failed_ = failed_ || error;
  output_.problem((error ? "Error: " : "Warning: ") + std::string(problem));
}

// Waits until the relay has opened the pipe; false after saying why not.
bool Watch::wait_for_relay(Handle host) {
  for (;;) {
    const Expected<ClientWait> waited = pipe_.wait_for_client(
        host, plan_.host_ends_at_once ? RELAY_CONNECT_TIMEOUT_MS : INFINITE_TIMEOUT);
    if (!waited.ok()) {
      report_problem("Waiting for the relay failed: " + output_.debug_form(waited.error()));
      return false;
    }
    if (*waited == ClientWait::connected) return true;
    if (*waited == ClientWait::timed_out) {
      report_problem("No relay reported from the new console within " +
                     std::to_string(RELAY_CONNECT_TIMEOUT_MS / 1000) + " seconds");
      return false;
    }
    if (!plan_.host_ends_at_once) {
      report_problem(ENDED_EARLY);
      return false;
    }
    // wt.exe hands the command to Windows Terminal and ends: only a status
    // of its own says that it failed.
    const Expected<std::uint32_t> status = processes_.exit_code(host);
    if (status.ok() && *status != 0) {
      report_problem("wt.exe failed with exit status " + std::to_string(*status));
      return false;
    }
    host = nullptr;
  }
}

bool Watch::send_variables() {
  const Result sent = pipe_.write(variables_message(plan_.relay_variables));
  if (sent.ok()) return true;
  report_problem("Sending the variables to the relay failed: " + output_.debug_form(sent.error()));
  return false;
}

// Until the relay has closed the pipe, so that nothing can follow the
// status unseen.
void Watch::read_report() {
  read_pipe(pipe_, [this](std::string_view bytes) {
    const bool had_pid = reader_.pid().has_value();
    reader_.take(bytes);
    if (!had_pid && reader_.pid()) output_.progress("Shell PID: " + std::to_string(*reader_.pid()));
    return reader_.state() != ReportReader::State::malformed &&
           (plan_.reads_command_status || reader_.state() == ReportReader::State::awaiting_pid);
  });
}

RelayOutcome Watch::outcome() {
  using State = ReportReader::State;
  const State state = reader_.has_partial_line() ? State::malformed : reader_.state();
  if (state == State::ended) return {.status = reader_.status()};
  if (state == State::failed) {
    // Nothing ran, whatever was asked: a script must be able to tell.
    report("Failed to start '" + program_name(plan_.shell) +
               "' in the new console: " + output_.debug_form(reader_.failure()),
           true);
  } else if (state == State::malformed) {
    report_problem("The relay's report could not be read");
  } else if (plan_.reads_command_status || state == State::awaiting_pid) {
    report_problem(ENDED_EARLY);
  }
  return {.failed = failed_};
}

RelayOutcome Watch::run(Handle host) {
  if (!wait_for_relay(host)) return {.failed = failed_};
  // Only this same program may speak for the command, and get its
  // variables, not whatever else of this user's opened the pipe first.
  if (!pipe_.other_end_runs_this_program()) {
    report_problem("A program other than vornalt.exe opened the relay's pipe");
    return {.failed = failed_};
  }
  if (!send_variables()) return {.failed = failed_};
  read_report();
  return outcome();
}

}  // namespace

RelayOutcome watch_relay(PipeServer& pipe, Handle host, const LaunchPlan& plan, Output& output,
                         Processes& processes) {
  return Watch(pipe, plan, output, processes).run(host);
}

}  // namespace vornalt
