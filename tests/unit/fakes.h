// Scripted stand-ins for the seams to Windows, one per seam, so that a test
// fakes only what it uses. Each answers with what the test set up, and
// records what a user or the next process would see: what was printed, what
// was started and how, what went over the pipes, and which handles are still
// open. FakeSystem holds one of each, for the runs that use them all.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "environment.h"
#include "system/system.h"
#include "text/wtf8.h"

namespace vornalt::testing {

class FakeConsole final : public Console {
 public:
  // The answers.
  std::optional<ConsoleWindow> window;
  /// Its screen buffer, which set_screen_buffer_size and set_console_window
  /// change when they succeed.
  ScreenBuffer screen{{120, 9001}, {0, 0, 119, 29}, {200, 60}};
  Result screen_result;
  Result buffer_size_result;
  Result window_result;
  /// Of discarding the keys typed before, and of the wait for a key.
  Result input_result;

  // What was seen.
  std::string out;
  std::string err;
  std::string both;  // the two streams in the order written
  /// Ctrl+C and a closing window are held for the child: from
  /// keep_console_events_for_child until let_console_close.
  bool events_held = false;
  bool let_close = false;
  /// Standard output when the keys typed before were discarded, and whether
  /// a key was waited for.
  std::optional<std::string> out_when_discarded;
  bool key_awaited = false;
  /// Called as the console is let close: for what a test must see at that
  /// moment.
  std::function<void()> on_let_close;
  /// The screen buffer's size when its window was last set.
  std::optional<Cells> buffer_when_window_set;

  void write(Stream stream, std::string_view text) override {
    (stream == Stream::out ? out : err) += text;
    both += text;
  }
  std::optional<ConsoleWindow> console_window() override { return window; }
  void keep_console_events_for_child() override { events_held = true; }
  void let_console_close() override {
    events_held = false;
    let_close = true;
    if (on_let_close) on_let_close();
  }
  Result discard_console_input() override {
    out_when_discarded = out;
    return input_result;
  }
  Result wait_for_key_press() override {
    key_awaited = true;
    return input_result;
  }
  Expected<ScreenBuffer> screen_buffer() override {
    if (!screen_result.ok()) return screen_result.error();
    return screen;
  }
  Result set_screen_buffer_size(Cells size) override {
    if (buffer_size_result.ok()) screen.size = size;
    return buffer_size_result;
  }
  Result set_console_window(CellRect shown) override {
    buffer_when_window_set = screen.size;
    if (window_result.ok()) screen.window = shown;
    return window_result;
  }
};

class FakeMessages final : public Messages {
 public:
  std::string message = "The system cannot find the file specified.";
  std::string error_message(HRESULT) override { return message; }
};

/// A start of a process, as create_process was asked for it.
struct Start {
  std::string application;
  std::u16string command_line;  // with its final NUL unit
  std::string folder;
  std::u16string environment;
  StartupWindow window;
  bool new_console = true;

  /// The command line as WTF-8, without the final NUL.
  std::string line() const {
    return to_wtf8(std::u16string_view(command_line).substr(0, command_line.size() - 1));
  }
};

class FakeProcesses final : public Processes {
 public:
  // The answers.
  std::string own_command_line;
  Result create_result;
  /// The ids of what it starts: in a new console (a host), in this one (a
  /// shell).
  std::uint32_t host_id = 4120;
  std::uint32_t shell_id = 5678;
  WAIT_EVENT wait_result = WAIT_EVENT_OBJECT_0;
  std::uint32_t exit_status = 0;
  Result exit_result;
  Result close_result;
  /// Called at each start, before it is answered: for what a test must see
  /// at that moment.
  std::function<void(const Start&)> on_start;
  /// Called at each wait for a process, with its handle's name.
  std::function<void(const std::string&)> on_wait;

  // What was seen.
  std::vector<Start> starts;
  /// The processes waited for, and whose status was read, by name.
  std::vector<std::string> waited;
  std::vector<std::string> statuses_read;
  /// The handles given out and not yet closed, by name.
  std::vector<std::string> open;

  /// The handles' names: "host" and "host thread", "shell" and "shell
  /// thread", and what others gave out (the elevated process).
  std::string name(Handle handle) const {
    const auto it = std::find_if(names_.begin(), names_.end(),
                                 [&](const auto& entry) { return entry.first == handle; });
    return it != names_.end() ? it->second : "unknown";
  }
  /// A handle of this fake's, named, and open.
  OwnedHandle give(std::string handle_name) {
    const auto handle = reinterpret_cast<Handle>(names_.size() + 0x10);
    names_.emplace_back(handle, handle_name);
    open.push_back(std::move(handle_name));
    return OwnedHandle(*this, handle);
  }

