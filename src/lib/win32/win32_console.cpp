// The console: this program's output, the window's width, and, for the
// relay, Ctrl+C and the key press that closes the window.
#include <algorithm>
#include <optional>

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
ScopedKernelHandle g_status_out;
// Set by Ctrl+C or Ctrl+Break once the command is over: they end the wait
// for a key.
ScopedKernelHandle g_interrupted;
// How long a closing console may hold the relay for its report: the system
// ends the process about five seconds after the event whatever the handler
// does.
constexpr DWORD CLOSE_HOLD_MS = 4500;

BOOL WINAPI keep_for_child(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    if (g_status_out && WaitForSingleObject(g_status_out.get(), 0) == WAIT_OBJECT_0) {
      SetEvent(g_interrupted.get());
    }
    return TRUE;
  }
  // The console is closing (or the user logging off): the system ends this
  // process once the handler returns. The shell gets the event too and
  // ends; wait until its status is out.
  if (g_status_out) WaitForSingleObject(g_status_out.get(), CLOSE_HOLD_MS);
  return TRUE;
}

// This console's input or its active screen buffer, whatever standard input
// and output are.
ScopedFileHandle open_console(const wchar_t* name) {
  return ScopedFileHandle(CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
}

ScopedFileHandle open_console_input() { return open_console(L"CONIN$"); }
ScopedFileHandle open_console_output() { return open_console(L"CONOUT$"); }

bool is_key_press(const INPUT_RECORD& record) {
  return record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown;
}

// Where this program's text goes: a console, through its wide-character
// interface, or a file or pipe, as UTF-8. Which of them is asked at the
// first write, not before: under Wine the question waits until the server
// of a new console has started, and the relay, which seldom writes, would
// only then start the shell.
struct Output {
  HANDLE handle = nullptr;
  std::optional<bool> console;
};

Output open_output(DWORD std_handle) {
  HANDLE handle = GetStdHandle(std_handle);
  return {is_usable(handle) ? handle : nullptr, std::nullopt};
}

bool is_console(Output& output) {
  DWORD mode = 0;
  if (!output.console) output.console = GetConsoleMode(output.handle, &mode) != 0;
  return *output.console;
}

class Win32Console final : public Console {
 public:
  void write(Stream stream, std::string_view text) override {
    Output& output = stream == Stream::out ? out_ : err_;
    if (output.handle == nullptr) return;
    if (is_console(output)) {
      write_console(output.handle, to_utf16(text));
    } else {
      write_file(output.handle, to_utf8_lossy(text));
    }
  }

  std::optional<ConsoleWindow> console_window() override {
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr) return std::nullopt;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(handle, &info)) return std::nullopt;
    return ConsoleWindow{info.srWindow.Left, info.srWindow.Right};
  }

  void keep_console_events_for_child() override {
    // A handler, not SetConsoleCtrlHandler(NULL, TRUE): that flag would be
    // inherited, and the shell could not be interrupted.
    g_status_out.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_interrupted.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    SetConsoleCtrlHandler(keep_for_child, TRUE);
  }

  void let_console_close() override {
    if (g_status_out) SetEvent(g_status_out.get());
  }

  Result discard_console_input() override {
    const ScopedFileHandle input = open_console_input();
    if (!input) return check_win32_bool(FALSE);
    return check_win32_bool(FlushConsoleInputBuffer(input.get()));
  }

  Expected<ScreenBuffer> screen_buffer() override {
    const ScopedFileHandle output = open_console_output();
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!output || !GetConsoleScreenBufferInfo(output.get(), &info)) {
      return check_win32_bool(FALSE).error();
    }
    // {0, 0} when the screen's size is not known.
    const COORD largest = GetLargestConsoleWindowSize(output.get());
    const SMALL_RECT& window = info.srWindow;
    return ScreenBuffer{{info.dwSize.X, info.dwSize.Y},
                        {window.Left, window.Top, window.Right, window.Bottom},
                        {largest.X, largest.Y}};
  }

  Result set_screen_buffer_size(Cells size) override {
    const ScopedFileHandle output = open_console_output();
    if (!output) return check_win32_bool(FALSE);
    return check_win32_bool(SetConsoleScreenBufferSize(output.get(), {size.columns, size.rows}));
  }

  Result set_console_window(CellRect window) override {
    const ScopedFileHandle output = open_console_output();
    if (!output) return check_win32_bool(FALSE);
    const SMALL_RECT rect{window.left, window.top, window.right, window.bottom};
    return check_win32_bool(SetConsoleWindowInfo(output.get(), TRUE, &rect));
  }

  Result wait_for_key_press() override {
    const ScopedFileHandle input = open_console_input();
    if (!input) return check_win32_bool(FALSE);
    // The input handle is signalled while records wait in it.
    HANDLE handles[] = {input.get(), g_interrupted.get()};
    const DWORD count = g_interrupted ? 2 : 1;
    for (;;) {
      const DWORD woken = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
      if (woken == WAIT_OBJECT_0 + 1) return {};
      if (woken != WAIT_OBJECT_0) return check_win32_bool(FALSE);
      INPUT_RECORD record{};
      DWORD got = 0;
      const Result read = check_win32_bool(ReadConsoleInputW(input.get(), &record, 1, &got));
      if (!read.ok() || (got == 1 && is_key_press(record))) return read;
    }
  }

 private:
  Output out_ = open_output(STD_OUTPUT_HANDLE);
  Output err_ = open_output(STD_ERROR_HANDLE);
};

}  // namespace

std::unique_ptr<Console> make_win32_console() { return std::make_unique<Win32Console>(); }

}  // namespace vornalt
