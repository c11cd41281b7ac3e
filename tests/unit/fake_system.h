// A scripted stand-in for Windows: records every call and output, answers
// with what the test set up.
#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "environment.h"
#include "system.h"

namespace vornalt::testing {

class FakeSystem final : public System {
 public:
  /// The handle of the relay's pipe, created or opened.
  static inline const Handle PIPE = reinterpret_cast<Handle>(0x50);

  // What the calls answer.
  std::optional<ConsoleWindow> window;
  std::string program = "C:\\tools";
  std::string system32 = "C:\\Windows\\System32";
  std::string windows = "C:\\Windows";
  Result folder_result;       // for all three folders
  Result environment_result;  // for PATH
  std::optional<std::string> path_variable;
  std::vector<std::string> files{"C:\\Windows\\System32\\conhost.exe",
                                 "C:\\Windows\\System32\\wt.exe"};
  std::vector<std::string> folders{"C:\\work"};  // existing, absolute
  Result create_result;
  ProcessInformation created{reinterpret_cast<Handle>(0x10), reinterpret_cast<Handle>(0x20), 4120,
                             77};
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
  ProcessInformation shell{reinterpret_cast<Handle>(0x30), reinterpret_cast<Handle>(0x40), 5678,
                           88};  // what a start in this console gives
  /// The answers of wait_for_client, in turn; then timed out.
  std::vector<ClientWait> client_waits{ClientWait::connected};
  bool client_is_vornalt = true;
  bool server_is_vornalt = true;
  std::vector<std::string> environment{"=C:=C:\\work", "Path=C:\\Windows"};
  Result environment_strings_result;
  Result set_variable_result;
  Result console_input_result;  // discarding it and waiting for a key
  std::string short_name;       // of any path; empty: the path itself
  /// What read_pipe gives, piece by piece; then the end.
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
  std::string pipe_name;            // created or opened
  std::string pipe_written;
  std::u16string start_environment;     // as passed to create_process
  std::vector<Variable> variables_set;  // by set_environment_variable, in order