  std::string process_command_line() override { return own_command_line; }
  Expected<StartedProcess> create_process(std::string_view application,
                                          std::u16string& command_line,
                                          const StartOptions& options) override {
    const Start start{std::string(application),
                      command_line,
                      std::string(options.folder),
                      std::u16string(options.environment),
                      options.window,
                      options.new_console};
    if (on_start) on_start(start);
    starts.push_back(start);
    if (!create_result.ok()) return create_result.error();
    const std::string what = options.new_console ? "host" : "shell";
    StartedProcess process;
    process.thread = give(what + " thread");
    process.process = give(what);
    process.id = options.new_console ? host_id : shell_id;
    return process;
  }
  WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) override {
    if (timeout != INFINITE_TIMEOUT) ADD_FAILURE() << "a wait with a time-out: " << timeout;
    waited.push_back(name(handle));
    if (on_wait) on_wait(name(handle));
    return wait_result;
  }
  Expected<std::uint32_t> exit_code(Handle handle) override {
    statuses_read.push_back(name(handle));
    if (!exit_result.ok()) return exit_result.error();
    return exit_status;
  }
  Result close_handle(Handle handle) override {
    const auto it = std::find(open.begin(), open.end(), name(handle));
    if (it == open.end())
      ADD_FAILURE() << "a handle closed twice, or never given: " << name(handle);
    if (it != open.end()) open.erase(it);
    return close_result;
  }

 private:
  std::vector<std::pair<Handle, std::string>> names_;
};

class FakePipes final : public Pipes {
 public:
  // The answers.
  Result create_result;
  Result open_result;
  /// The answers of wait_for_client, in turn; then timed out.
  std::vector<ClientWait> client_waits{ClientWait::connected};
  /// Whether the other end runs vornalt.exe: the client, to the end that
  /// made the pipe; the maker, to the client.
  bool client_is_vornalt = true;
  bool maker_is_vornalt = true;
  /// What reading a pipe gives, piece by piece, whichever end; then its end.
  std::vector<std::string> reads;
  Result write_result;
  std::array<std::uint8_t, 16> random{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                      0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
  Result random_result;

  // What was seen.
  std::vector<std::string> made;    // the names of the pipes made
  std::vector<std::string> opened;  // and of those opened
  /// What went over the pipes from this process, and the ends still open.
  std::string written;
  int ends_open = 0;
  int random_drawn = 0;
  /// Which processes the waits for a client watched, by the handle given.
  std::vector<Handle> watched;
  /// And for how long each, in milliseconds.
  std::vector<std::uint32_t> watched_ms;

  Expected<std::unique_ptr<PipeServer>> create_pipe(std::string_view name) override {
    made.emplace_back(name);
    if (!create_result.ok()) return create_result.error();
    return std::unique_ptr<PipeServer>(std::make_unique<End>(*this, true));
  }
  Expected<std::unique_ptr<Pipe>> open_pipe(std::string_view name) override {
    opened.emplace_back(name);
    if (!open_result.ok()) return open_result.error();
    return std::unique_ptr<Pipe>(std::make_unique<End>(*this, false));
  }
  Expected<std::array<std::uint8_t, 16>> random_bytes() override {
    ++random_drawn;
    if (!random_result.ok()) return random_result.error();
    return random;
  }
  /// An end that this process made, as create_pipe gives it.
  std::unique_ptr<PipeServer> made_end() { return std::make_unique<End>(*this, true); }

 private:
  class End final : public PipeServer {
   public:
    End(FakePipes& pipes, bool maker) : pipes_(pipes), maker_(maker) { ++pipes_.ends_open; }
    ~End() override { --pipes_.ends_open; }
    Expected<std::string> read() override {
      if (pipes_.reads.empty()) return std::string();
      std::string bytes = pipes_.reads.front();
      pipes_.reads.erase(pipes_.reads.begin());
      return bytes;
    }
    Result write(std::string_view bytes) override {
      if (pipes_.write_result.ok()) pipes_.written += bytes;
      return pipes_.write_result;
    }
    bool other_end_runs_this_program() override {
      return maker_ ? pipes_.client_is_vornalt : pipes_.maker_is_vornalt;
    }
    Expected<ClientWait> wait_for_client(Handle process, std::uint32_t timeout) override {
      pipes_.watched.push_back(process);
      pipes_.watched_ms.push_back(timeout);
      ClientWait outcome = ClientWait::timed_out;
      if (!pipes_.client_waits.empty()) {
        outcome = pipes_.client_waits.front();
        pipes_.client_waits.erase(pipes_.client_waits.begin());
      }
      // Without a process to watch, only a client or the time can end the
      // wait: one with no time limit would never end.
      if (process == nullptr && outcome == ClientWait::process_ended) {
        if (timeout == INFINITE_TIMEOUT) ADD_FAILURE() << "a wait for a client that never ends";
        outcome = ClientWait::timed_out;
      }
      return outcome;
    }

   private:
    FakePipes& pipes_;
    bool maker_;
  };
};

class FakePaths final : public Paths {
 public:
  std::string program_file = "C:\\tools\\vornalt.exe";
  std::string program = "C:\\tools";
  std::string system32 = "C:\\Windows\\System32";
  std::string windows = "C:\\Windows";
  /// Of the program's path and its three folders.
  Result folder_result;
  std::vector<std::string> files{"C:\\Windows\\System32\\conhost.exe",
                                 "C:\\Windows\\System32\\wt.exe", "C:\\Windows\\System32\\cmd.exe"};
  std::vector<std::string> folders{"C:\\work"};  // existing, absolute
  std::string short_name;                        // of any path; empty: the path itself

