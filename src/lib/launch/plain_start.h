// The start of a host in a new console, by this process: the first
// vornalt's, and the elevated start's.
#pragma once

#include <span>
#include <string_view>

#include "environment.h"
#include "launch/host_starter.h"
#include "system/environment.h"
#include "system/processes.h"

namespace vornalt {

/// How a host starts in its new console.
struct ConsoleStart {
  /// Its current folder; empty: this process's.
  std::string_view folder;
  /// The changes to this process's environment that it starts with.
  std::span<const Variable> variables;
  /// What its STARTUPINFO says of its window.
  StartupWindow window;
};

/// Starts `host` (its full path) with `command_line` in a new console, as
/// `start` says.
Expected<StartedProcess> start_in_new_console(std::string_view host, std::string_view command_line,
                                              const ConsoleStart& start, Processes& processes,
                                              Environment& environment);

/// The plain start: the relay's pipe when the plan has one, then the host in
/// a new console, in the plan's folder and with its variables and window for
/// the host.
class PlainStart final : public HostStarter {
 public:
  PlainStart(const LaunchPlan& plan, Processes& processes, Pipes& pipes, Environment& environment)
      : plan_(plan), processes_(processes), pipes_(pipes), environment_(environment) {}

  Checked<StartedHost> start(std::string_view host, std::string_view command_line) override;

 private:
  const LaunchPlan& plan_;
  Processes& processes_;
  Pipes& pipes_;
  Environment& environment_;
};

}  // namespace vornalt