  void write(Stream stream, std::string_view text) override {
    (stream == Stream::out ? out : err) += text;
    both += text;
  }
  std::optional<ConsoleWindow> console_window() override { return window; }
  std::string process_command_line() override { return own_command_line; }
  Result program_path(std::string& path) override {
    if (folder_result.ok()) path = program_file;
    return folder_result;
  }
  Result program_folder(std::string& folder) override { return answer(program, folder); }
  Result system_folder(std::string& folder) override { return answer(system32, folder); }
  Result windows_folder(std::string& folder) override { return answer(windows, folder); }
  Result environment_variable(std::string_view name, std::optional<std::string>& value) override {
    value.reset();
    if (name == "PATH") value = path_variable;
    for (const std::string& entry : environment) {
      if (name != "PATH" && same_variable_name(variable_name(entry), name)) {
        value = entry.substr(entry.find('=', 1) + 1);
      }
    }
    return environment_result;
  }
  Result short_path(std::string_view path, std::string& result) override {
    calls.push_back("GetShortPathNameW");
    result = short_name.empty() ? std::string(path) : short_name;
    return {};
  }
  Result environment_strings(std::vector<std::string>& strings) override {
    calls.push_back("GetEnvironmentStringsW");
    strings = environment;
    return environment_strings_result;
  }
  Result set_environment_variable(std::string_view name,
                                  const std::optional<std::string>& value) override {
    calls.push_back("SetEnvironmentVariableW");
    if (set_variable_result.ok()) variables_set.push_back({std::string(name), value});
    return set_variable_result;
  }
  bool is_regular_file(std::string_view path) override {
    probed.emplace_back(path);
    return std::find(files.begin(), files.end(), path) != files.end();
  }
  Result existing_folder(std::string_view path, std::string& full) override {
    full = path.starts_with("C:\\") ? std::string(path) : "C:\\work\\" + std::string(path);
    return std::find(folders.begin(), folders.end(), full) != folders.end() ? Result()
                                                                            : error_from_win32(3);
  }
  Result create_process(std::string_view path, std::u16string& line, const StartOptions& options,
                        ProcessInformation& info) override {
    calls.push_back(options.new_console ? "CreateProcessW" : "CreateProcessW(this console)");
    application = path;
    command_line = line;
    start_folder = options.folder;
    start_environment = options.environment;
    if (create_result.ok()) info = options.new_console ? created : shell;
    return create_result;
  }
  Result exit_code(Handle handle, std::uint32_t& status) override {
    calls.push_back("GetExitCodeProcess(" + name(handle) + ")");
    if (exit_result.ok()) status = exit_status;
    return exit_result;
  }
  Result random_bytes(std::array<std::uint8_t, 16>& bytes) override {
    if (random_result.ok()) bytes = random;
    return random_result;
  }
  Result create_pipe(std::string_view pipe_path, Handle& pipe) override {
    calls.push_back("CreateNamedPipeW");
    pipe_name = pipe_path;
    if (pipe_result.ok()) pipe = PIPE;
    return pipe_result;
  }
  Result wait_for_client(Handle pipe, Handle process, std::uint32_t timeout,
                         ClientWait& outcome) override {
    calls.push_back("WaitForClient(" + name(pipe) + "," + name(process) + "," +
                    std::to_string(timeout) + ")");
    outcome = ClientWait::timed_out;
    if (!client_waits.empty()) {
      outcome = client_waits.front();
      client_waits.erase(client_waits.begin());
    }
    return {};
  }
  bool client_runs_this_program(Handle) override { return client_is_vornalt; }
  bool server_runs_this_program(Handle) override { return server_is_vornalt; }
  Result read_pipe(Handle pipe, std::string& bytes) override {
    calls.push_back("ReadFile(" + name(pipe) + ")");
    bytes.clear();
    if (!pipe_reads.empty()) {
      bytes = pipe_reads.front();
      pipe_reads.erase(pipe_reads.begin());
    }
    return {};
  }
  Result open_pipe(std::string_view pipe_path, Handle& pipe) override {
    calls.push_back("CreateFileW(pipe)");
    pipe_name = pipe_path;
    if (pipe_result.ok()) pipe = PIPE;
    return pipe_result;
  }
  Result write_pipe(Handle pipe, std::string_view bytes) override {
    calls.push_back("WriteFile(" + name(pipe) + ")");
    if (write_result.ok()) pipe_written += bytes;
    return write_result;
  }
  void keep_console_events_for_child() override { calls.push_back("SetConsoleCtrlHandler"); }
  void report_done() override { calls.push_back("ReportDone"); }
  Result discard_console_input() override {
    calls.push_back("FlushConsoleInputBuffer");
    return console_input_result;
  }
  Result wait_for_key_press() override {
    calls.push_back("ReadConsoleInputW");
    return console_input_result;
  }
  WAIT_EVENT wait_for_single_object(Handle handle, std::uint32_t timeout) override {
    calls.push_back("WaitForSingleObject(" + name(handle) + "," + std::to_string(timeout) + ")");
    return wait_result;
  }
  Result close_handle(Handle handle) override {
    calls.push_back("CloseHandle(" + name(handle) + ")");
    return close_result;
  }
  std::string error_message(HRESULT shown_code) override {
    calls.push_back("FormatMessageW(" + to_string(shown_code) + ")");
    return message;
  }

 private:
  Result answer(const std::string& folder, std::string& result) const {
    if (folder_result.ok()) result = folder;
    return folder_result;
  }
  std::string name(Handle handle) const {
    if (handle == created.process) return "process";
    if (handle == created.thread) return "thread";
    if (handle == shell.process) return "shell";
    if (handle == shell.thread) return "shell thread";
    if (handle == PIPE) return "pipe";
    if (handle == nullptr) return "none";
    return "other";
  }
};

}  // namespace vornalt::testing
