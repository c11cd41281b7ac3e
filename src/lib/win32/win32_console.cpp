// The console: this program's output, the window's width, and, for the
// relay, Ctrl+C and the key press that closes the window.
#include <algorithm>

#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {
namespace {

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

// Set once the relay's status is out; the handler holds the process for it.
HANDLE g_report_done = nullptr;
// Set by Ctrl+C or Ctrl+Break once the command is over: they end the wait
// for a key.
HANDLE g_interrupted = nullptr;

BOOL WINAPI keep_for_child(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    if (g_report_done != nullptr && WaitForSingleObject(g_report_done, 0) == WAIT_OBJECT_0) {
      SetEvent(g_interrupted);
    }
    return TRUE;
  }
  // The console is closing (or the user logging off): the system ends this
  // process once the handler returns, and at the latest about five seconds
  // after the event. The shell gets the event too and ends; wait until its
  // status is out.
  if (g_report_done != nullptr) WaitForSingleObject(g_report_done, 4500);
  return TRUE;
}

HANDLE open_console_input() {
  return CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

bool is_key_press(const INPUT_RECORD& record) {
  return record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown;
}

}  // namespace

Win32System::Win32System()
    : out_(open_output(STD_OUTPUT_HANDLE)), err_(open_output(STD_ERROR_HANDLE)) {}

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

void Win32System::keep_console_events_for_child() {
  // A handler, not SetConsoleCtrlHandler(NULL, TRUE): that flag would be
  // inherited, and the shell could not be interrupted.
  g_report_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_interrupted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(keep_for_child, TRUE);
}

void Win32System::report_done() {
  if (g_report_done != nullptr) SetEvent(g_report_done);
}

Result Win32System::discard_console_input() {
  HANDLE input = open_console_input();
  if (input == INVALID_HANDLE_VALUE) return check_win32_bool(FALSE);
  const Result flushed = check_win32_bool(FlushConsoleInputBuffer(input));
  CloseHandle(input);
  return flushed;
}

Result Win32System::wait_for_key_press() {
  HANDLE input = open_console_input();
  if (input == INVALID_HANDLE_VALUE) return check_win32_bool(FALSE);
  // The input handle is signalled while records wait in it.
  HANDLE handles[] = {input, g_interrupted};
  const DWORD count = g_interrupted != nullptr ? 2 : 1;
  Result result;
  for (;;) {
    const DWORD woken = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0 + 1) break;
    if (woken != WAIT_OBJECT_0) {
      result = check_win32_bool(FALSE);
      break;
    }
    INPUT_RECORD record{};
    DWORD got = 0;
    result = check_win32_bool(ReadConsoleInputW(input, &record, 1, &got));
    if (!result.ok() || (got == 1 && is_key_press(record))) break;
  }
  CloseHandle(input);
  return result;
}

}  // namespace vornalt
