// What the relay and the vornalt that started it say to each other. To
// learn how the command ended, or to hand it variables, vornalt puts a
// second vornalt.exe between the console host and the shell:
//   "<vornalt.exe>" --vornalt-relay <id> [--keep] [--variables] [--size C,R]
//       <the shell's line>
// That relay starts the shell in the new console and waits for it. The id
// names the pipe between the two, or is "-" when there is none; --keep
// makes the relay wait for a key before the window closes, --variables
// says that the command must not run without the variables from the pipe,
// and --size has it set its console's window to C columns and R rows first.
//
// Over the pipe, first the vornalt that made it sends the command's
// variables, once it knows that its client runs vornalt.exe:
//   "vars <n>\n", then n records, each a line and as many bytes as it says,
//   and a line end:
//   "set <length>\n<NAME=VALUE>\n" or "unset <length>\n<NAME>\n"
//   (WTF-8, so that every unit of a value arrives, an unpaired surrogate
//   too; lengths in bytes; each name once).
// Then the relay reports, one line at a time:
//   "pid <n>\n" then "status <n>\n", or "failed <n>\n" when the shell could
//   not start (n: the HRESULT's 32 bits).
// Every number is plain decimal.
//
// With -a, unless this process is elevated already, the first vornalt asks
// Windows ("runas") to start vornalt.exe itself as administrator, so that the
// elevation prompt names vornalt, with the words
//   --vornalt-elevated <id> [--show N] [--pos X,Y] <folder> <host>
//       <the host's command line>
// (--show and --pos: the show command and the position of the host's
// STARTUPINFO; the folder and the host's full path quoted as the C runtime
// reads them, the host's line as it is). That elevated start opens the pipe
// "\\.\pipe\vornalt-<id>-elevated", reads the variables that the host is to
// get (as above; none unless conhost.exe hands them on), starts the host in
// the folder, reports "pid <n>\n" (the host's) or "failed <n>\n", and waits
// for the host to end, with whose status it ends. The relay in the elevated
// console reports over "\\.\pipe\vornalt-<id>" as ever.
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

/// Reads the relay's report as it comes, in pieces of any size. Anything
/// but the lines above, in their order, each once, with nothing after
/// them, makes the report malformed for good: it is never taken for the
/// command's status.
class RelayReportReader {
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

/// Reads the variables on the relay's side, in pieces of any size, as
/// strictly as the report: anything but one "vars" line and exactly its
/// records, each name once and valid, with nothing after them, makes them
/// malformed for good, and the command does not run with them.
class RelayVariablesReader {
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
  std::size_t taken_ = 0;  // all bytes so far, against RELAY_VARIABLES_LIMIT
  std::vector<Variable> variables_;
};

/// The most bytes the variables may take: far more than the longest
/// command line that can carry them.
inline constexpr std::size_t RELAY_VARIABLES_LIMIT = std::size_t{1} << 20;

}  // namespace vornalt
