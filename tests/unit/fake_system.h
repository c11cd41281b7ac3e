// A scripted stand-in for Windows: records every call and output, answers
// with what the test set up.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "environment.h"
#include "system/system.h"

namespace vornalt::testing {

/// Every seam in one: a test sets up the answers of all, and passes it as
/// any one seam or as the whole System.
class FakeSystem final : public Console,
                         public Messages,
                         public Processes,
                         public Pipes,
                         public Paths,
                         public Environment,
                         public Elevation {
 public:
  operator System() {  // NOLINT(google-explicit-constructor)
    return {*this, *this, *this, *this, *this, *this, *this};
  }

  // What the calls answer.
  std::optional<ConsoleWindow> window;
  std::string program = "C:\\tools";
  std::string system32 = "C:\\Windows\\System32";
  std::string windows = "C:\\Windows";
  Result folder_result;       // for all three folders and the program's path
  Result environment_result;  // for PATH
  std::optional<std::string> path_variable;
  std::vector<std::string> files{"C:\\Windows\\System32\\conhost.exe",
                                 "C:\\Windows\\System32\\wt.exe"};
  std::vector<std::string> folders{"C:\\work"};  // existing, absolute
  Result create_result;
  /// What a start gives: in a new console, or in this one.
  Handle created_process = reinterpret_cast<Handle>(0x10);
  Handle created_thread = reinterpret_cast<Handle>(0x20);
  std::uint32_t created_id = 4120;
  Handle shell_process = reinterpret_cast<Handle>(0x30);
  Handle shell_thread = reinterpret_cast<Handle>(0x40);
  std::uint32_t shell_id = 5678;
  WAIT_EVENT wait_result = WAIT_EVENT_OBJECT_0;
  Result close_result;
  std::string message = "The system cannot find the file specified.";
  std::string own_command_line;
  std::string program_file = "C:\\tools\\vornalt.exe";
  std::array<std::uint8_t, 16> random{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                      0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
  Result random_result;
  std::uint32_t exit_status = 0;
  Result exit_result;
  Result pipe_result;  // creating or opening the pipe
  /// The answers of wait_for_client, in turn; then timed out.
  std::vector<ClientWait> client_waits{ClientWait::connected};
  bool client_is_vornalt = true;
  bool server_is_vornalt = true;
  std::vector<std::string> environment{"=C:=C:\\work", "Path=C:\\Windows"};
  Result environment_strings_result;
  Result set_variable_result;
  Result console_input_result;  // discarding it and waiting for a key
  /// The console's screen buffer, and whether it takes a new size for it and
  /// for its window.
  ScreenBuffer screen{{120, 9001}, {0, 0, 119, 29}, {200, 60}};
  Result screen_result;
  Result buffer_size_result;
  Result console_window_result;
  std::string short_name;  // of any path; empty: the path itself
  bool elevated = false;
  Result elevate_result;  // of the start as administrator
  Handle elevated_process = reinterpret_cast<Handle>(0x50);
  /// What reading the pipe gives, piece by piece; then the end.
  std::vector<std::string> pipe_reads;
  Result write_result;

  // What happened.
  std::string out;
  std::string err;
  std::string both;  // the two streams in the order written
  std::vector<std::string> calls;
  std::u16string command_line;      // as passed to create_process
  std::string application;          // as passed to create_process
  std::string start_folder;         // as passed to create_process
  std::vector<std::string> probed;  // the paths asked about, in order
  std::string pipe_name;            // created or opened, the last
  std::vector<std::string> pipes_made;
  std::string elevated_program;     // as passed to start_elevated
  std::string elevated_parameters;  // as passed to start_elevated
  std::string pipe_written;
  std::u16string start_environment;     // as passed to create_process
  StartupWindow start_window;           // as passed to create_process
  std::vector<Variable> variables_set;  // by set_environment_variable, in order
  std::string out_when_discarded;       // standard output when the keys were discarded
  /// How often the process's elevation was asked and a random id drawn:
  /// each loads a DLL that a plain launch does not need.
  int elevation_asked = 0;
  int random_drawn = 0;
  /// The handles and pipe ends given out and not closed yet, by name.
  std::vector<std::string> open;

  /// An end of a pipe: the one that made it (with wait_for_client), or the
  /// client's. Its calls and bytes go to the system's records.
  class FakePipe final : public PipeServer {
   public:
    FakePipe(FakeSystem& system, bool server) : system_(system), server_(server) {
      system_.open.emplace_back("pipe");
    }
    ~FakePipe() override {
      system_.calls.push_back("CloseHandle(pipe)");
      system_.forget("pipe");
    }
    Expected<std::string> read() override {
      system_.calls.push_back("ReadFile(pipe)");
      std::string bytes;
      if (!system_.pipe_reads.empty()) {
        bytes = system_.pipe_reads.front();
        system_.pipe_reads.erase(system_.pipe_reads.begin());
      }
      return bytes;
    }
    Result write(std::string_view bytes) override {
      system_.calls.push_back("WriteFile(pipe)");
      if (system_.write_result.ok()) system_.pipe_written += bytes;
      return system_.write_result;
    }
    bool other_end_runs_this_program() override {
      return server_ ? system_.client_is_vornalt : system_.server_is_vornalt;
    }
    Expected<ClientWait> wait_for_client(Handle process, std::uint32_t timeout) override {
      system_.calls.push_back("WaitForClient(pipe," + system_.name(process) + "," +
                              std::to_string(timeout) + ")");
      ClientWait outcome = ClientWait::timed_out;
      if (!system_.client_waits.empty()) {
        outcome = system_.client_waits.front();
        system_.client_waits.erase(system_.client_waits.begin());
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
    FakeSystem& system_;
    bool server_;
  };

  /// The end of a pipe that this program made, as create_pipe gives it.
  std::unique_ptr<PipeServer> made_pipe() { return std::make_unique<FakePipe>(*this, true); }

  void write(Stream stream, std::string_view text) override {
    (stream == Stream::out ? out : err) += text;
    both += text;
  }
  std::optional<ConsoleWindow> console_window() override { return window; }
  void keep_console_events_for_child() override { calls.push_back("SetConsoleCtrlHandler"); }
  void let_console_close() override { calls.push_back("LetConsoleClose"); }
  Result discard_console_input() override {
    calls.push_back("FlushConsoleInputBuffer");
    out_when_discarded = out;
    return console_input_result;
  }
  Result wait_for_key_press() override {
    calls.push_back("ReadConsoleInputW");
    return console_input_result;
  }
  Expected<ScreenBuffer> screen_buffer() override {
    if (!screen_result.ok()) return screen_result.error();
    return screen;
  }
  Result set_screen_buffer_size(Cells size) override {
    calls.push_back("SetConsoleScreenBufferSize(" + to_string(size) + ")");
    if (buffer_size_result.ok()) screen.size = size;
    return buffer_size_result;
  }
  Result set_console_window(CellRect shown) override {
    calls.push_back("SetConsoleWindowInfo(" + std::to_string(shown.left) + "," +
                    std::to_string(shown.top) + "," + std::to_string(shown.right) + "," +
                    std::to_string(shown.bottom) + ")");
    if (console_window_result.ok()) screen.window = shown;
    return console_window_result;
  }

  std::string process_command_line() override { return own_command_line; }
  Expected<StartedProcess> create_process(std::string_view path, std::u16string& line,
                                          const StartOptions& options) override {
    calls.push_back(options.new_console ? "CreateProcessW" : "CreateProcessW(this console)");
    application = path;
    command_line = line;
    start_folder = options.folder;
    start_environment = options.environment;
    start_window = options.window;
    if (!create_result.ok()) return create_result.error();
    if (options.new_console) return given(created_thread, created_process, created_id);
    return given(shell_thread, shell_process, shell_id);
  }
  WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) override {
    calls.push_back("WaitForSingleObject(" + name(handle) + "," + std::to_string(timeout) + ")");
    return wait_result;
  }
  Expected<std::uint32_t> exit_code(Handle handle) override {
    calls.push_back("GetExitCodeProcess(" + name(handle) + ")");
    if (!exit_result.ok()) return exit_result.error();
    return exit_status;
  }
  Result close_handle(Handle handle) override {
    calls.push_back("CloseHandle(" + name(handle) + ")");
    forget(name(handle));
    return close_result;
  }

  bool is_elevated() override {
    ++elevation_asked;
    return elevated;
  }
  Expected<OwnedHandle> start_elevated(std::string_view file,
                                       std::string_view parameters) override {
    calls.push_back("ShellExecuteExW(runas)");
    elevated_program = file;
    elevated_parameters = parameters;
    if (!elevate_result.ok()) return elevate_result.error();
    open.push_back(name(elevated_process));
    return OwnedHandle(*this, elevated_process);
  }

  Expected<std::unique_ptr<PipeServer>> create_pipe(std::string_view pipe_path) override {
    calls.push_back("CreateNamedPipeW");
    pipe_name = pipe_path;
    pipes_made.emplace_back(pipe_path);
    if (!pipe_result.ok()) return pipe_result.error();
    return made_pipe();
  }
  Expected<std::unique_ptr<Pipe>> open_pipe(std::string_view pipe_path) override {
    calls.push_back("CreateFileW(pipe)");
    pipe_name = pipe_path;
    if (!pipe_result.ok()) return pipe_result.error();
    return std::unique_ptr<Pipe>(std::make_unique<FakePipe>(*this, false));
  }
  Expected<std::array<std::uint8_t, 16>> random_bytes() override {
    ++random_drawn;
    if (!random_result.ok()) return random_result.error();
    return random;
  }

  Expected<std::string> program_path() override { return answer(program_file); }
  Expected<std::string> program_folder() override { return answer(program); }
  Expected<std::string> system_folder() override { return answer(system32); }
  Expected<std::string> windows_folder() override { return answer(windows); }
  Expected<std::string> short_path(std::string_view path) override {
    calls.push_back("GetShortPathNameW");
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
    return std::find(folders.begin(), folders.end(), path) != folders.end() ? Result()
                                                                            : error_from_win32(3);
  }

  Expected<std::optional<std::string>> environment_variable(std::string_view var) override {
    if (!environment_result.ok()) return environment_result.error();
    if (var == "PATH") return path_variable;
    std::optional<std::string> value;
    for (const std::string& entry : environment) {
      if (same_variable_name(variable_name(entry), var)) {
        value = entry.substr(entry.find('=', 1) + 1);
      }
    }
    return value;
  }
  Expected<std::vector<std::string>> environment_strings() override {
    calls.push_back("GetEnvironmentStringsW");
    if (!environment_strings_result.ok()) return environment_strings_result.error();
    return environment;
  }
  Result set_environment_variable(std::string_view var,
                                  const std::optional<std::string>& value) override {
    calls.push_back("SetEnvironmentVariableW");
    if (set_variable_result.ok()) variables_set.push_back({std::string(var), value});
    return set_variable_result;
  }

  std::string error_message(HRESULT shown_code) override {
    calls.push_back("FormatMessageW(" + to_string(shown_code) + ")");
    return message;
  }

  std::string name(Handle handle) const {
    if (handle == created_process) return "process";
    if (handle == created_thread) return "thread";
    if (handle == shell_process) return "shell";
    if (handle == shell_thread) return "shell thread";
    if (handle == elevated_process) return "elevated";
    if (handle == nullptr) return "none";
    return "other";
  }

 private:
  StartedProcess given(Handle thread, Handle process, std::uint32_t id) {
    open.push_back(name(thread));
    open.push_back(name(process));
    return StartedProcess{{*this, thread}, {*this, process}, id};
  }
  void forget(const std::string& handle) {
    const auto it = std::find(open.begin(), open.end(), handle);
    if (it != open.end()) open.erase(it);
  }

  Expected<std::string> answer(const std::string& folder) const {
    if (!folder_result.ok()) return folder_result.error();
    return folder;
  }
};

}  // namespace vornalt::testing
