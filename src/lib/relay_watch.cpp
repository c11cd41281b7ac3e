#include "relay_watch.h"

#include <string>

#include "relay_protocol.h"

namespace vornalt {
namespace {

void report_problem(std::string_view problem, const LaunchRequest& request, System& system) {
  system.write(Stream::err,
               (request.exit_code ? "Error: " : "Warning: ") + std::string(problem) + "\n");
}

constexpr std::string_view ENDED_EARLY =
    "The new console ended before it reported the command's exit status";

// Waits until the relay has opened the pipe; false after saying why not.
bool wait_for_relay(Handle pipe, Handle host, const LaunchRequest& request, System& system) {
  const bool conhost = request.target == "conhost";
  for (;;) {
    ClientWait outcome = ClientWait::timed_out;
    const Result waited = system.wait_for_client(
        pipe, host, conhost ? INFINITE_TIMEOUT : RELAY_CONNECT_TIMEOUT_MS, outcome);
    if (!waited.ok()) {
      const Error error = waited.error();
      report_problem("Waiting for the relay failed: " + debug_form(error, system), request, system);
      return false;
    }
    if (outcome == ClientWait::connected) return true;
    if (outcome == ClientWait::timed_out) {
      report_problem("No relay reported from the new console within 30 seconds", request, system);
      return false;
    }
    if (conhost) {
      report_problem(ENDED_EARLY, request, system);
      return false;
    }
    // wt.exe hands the command to Windows Terminal and ends: only a status
    // of its own says that it failed.
    std::uint32_t status = 0;
    if (system.exit_code(host, status).ok() && status != 0) {
      report_problem("wt.exe failed with exit status " + std::to_string(status), request, system);
      return false;
    }
    host = nullptr;
  }
}

}  // namespace

std::optional<std::uint32_t> watch_relay(Handle pipe, Handle host, const LaunchRequest& request,
                                         System& system) {
  if (!wait_for_relay(pipe, host, request, system)) return std::nullopt;
  // Only this same program may speak for the command, not whatever else of
  // this user's opened the pipe first.
  if (!system.client_runs_this_program(pipe)) {
    report_problem("A program other than vornalt.exe opened the relay's pipe", request, system);
    return std::nullopt;
  }
  RelayReportReader reader;
  std::string bytes;
  while (reader.state() != RelayReportReader::State::malformed &&
         system.read_pipe(pipe, bytes).ok() && !bytes.empty()) {
    const bool had_pid = reader.pid().has_value();
    reader.take(bytes);
    if (!had_pid && reader.pid() && !request.quiet) {
      system.write(Stream::out, "Shell PID: " + std::to_string(*reader.pid()) + "\n");
    }
  }
  using State = RelayReportReader::State;
  const State state = reader.has_partial_line() ? State::malformed : reader.state();
  if (state == State::ended) return reader.status();
  if (state == State::failed) {
    print_error("Failed to start the shell in the new console", reader.failure(), system);
  } else if (state == State::malformed) {
    report_problem("The relay's report could not be read", request, system);
  } else {
    report_problem(ENDED_EARLY, request, system);
  }
  return std::nullopt;
}

}  // namespace vornalt
