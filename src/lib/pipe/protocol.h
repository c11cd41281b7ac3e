// What goes over the pipes between vornalt.exe's processes. To learn how
// the command ended, or to hand it variables, the vornalt that opens the
// window puts a second vornalt.exe, the relay, between the console host and
// the shell (relay/relay_message.h); with -a, unless it is elevated already,
// it has Windows ("runas") start vornalt.exe itself as administrator, the
// elevated start, which starts the host (elevated/elevated_message.h). Each
// child is joined to the first vornalt by a pipe named by the run's id: the
// relay by "\\.\pipe\vornalt-<id>", the elevated start by
// "\\.\pipe\vornalt-<id>-elevated".
//
// Over each pipe, first the vornalt that made it sends the variables, once
// it knows that its client runs vornalt.exe (the command's for the relay,
// the host's for the elevated start: none unless conhost.exe hands them on):
//   "vars <n>\n", then n records, each a line and as many bytes as it says,
//   and a line end:
//   "set <length>\n<NAME=VALUE>\n" or "unset <length>\n<NAME>\n"
//   (WTF-8, so that every unit of a value arrives, an unpaired surrogate
//   too; lengths in bytes; each name once).
// Then the child reports, one line at a time: the relay
//   "pid <n>\n" then "status <n>\n", or "failed <n>\n" when the shell could
//   not start (n: the HRESULT's 32 bits);
// the elevated start "pid <n>\n" (the host's) or "failed <n>\n", and then it
// stands in for the host until the host ends, with whose status it ends.
// Every number is plain decimal.
//
// What each side checks, across the integrity levels: both pipes are made by
// the first vornalt, a process of medium integrity, with the default
// security (only this user, SYSTEM and the administrators may write to
// them), as the first and only instance of their name, and refuse remote
// clients; their clients, the elevated start and the relay, run at high
// integrity, which the pipes' medium label does not restrict. The first
// vornalt sends nothing, not even the variables, before it knows that the
// client runs this same vornalt.exe (GetNamedPipeClientProcessId, then the
// process's full path, which a medium process may read of a high one). The
// elevated side believes a pipe only when the process that made it runs
// this same vornalt.exe (GetNamedPipeServerProcessId), opens it for
// identification only, and takes the variables only as one whole message.
// What it starts comes only from its own command line, which the elevation
// prompt's details show; the variables' values are never on a command line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "environment.h"
#include "error.h"
#include "system/pipes.h"

namespace vornalt {

/// The id that names a run's pipes: 32 lower-case hexadecimal digits of
/// 128 random bits.
std::string pipe_id_from(const std::array<std::uint8_t, 16>& random);
bool is_pipe_id(std::string_view text);

/// The pipe of the run with `id`, and that of its elevated start.
std::string relay_pipe_name(std::string_view id);
std::string elevation_pipe_name(std::string_view id);

/// A number as the protocol writes it: plain decimal, no sign, no leading
/// zero, at most 32 bits.
std::optional<std::uint32_t> parse_decimal(std::string_view text);

std::string pid_message(std::uint32_t pid);
std::string status_message(std::uint32_t status);
std::string failure_message(HRESULT code);

/// The variables as the vornalt that made the pipe sends them. The names
/// must be distinct (add_variable).
std::string variables_message(std::span<const Variable> variables);

/// Hands what comes over `pipe` to `take`, piece by piece, for as long as
/// `take` asks for more (returns true), the other end keeps the pipe open,
/// and reading succeeds.
template <typename Take>
void read_pipe(Pipe& pipe, Take take) {
  for (bool more = true; more;) {
    const Expected<std::string> bytes = pipe.read();
    if (!bytes.ok() || bytes->empty()) return;
    more = take(*bytes);
  }
}

/// Reads a child's report as it comes, in pieces of any size. Anything
/// but the lines above, in their order, each once, with nothing after
/// them, makes the report malformed for good: it is never taken for the
/// command's status.
class ReportReader {
 public:
  enum class State { awaiting_pid, awaiting_status, ended, failed, malformed };

  void take(std::string_view bytes);

  State state() const { return state_; }
  /// Set once the pid line has come (and stays set).
  std::optional<std::uint32_t> pid() const { return pid_; }
  /// The command's status, once ended.
  std::uint32_t status() const { return value_; }
  /// Why the shell did not start, once failed.
  Error failure() const { return Error(HRESULT{static_cast<std::int32_t>(value_)}); }
  /// Whether a line was cut off by the end of the report.
  bool has_partial_line() const { return !line_.empty(); }

 private:
  void take_line(std::string_view line);

  State state_ = State::awaiting_pid;
  std::string line_;
  std::optional<std::uint32_t> pid_;
  std::uint32_t value_ = 0;
};

/// Reads the variables on the child's side, in pieces of any size, as
/// strictly as the report: anything but one "vars" line and exactly its
/// records, each name once and valid, with nothing after them, makes them
/// malformed for good, and the command does not run with them.
class VariablesReader {
 public:
  enum class State { reading, complete, malformed };

  void take(std::string_view bytes);

  State state() const { return state_; }
  /// Once complete: the variables, in the order sent.
  const std::vector<Variable>& variables() const { return variables_; }

 private:
  enum class Expecting { line, payload, payload_end };
  void take_line(std::string_view line);
  void take_payload(std::string_view payload);

  State state_ = State::reading;
  Expecting expecting_ = Expecting::line;
  std::string text_;                         // the line or the record's bytes so far
  std::optional<std::size_t> records_left_;  // from the "vars" line on
  bool setting_ = false;                     // the record sets, not unsets
  std::size_t payload_size_ = 0;
  std::size_t taken_ = 0;  // all bytes so far, against VARIABLES_LIMIT
  std::vector<Variable> variables_;
};

/// The most bytes the variables may take: far more than the longest
/// command line that can carry them.
inline constexpr std::size_t VARIABLES_LIMIT = std::size_t{1} << 20;

}  // namespace vornalt
