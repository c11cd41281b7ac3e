// A scripted stand-in for Windows: records every call and output, answers
// with what the test set up.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "system.h"

namespace vornalt::testing {

class FakeSystem final : public System {
 public:
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

  // What happened.
  std::string out;
  std::string err;
  std::string both;  // the two streams in the order written
  std::vector<std::string> calls;
  std::u16string command_line;      // as passed to create_process
  std::string application;          // as passed to create_process
  std::string start_folder;         // as passed to create_process
  std::vector<std::string> probed;  // the paths asked about, in order

  void write(Stream stream, std::string_view text) override {
    (stream == Stream::out ? out : err) += text;
    both += text;
  }
  std::optional<ConsoleWindow> console_window() override { return window; }
  Result program_folder(std::string& folder) override { return answer(program, folder); }
  Result system_folder(std::string& folder) override { return answer(system32, folder); }
  Result windows_folder(std::string& folder) override { return answer(windows, folder); }
  Result environment_variable(std::string_view name, std::optional<std::string>& value) override {
    if (name == "PATH") value = path_variable;
    return environment_result;
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
  Result create_process(std::string_view program_path, std::u16string& line,
                        const StartOptions& options, ProcessInformation& info) override {
    calls.push_back("CreateProcessW");
    application = program_path;
    command_line = line;
    start_folder = options.folder;
    if (create_result.ok()) info = created;
    return create_result;
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
    return "other";
  }
};

}  // namespace vornalt::testing
