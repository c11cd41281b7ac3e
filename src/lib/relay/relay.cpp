#include "relay/relay.h"

#include "launch/host_search.h"
#include "output.h"
#include "pipe/protocol.h"
#include "pipe/starter_pipe.h"
#include "relay/console_size.h"
#include "relay/relay_message.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

void report(Pipe* pipe, std::string_view message) {
  // A first vornalt that has gone changes nothing for the command.
  if (pipe != nullptr) (void)pipe->write(message);
}

// The pipe to the first vornalt, and what it sent.
struct Connection {
  std::unique_ptr<Pipe> pipe;
  std::vector<Variable> variables;
  /// Why the command must not run.
  std::optional<std::string> refusal;
};

// Without a pipe the window is the user's and the command runs, unless it
// needs the variables that only the pipe brings.
Connection connect(const RelayMessage& message, Pipes& pipes) {
  StarterConnection starter;
  if (is_pipe_id(message.pipe_id)) {
    starter = connect_to_starter(relay_pipe_name(message.pipe_id), pipes);
  }
  Connection connection{std::move(starter.pipe), std::move(starter.variables), std::nullopt};
  switch (starter.link) {
    case StarterLink::unreachable:
      if (message.needs_variables) {
        connection.refusal = "The vornalt.exe that opened this window could not be reached";
      }
      break;
    case StarterLink::not_vornalt:
      connection.refusal = "A program other than vornalt.exe made the relay's pipe";
      break;
    case StarterLink::variables_unreadable:
      connection.refusal = "The variables from vornalt.exe could not be read";
      break;
    case StarterLink::connected:
      break;
  }
  return connection;
}

// The shell inherits them.
std::optional<std::string> apply_variables(const std::vector<Variable>& variables, Output& output,
                                           Environment& environment) {
  for (const Variable& variable : variables) {
    const Result set = environment.set_environment_variable(variable.name, variable.value);
    if (!set.ok()) {
      return "Failed to set the variable '" + variable.name +
             "': " + output.debug_form(set.error());
    }
  }
  return std::nullopt;
}

// "3", or "-1073741510 (0xC000013A)" for an NTSTATUS, as cmd's %ERRORLEVEL%
// and PowerShell's $LASTEXITCODE show it.
std::string status_text(std::uint32_t status) {
  if (status < 0x80000000) return std::to_string(status);
  return std::to_string(static_cast<std::int32_t>(status)) + " (" + hex_code(status) + ")";
}

// -k: the window stays until a key is pressed there. Keys pressed while the
// command ran were meant for it: they are discarded before the prompt shows,
// so that a key pressed once it shows is never discarded. A console whose
// input cannot be read must not keep the relay for ever.
void pause(std::string_view said, Output& output) {
  Console& console = output.console();
  Result waited = console.discard_console_input();
  console.write(Stream::out, std::string(said) + "Press any key to close this window.");
  if (waited.ok()) waited = console.wait_for_key_press();
  console.write(Stream::out, waited.ok() ? std::string("\n")
                                         : " No key can be read in this console: " +
                                               output.debug_form(waited.error()) + "\n");
}

// The shell of `message`, in this console.
Expected<StartedProcess> start_shell(const RelayMessage& message, Processes& processes,
                                     Paths& paths, Environment& environment) {
  std::u16string buffer = to_utf16(message.shell_line);
  buffer += u'\0';
  const Expected<std::string> shell =
      find_shell_program(shell_program(message), paths, environment);
  if (!shell.ok()) return shell.error();
  return processes.create_process(*shell, buffer, {.new_console = false});
}

// The shell's exit status once it has ended; nothing when it cannot be
// read.
std::optional<std::uint32_t> wait_for_shell(const StartedProcess& shell, Processes& processes) {
  if (processes.wait_for_single_object(shell.process.get(), INFINITE_TIMEOUT) !=
      WAIT_EVENT_OBJECT_0) {
    return std::nullopt;
  }
  const Expected<std::uint32_t> status = processes.exit_code(shell.process.get());
  return status.ok() ? std::optional(*status) : std::nullopt;
}

// Reports the shell's start, waits for it and reports its end; then closes
// the pipe, and the shell's handles last. Nothing when its status could not
// be read: the report then ends short, and the first vornalt says so.
std::optional<std::uint32_t> follow_shell(StartedProcess shell, std::unique_ptr<Pipe> pipe,
                                          Processes& processes) {
  report(pipe.get(), pid_message(shell.id));
  const std::optional<std::uint32_t> status = wait_for_shell(shell, processes);
  if (status) report(pipe.get(), status_message(*status));
  pipe.reset();
  return status;
}

// A window that the console keeps at another size changes nothing for the
// command: it runs all the same.
void size_the_window(Cells size, Output& output) {
  const Result sized = set_console_window_size(size, output.console());
  if (!sized.ok()) {
    output.failure("Warning: The window could not be made " + describe(size), sized.error());
  }
}

// How the relay's work ended: its exit status, and what a kept window says
// before it waits for a key.
struct RelayEnd {
  int status = 1;
  std::string said;
};

// Everything between the relay's line and its end: the window's size, the
// pipe and its variables, and the shell, started, followed and reported.
RelayEnd relay_the_shell(const RelayMessage& message, Output& output, Processes& processes,
                         Pipes& pipes, Paths& paths, Environment& environment) {
  if (message.window_size) size_the_window(*message.window_size, output);
  Connection connection = connect(message, pipes);
  if (!connection.refusal) {
    connection.refusal = apply_variables(connection.variables, output, environment);
  }
  if (connection.refusal) {
    connection.pipe.reset();
    output.problem("Error: " + *connection.refusal + "; the command does not run");
    return {};
  }
  std::unique_ptr<Pipe> pipe = std::move(connection.pipe);
  output.console().keep_console_events_for_child();
  Expected<StartedProcess> shell = start_shell(message, processes, paths, environment);
  if (!shell.ok()) {
    report(pipe.get(), failure_message(shell.error().code()));
    pipe.reset();
    output.failure("Error: Failed to start '" + shell_program(message) + "'", shell.error());
    return {};
  }
  const std::optional<std::uint32_t> status =
      follow_shell(std::move(*shell), std::move(pipe), processes);
  if (!status) return {.said = "The command ended; its exit status could not be read. "};
  return {.status = static_cast<int>(*status),
          .said = "The command ended with exit status " + status_text(*status) + ". "};
}

}  // namespace

int run_relay(Output& output, Processes& processes, Pipes& pipes, Paths& paths,
              Environment& environment) {
  const std::optional<RelayMessage> message = read_relay_line(processes.process_command_line());
  if (!message) {
    output.problem("Error: The relay was given no command");
    return 1;
  }
  const RelayEnd end = relay_the_shell(*message, output, processes, pipes, paths, environment);
  // What it had to report is out; with -k the window stays until a key.
  output.console().let_console_close();
  if (message->keep) pause(end.said, output);
  return end.status;
}

}  // namespace vornalt
