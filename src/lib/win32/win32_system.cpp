#include "win32_system.h"

#include <algorithm>
#include <cwchar>

#include "../command_line.h"
#include "../wtf8.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {
namespace {

wchar_t* wide(std::u16string& text) { return reinterpret_cast<wchar_t*>(text.data()); }

const wchar_t* wide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

bool is_usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// WriteConsoleW takes a DWORD count and, on old systems, at most about 64 KiB
// at once; write in pieces that do not split a surrogate pair.
void write_console(HANDLE handle, std::u16string_view text) {
  constexpr std::size_t PIECE = 8192;
  while (!text.empty()) {
    const std::size_t size = utf16_piece_size(text, PIECE);
    DWORD written = 0;
    if (!WriteConsoleW(handle, wide(text), static_cast<DWORD>(size), &written, nullptr) ||
        written == 0) {
      return;
    }
    text.remove_prefix(std::min<std::size_t>(written, size));
  }
}

void write_file(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), size, &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

// A text from a call like GetSystemDirectoryW or GetFullPathNameW, which,
// asked with too small a buffer, gives the size needed, terminating NUL
// included; `get(buffer, size)` makes the call.
template <typename Get>
Result text_from(Get get, std::wstring& text) {
  text.assign(MAX_PATH, L'\0');
  for (;;) {
    const auto size = static_cast<std::size_t>(get(text.data(), static_cast<DWORD>(text.size())));
    if (size == 0) return check_win32_bool(FALSE);
    const bool fits = size < text.size();
    text.resize(size);
    if (fits) return {};
  }
}

Result folder_from(UINT(WINAPI* get)(LPWSTR, UINT), std::string& folder) {
  std::wstring text;
  const Result result = text_from(get, text);
  if (result.ok()) folder = narrow(text);
  return result;
}

}  // namespace

Result check_win32_bool(int result) {
  if (result != 0) return {};
  return error_from_win32(GetLastError());
}

std::string system_message(HRESULT shown_code) {
  const MessageLookup lookup = message_lookup(shown_code);
  HMODULE module = nullptr;
  if (lookup.from_ntdll) {
    module = LoadLibraryExA("ntdll.dll", nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  }
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(lookup.flags, module, lookup.message_id, 0,
                                      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (length != 0 && text != nullptr) {
    message = trim_message(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
  }
  if (text != nullptr) HeapFree(GetProcessHeap(), 0, text);
  return message;
}

std::string own_command_line() {
  const auto* line = reinterpret_cast<const char16_t*>(GetCommandLineW());
  return to_wtf8(line != nullptr ? std::u16string_view(line) : u"");
}

std::vector<std::string> process_arguments() { return split_command_line(own_command_line()); }

Win32System::Output Win32System::open_output(std::uint32_t std_handle) {
  Output output;
  HANDLE handle = GetStdHandle(std_handle);
  if (!is_usable(handle)) return output;
  DWORD mode = 0;
  output.handle = handle;
  output.console = GetConsoleMode(handle, &mode) != 0;
  return output;
}

void Win32System::write(Stream stream, std::string_view text) {
  const Output& output = stream == Stream::out ? out_ : err_;
  if (output.handle == nullptr) return;
  if (output.console) {
    write_console(output.handle, to_utf16(text));
  } else {
    write_file(output.handle, to_utf8_lossy(text));
  }
}

std::optional<ConsoleWindow> Win32System::console_window() {
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle == nullptr) return std::nullopt;
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(handle, &info)) return std::nullopt;
  return ConsoleWindow{info.srWindow.Left, info.srWindow.Right};
}

std::string Win32System::process_command_line() { return own_command_line(); }

Result Win32System::program_path(std::string& path) {
  std::wstring file(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = GetModuleFileNameW(nullptr, file.data(), static_cast<DWORD>(file.size()));
    if (size == 0) return check_win32_bool(FALSE);
    if (size < file.size()) {
      file.resize(size);
      break;
    }
    file.resize(file.size() * 2);  // cut short: try again with more room
  }
  path = narrow(file);
  return {};
}

Result Win32System::program_folder(std::string& folder) {
  const Result found = program_path(folder);
  if (found.ok()) folder.resize(folder.find_last_of('\\'));
  return found;
}

Result Win32System::system_folder(std::string& folder) {
  return folder_from(GetSystemDirectoryW, folder);
}

Result Win32System::windows_folder(std::string& folder) {
  return folder_from(GetWindowsDirectoryW, folder);
}

Result Win32System::environment_variable(std::string_view name, std::optional<std::string>& value) {
  const std::wstring key = wide_string(name);
  std::wstring text;
  DWORD size = 0;
  do {
    text.resize(size);
    // An empty value and a failure both give 0; only a failure sets the
    // last error.
    SetLastError(ERROR_SUCCESS);
    size = GetEnvironmentVariableW(key.c_str(), text.data(), static_cast<DWORD>(text.size()));
    if (size == 0) {
      const DWORD error = GetLastError();
      if (error == ERROR_ENVVAR_NOT_FOUND) {
        value.reset();
        return {};
      }
      if (error != ERROR_SUCCESS) return error_from_win32(error);
    }
  } while (size > text.size());  // too small: the size needed, NUL included
  text.resize(size);
  value = narrow(text);
  return {};
}

Result Win32System::environment_strings(std::vector<std::string>& strings) {
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return check_win32_bool(FALSE);
  strings.clear();
  for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
    strings.push_back(narrow(entry));
  }
  FreeEnvironmentStringsW(block);
  return {};
}

