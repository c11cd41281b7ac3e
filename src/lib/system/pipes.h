// Named pipes between this program's processes, and the random id that
// names them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "error.h"
#include "system/processes.h"

namespace vornalt {

/// How the wait for the other process to open its end of the pipe ended.
enum class ClientWait { connected, process_ended, timed_out };

/// One end of a named pipe, closed when it goes.
class Pipe {
 public:
  virtual ~Pipe() = default;

  /// The next bytes; none once the other end has closed the pipe.
  virtual Expected<std::string> read() = 0;
  virtual Result write(std::string_view bytes) = 0;
  /// Whether the process at the other end runs this same program file: the
  /// client, at the end that made the pipe; the maker, at the client's.
  virtual bool other_end_runs_this_program() = 0;
};

/// The end that made the pipe: new (failing if a pipe of that name exists),
/// both ways, for one local client, already waiting for it.
class PipeServer : public Pipe {
 public:
  /// Until the client has opened the pipe, `process` (when not null) has
  /// ended, or `timeout` milliseconds have passed. A client that came before
  /// the process ended counts as connected.
  virtual Expected<ClientWait> wait_for_client(Handle process, std::uint32_t timeout) = 0;
};

class Pipes {
 public:
  virtual ~Pipes() = default;

  virtual Expected<std::unique_ptr<PipeServer>> create_pipe(std::string_view name) = 0;
  /// The client's end, both ways, for identification only.
  virtual Expected<std::unique_ptr<Pipe>> open_pipe(std::string_view name) = 0;
  /// 128 bits from the system's random source, for a pipe's name.
  virtual Expected<std::array<std::uint8_t, 16>> random_bytes() = 0;
};

}  // namespace vornalt
