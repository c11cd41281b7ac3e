// This vornalt's side of -a: it asks Windows to start vornalt.exe itself
// as administrator, so that the elevation prompt names vornalt and not a
// host or shell that Windows signed, and that elevated start starts the host
// (elevated_start.h), reports it, and stands in for it until it ends
// (elevated/elevated_message.h, pipe/protocol.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "launch/host_starter.h"
#include "system/elevation.h"
#include "system/paths.h"

namespace vornalt {

/// The name that the elevation prompt shows for vornalt.exe: its version
/// resource's description.
extern const std::string_view PROMPT_NAME;

/// What is asked to start elevated: vornalt.exe, and its elevated start's
/// words for the host.
struct ElevatedCommand {
  std::string program;
  std::string parameters;
};

/// The elevated start of `host` with `command_line`: in the folder that the
/// host starts in, the current one made absolute ("runas" would start a
/// program of the Windows folder in System32); or why there is none.
Checked<ElevatedCommand> elevated_command(std::string_view host, std::string_view command_line,
                                          const LaunchPlan& plan, Paths& paths);

/// The start through the prompt: the relay's pipe when the plan has one,
/// the elevated start's pipe, then vornalt.exe as administrator, which gets
/// the host's variables over its pipe and reports the host's start. The
/// elevated start stands in for the host: it lives as long as the host and
/// ends with its status, and the id is the host's. A refused prompt says so.
class PromptedStart final : public HostStarter {
 public:
  PromptedStart(const LaunchPlan& plan, Processes& processes, Pipes& pipes, Paths& paths,
                Elevation& elevation)
      : plan_(plan), processes_(processes), pipes_(pipes), paths_(paths), elevation_(elevation) {}

  Checked<StartedHost> start(std::string_view host, std::string_view command_line) override;

 private:
  Checked<std::uint32_t> host_reported(PipeServer& pipe, Handle elevated);
  Checked<std::uint32_t> read_host_id(PipeServer& pipe);
  Failure failure(std::string_view why) const;

  const LaunchPlan& plan_;
  Processes& processes_;
  Pipes& pipes_;
  Paths& paths_;
  Elevation& elevation_;
};

}  // namespace vornalt
