// Everything decided about one launch, once, from the request: how the host
// is started, what this vornalt prints, what it waits for and what its exit
// status is made from, whether a relay runs between the host and the shell
// and what it is told, which pipes join the processes and what goes over
// each, and the folder and variables that each process gets. The code after
// it reads its fields and decides nothing again.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/launch_request.h"
#include "relay/relay_message.h"
#include "system/elevation.h"
#include "window_layout.h"

namespace vornalt {

/// What -a came to, as the summary says it. Only `prompt` starts anything
/// differently: through the elevation prompt, by vornalt.exe itself, which
/// then starts the host as administrator.
enum class Admin { not_asked, prompt, already_elevated };

/// wt.exe's own options for the window that it creates, on its line before
/// the tab's: --maximized, --fullscreen, --pos X,Y, --size C,R.
struct WtWindowOptions {
  WindowShow show = WindowShow::normal;  // maximized or full screen
  std::optional<Pixels> position;
  std::optional<Cells> size;
};

struct LaunchPlan {
  Target target = Target::conhost;
  Shell shell = Shell::cmd;
  Admin admin = Admin::not_asked;
  /// -n: what a run would start is printed, and nothing starts.
  bool dry_run = false;
  /// The summary and the lines that say what was started (none with -q).
  bool shows_progress = true;
  /// -e: this vornalt ends with the command's exit status (1 when none
  /// came), and whatever keeps that from coming is an error.
  bool ends_with_command_status = false;
  /// wt.exe hands the command to Windows Terminal and ends at once;
  /// conhost.exe ends when the last program in its console has.
  bool host_ends_at_once = false;
  /// This vornalt waits for the host process to end (-w with conhost).
  bool waits_for_host = false;
  /// The host starts in the folder of -d and hands it on to the shell
  /// (conhost.exe); otherwise it gets the folder on its line (wt.exe).
  bool host_takes_folder = false;
  /// The changes to the host's environment, which it hands on to the shell
  /// (conhost.exe). Behind the prompt they go over the elevation pipe to the
  /// elevated start, which starts the host with them and reports its id.
  std::vector<Variable> host_variables;

  /// The relay: a second vornalt.exe in the new console, which starts the
  /// shell, waits for it and reports; none: the host starts the shell. It
  /// learns the command's end for -e and for wt's -w, and carries the
  /// variables that wt.exe cannot; -k alone, and conhost's --size, need it in
  /// the window, but nothing from it. The plan decides what its line tells
  /// it; its pipe's id is drawn before the start (name_relay_and_pipes), and
  /// the composer writes the shell's line after its words.
  std::optional<RelayMessage> relay;
  /// The variables that the relay sets before it starts the shell (wt.exe
  /// has no way to pass them, and what environment a Windows Terminal tab
  /// gets depends on its version); they go over its pipe.
  std::vector<Variable> relay_variables;
  /// This vornalt reads the relay's report up to the command's exit status:
  /// for -e, and for -w where the host does not wait for the command.
  /// Otherwise only until the shell has started.
  bool reads_command_status = false;

  /// Where and how the window opens, as asked (the summary's Window line).
  WindowLayout window_layout;
  /// What the host's own STARTUPINFO says of its window: conhost.exe takes
  /// the show command and the position for the window it creates, wt.exe
  /// hands the show command to Windows Terminal. Behind the prompt the
  /// elevated start's line carries it to the host's start.
  StartupWindow startup_window;
  /// wt: the Windows Terminal window for the tab: as typed; otherwise the
  /// current one ("0") for a split, which means beside what the user sees
  /// (a window that wt.exe creates would first get a tab of the default
  /// profile); a new one when the window options ask anything, since
  /// Terminal applies them only to a window that it creates; otherwise
  /// "vornalt".
  std::string wt_window;
  /// wt: the tab's or pane's profile and colour, and the split.
  TerminalTab wt_tab;
  /// wt: the window options that go on wt.exe's line.
  WtWindowOptions wt_window_options;
  /// wt: the window options were given with a window named by --window,
  /// which may be open already; they apply only if Terminal creates it now.
  bool window_options_need_a_new_window = false;
  /// wt: a split behind the elevation prompt goes into the latest elevated
  /// window, or a new one: Terminal keeps elevated windows apart from the
  /// user's own.
  bool split_in_an_elevated_window = false;

  // Found before the start.
  /// The folder of -d, made absolute; empty: the current folder.
  std::string folder;
  /// vornalt.exe, named so that the host hands it on unchanged.
  std::string relay_program;
  /// The id that names the pipes: the relay's, and the elevated start's.
  std::string pipe_id;

  /// The folder the host process starts in; empty: this process's.
  std::string_view host_folder() const {
    return host_takes_folder ? std::string_view(folder) : std::string_view();
  }
  /// A pipe joins the relay to this vornalt: the variables go over it to the
  /// relay, and the relay's report comes back.
  bool has_relay_pipe() const { return relay && (reads_command_status || relay->needs_variables); }
  /// Whether the pipes need an id: the dry run shows it too.
  bool needs_pipe_id() const { return has_relay_pipe() || admin == Admin::prompt; }
};

/// The plan for `request`, in a process that is `already_elevated` or not;
/// what is found before the start stays empty.
LaunchPlan plan_launch(const LaunchRequest& request, bool already_elevated);

/// The same, asking whether this process is elevated only for -a: the
/// question loads a DLL that no other run needs.
LaunchPlan plan_launch(const LaunchRequest& request, Elevation& elevation);

}  // namespace vornalt