Result Win32System::set_environment_variable(std::string_view name,
                                             const std::optional<std::string>& value) {
  const std::wstring text = value ? wide_string(*value) : std::wstring();
  return check_win32_bool(
      SetEnvironmentVariableW(wide_string(name).c_str(), value ? text.c_str() : nullptr));
}

Result Win32System::short_path(std::string_view path, std::string& short_path) {
  const std::wstring given = wide_string(path);
  std::wstring text;
  const Result made = text_from(
      [&](LPWSTR buffer, DWORD size) { return GetShortPathNameW(given.c_str(), buffer, size); },
      text);
  if (made.ok()) short_path = narrow(text);
  return made;
}

bool Win32System::is_regular_file(std::string_view path) {
  const DWORD attributes = GetFileAttributesW(wide_string(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Result Win32System::existing_folder(std::string_view path, std::string& full) {
  full = std::string(path);
  // An empty path fails without a last error.
  if (path.empty()) return error_from_win32(ERROR_INVALID_NAME);
  const std::wstring given = wide_string(path);
  std::wstring absolute;
  const Result made =
      text_from([&](LPWSTR buffer,
                    DWORD size) { return GetFullPathNameW(given.c_str(), size, buffer, nullptr); },
                absolute);
  if (!made.ok()) return made;
  full = narrow(absolute);
  const DWORD attributes = GetFileAttributesW(absolute.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return check_win32_bool(FALSE);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return error_from_win32(ERROR_DIRECTORY);
  return {};
}

Result Win32System::create_process(std::string_view application, std::u16string& command_line,
                                   const StartOptions& options, ProcessInformation& info) {
  static_assert(sizeof(STARTUPINFOW) == 104, "the 64-bit layout");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const std::wstring program = wide_string(application);
  const std::wstring folder = wide_string(options.folder);
  DWORD flags = options.new_console ? CREATE_NEW_CONSOLE : 0;
  // CreateProcessW takes the block as it is, and may not change it.
  std::u16string environment(options.environment);
  if (!environment.empty()) flags |= CREATE_UNICODE_ENVIRONMENT;
  const BOOL created =
      CreateProcessW(program.c_str(), wide(command_line), nullptr, nullptr, FALSE, flags,
                     environment.empty() ? nullptr : environment.data(),
                     folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  const Result result = check_win32_bool(created);
  if (result.ok()) {
    info.process = process.hProcess;
    info.thread = process.hThread;
    info.process_id = process.dwProcessId;
    info.thread_id = process.dwThreadId;
  }
  return result;
}

WAIT_EVENT Win32System::wait_for_single_object(Handle handle, std::uint32_t timeout) {
  return WAIT_EVENT{WaitForSingleObject(handle, timeout)};
}

Result Win32System::exit_code(Handle process, std::uint32_t& status) {
  DWORD code = 0;
  const Result result = check_win32_bool(GetExitCodeProcess(process, &code));
  if (result.ok()) status = code;
  return result;
}

Result Win32System::close_handle(Handle handle) { return check_win32_bool(CloseHandle(handle)); }

std::string Win32System::error_message(HRESULT shown_code) { return system_message(shown_code); }

}  // namespace vornalt
