// What the relay and the vornalt that started it say to each other. To
// learn how the command ended, vornalt puts a second vornalt.exe between
// the console host and the shell:
//   "<vornalt.exe>" --vornalt-relay <id> <the shell's line>
// That relay starts the shell in the new console, waits for it, and
// reports over the pipe named by the id, one line at a time:
//   "pid <n>\n" then "status <n>\n", or "failed <n>\n" when the shell could
//   not start (n: the HRESULT's 32 bits); each n in plain decimal.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "error.h"

namespace vornalt {

/// The word after the program's name that makes vornalt.exe the relay. It
/// is no target, so that nobody types it by chance.
inline constexpr std::string_view RELAY_MARKER = "--vornalt-relay";

/// A run's id: 32 lower-case hexadecimal digits of 128 random bits.
std::string relay_id(const std::array<std::uint8_t, 16>& random);
bool is_relay_id(std::string_view text);

/// The pipe of the run with `id`.
std::string relay_pipe_name(std::string_view id);

std::string pid_message(std::uint32_t pid);
std::string status_message(std::uint32_t status);
std::string failure_message(HRESULT code);

/// The relay's command line, as the host handed it on.
struct RelayLine {
  std::string id;             // the word after the marker, as it came
  std::string shell_line;     // the rest: exactly the line for the shell
  std::string shell_program;  // its first word, by the program-name rule
};

/// Nothing when `line` is no relay's line (its second word is not the
/// marker) or holds no shell. The program's name is read by the
/// program-name rule; the marker and the id are words without quotes; the
/// rest starts at the next word and is taken as it is.
std::optional<RelayLine> read_relay_line(std::string_view line);

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

}  // namespace vornalt