  /// The files asked about, in order.
  std::vector<std::string> probed;

  Expected<std::string> program_path() override { return answer(program_file); }
  Expected<std::string> program_folder() override { return answer(program); }
  Expected<std::string> system_folder() override { return answer(system32); }
  Expected<std::string> windows_folder() override { return answer(windows); }
  Expected<std::string> short_path(std::string_view path) override {
    return short_name.empty() ? std::string(path) : short_name;
  }
  /// The current folder is C:\work.
  Expected<std::string> full_path(std::string_view path) override {
    if (path == ".") return std::string("C:\\work");
    return path.starts_with("C:\\") ? std::string(path) : "C:\\work\\" + std::string(path);
  }
  bool is_regular_file(std::string_view path) override {
    probed.emplace_back(path);
    return std::find(files.begin(), files.end(), path) != files.end();
  }
  Result check_folder(std::string_view path) override {
    if (std::find(folders.begin(), folders.end(), path) != folders.end()) return {};
    return error_from_win32(3);
  }

 private:
  Expected<std::string> answer(const std::string& folder) const {
    if (!folder_result.ok()) return folder_result.error();
    return folder;
  }
};

class FakeEnvironment final : public Environment {
 public:
  /// This process's environment, PATH among it.
  std::vector<std::string> strings{"=C:=C:\\work", "Path=C:\\Windows"};
  Result lookup_result;
  Result strings_result;
  Result set_result;

  /// The changes made, in order.
  std::vector<Variable> set;

  Expected<std::optional<std::string>> environment_variable(std::string_view name) override {
    if (!lookup_result.ok()) return lookup_result.error();
    for (const std::string& entry : strings) {
      if (same_variable_name(variable_name(entry), name)) {
        return std::optional(entry.substr(entry.find('=', 1) + 1));
      }
    }
    return std::optional<std::string>();
  }
  Expected<std::vector<std::string>> environment_strings() override {
    if (!strings_result.ok()) return strings_result.error();
    return strings;
  }
  Result set_environment_variable(std::string_view name,
                                  const std::optional<std::string>& value) override {
    if (set_result.ok()) set.push_back({std::string(name), value});
    return set_result;
  }
};

class FakeElevation final : public Elevation {
 public:
  explicit FakeElevation(FakeProcesses& processes) : processes_(processes) {}

  bool elevated = false;
  Result start_result;

  /// How often it was asked whether this process is elevated, which loads a
  /// DLL that a plain launch does not need; and what it started.
  int asked = 0;
  std::optional<std::string> program;
  std::string parameters;

  bool is_elevated() override {
    ++asked;
    return elevated;
  }
  Expected<OwnedHandle> start_elevated(std::string_view file, std::string_view words) override {
    program = file;
    parameters = words;
    if (!start_result.ok()) return start_result.error();
    return processes_.give("elevated");
  }

 private:
  FakeProcesses& processes_;
};

/// One fake of each seam.
struct FakeSystem {
  FakeConsole console;
  FakeMessages messages;
  FakeProcesses processes;
  FakePipes pipes;
  FakePaths paths;
  FakeEnvironment environment;
  FakeElevation elevation{processes};

  operator System() {  // NOLINT(google-explicit-constructor)
    return {console, messages, processes, pipes, paths, environment, elevation};
  }
};

}  // namespace vornalt::testing
