#include "relay_watch.h"

#include <string>

#include "console_command_line.h"
#include "relay_protocol.h"

namespace vornalt {
namespace {

constexpr std::string_view ENDED_EARLY =
    "The new console ended before it reported the command's exit status";

// One watch of the relay: what it has learned so far decides whether a
// problem is an error or only a warning.
class Watch {
 public:
  Watch(Handle pipe, const LaunchRequest& request, System& system)
      : pipe_(pipe), request_(request), system_(system) {}

  RelayOutcome run(Handle host);

 private:
  bool wait_for_relay(Handle host);
  bool send_variables();
  bool wants_status() const;
  void read_report();
  RelayOutcome outcome();
  void report_problem(std::string_view problem);
  void report(std::string_view problem, bool error);

  Handle pipe_;
  const LaunchRequest& request_;
  System& system_;
  RelayReportReader reader_;
  bool failed_ = false;
};

// With -e nothing but the status will do. Variables that have not reached
// the relay keep the command from running at all; once the relay has said
// that it started the shell, or could not, they are there.
void Watch::report_problem(std::string_view problem) {
  const bool started = reader_.pid() || reader_.state() == RelayReportReader::State::failed;
  report(problem, request_.exit_code || (relay_takes_variables(request_) && !started));
}

void Watch::report(std::string_view problem, bool error) {
  failed_ = failed_ || error;
  system_.write(Stream::err, (error ? "Error: " : "Warning: ") + std::string(problem) + "\n");
}

// Waits until the relay has opened the pipe; false after saying why not.
bool Watch::wait_for_relay(Handle host) {
  const bool conhost = request_.target == "conhost";
  for (;;) {
    ClientWait outcome = ClientWait::timed_out;
    const Result waited = system_.wait_for_client(
        pipe_, host, conhost ? INFINITE_TIMEOUT : RELAY_CONNECT_TIMEOUT_MS, outcome);
    if (!waited.ok()) {
      report_problem("Waiting for the relay failed: " + debug_form(waited.error(), system_));
      return false;
    }
    if (outcome == ClientWait::connected) return true;
    if (outcome == ClientWait::timed_out) {
      report_problem("No relay reported from the new console within 30 seconds");
      return false;
    }
    if (conhost) {
      report_problem(ENDED_EARLY);
      return false;
    }
    // wt.exe hands the command to Windows Terminal and ends: only a status
    // of its own says that it failed.
    std::uint32_t status = 0;
    if (system_.exit_code(host, status).ok() && status != 0) {
      report_problem("wt.exe failed with exit status " + std::to_string(status));
      return false;
    }
    host = nullptr;
  }
}

bool Watch::send_variables() {
  const std::span<const Variable> variables = relay_takes_variables(request_)
                                                  ? std::span<const Variable>(request_.variables)
                                                  : std::span<const Variable>();
  const Result sent = system_.write_pipe(pipe_, variables_message(variables));
  if (sent.ok()) return true;
  report_problem("Sending the variables to the relay failed: " + debug_form(sent.error(), system_));
  return false;
}

// Without -e or wt's -w, the report matters only until the shell started:
// the variables are in its environment then.
bool Watch::wants_status() const {
  return request_.exit_code || (request_.wait && request_.target == "wt");
}

// Until the relay has closed the pipe, so that nothing can follow the
// status unseen.
void Watch::read_report() {
  std::string bytes;
  while (reader_.state() != RelayReportReader::State::malformed &&
         (wants_status() || reader_.state() == RelayReportReader::State::awaiting_pid) &&
         system_.read_pipe(pipe_, bytes).ok() && !bytes.empty()) {
    const bool had_pid = reader_.pid().has_value();
    reader_.take(bytes);
    if (!had_pid && reader_.pid() && !request_.quiet) {
      system_.write(Stream::out, "Shell PID: " + std::to_string(*reader_.pid()) + "\n");
    }
  }
}

RelayOutcome Watch::outcome() {
  using State = RelayReportReader::State;
  const State state = reader_.has_partial_line() ? State::malformed : reader_.state();
  if (state == State::ended) return {.status = reader_.status()};
  if (state == State::failed) {
    // Nothing ran, whatever was asked: a script must be able to tell.
    report("Failed to start '" + request_.shell +
               ".exe' in the new console: " + debug_form(reader_.failure(), system_),
           true);
  } else if (state == State::malformed) {
    report_problem("The relay's report could not be read");
  } else if (wants_status() || state == State::awaiting_pid) {
    report_problem(ENDED_EARLY);
  }
  return {.failed = failed_};
}

RelayOutcome Watch::run(Handle host) {
  if (!wait_for_relay(host)) return {.failed = failed_};
  // Only this same program may speak for the command, and get its
  // variables, not whatever else of this user's opened the pipe first.
  if (!system_.client_runs_this_program(pipe_)) {
    report_problem("A program other than vornalt.exe opened the relay's pipe");
    return {.failed = failed_};
  }
  if (!send_variables()) return {.failed = failed_};
  read_report();
  return outcome();
}

}  // namespace

RelayOutcome watch_relay(Handle pipe, Handle host, const LaunchRequest& request, System& system) {
  return Watch(pipe, request, system).run(host);
}

}  // namespace vornalt
