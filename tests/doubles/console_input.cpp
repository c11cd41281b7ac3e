// Acts on the console of another process as a user at its window would, and
// watches it:
//   console_input <process id> <step>...
// takes the steps in order:
//   key            puts one key press into its input;
//   release        puts one key release (bKeyDown FALSE) into its input;
//   ctrl-c         raises Ctrl+C in it;
//   screen <text>  waits until its screen shows <text>;
//   read           waits until its input is empty: what was put there has
//                  been read (or discarded).
// A wait gives up after a minute. Exits with 0 once done, 1 when the console
// could not be reached or a step failed, 2 on a wrong command line, 3 when a
// wait gave up.
#include <cwchar>
#include <string>

#include "windows_support.h"
#include "within_a_minute.h"

namespace {

HANDLE open_console(const wchar_t* name) {
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

bool put_key(bool down) {
  HANDLE input = open_console(L"CONIN$");
  INPUT_RECORD key{};
  key.EventType = KEY_EVENT;
  key.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
  key.Event.KeyEvent.wRepeatCount = 1;
  key.Event.KeyEvent.wVirtualKeyCode = 'X';
  key.Event.KeyEvent.uChar.UnicodeChar = L'x';
  DWORD written = 0;
  const bool put = WriteConsoleInputW(input, &key, 1, &written) && written == 1;
  CloseHandle(input);
  return put;
}

// The screen's rows from the top to the cursor's, one after the other, as a
// row that the console wrapped runs on into the next.
std::wstring screen_text() {
  HANDLE output = open_console(L"CONOUT$");
  CONSOLE_SCREEN_BUFFER_INFO info{};
  std::wstring text;
  if (GetConsoleScreenBufferInfo(output, &info)) {
    text.resize(static_cast<std::size_t>(info.dwSize.X) * (info.dwCursorPosition.Y + 1));
    DWORD got = 0;
    if (!ReadConsoleOutputCharacterW(output, text.data(), static_cast<DWORD>(text.size()), {0, 0},
                                     &got)) {
      got = 0;
    }
    text.resize(got);
  }
  CloseHandle(output);
  return text;
}

bool input_is_empty() {
  HANDLE input = open_console(L"CONIN$");
  DWORD count = 0;
  const bool empty = GetNumberOfConsoleInputEvents(input, &count) && count == 0;
  CloseHandle(input);
  return empty;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  FreeConsole();
  if (!AttachConsole(std::wcstoul(argv[1], nullptr, 10))) return 1;
  // Ctrl+C reaches every process of the console, this one too.
  SetConsoleCtrlHandler(nullptr, TRUE);
  for (int i = 2; i < argc; ++i) {
    const std::wstring step = argv[i];
    if (step == L"key" || step == L"release") {
      if (!put_key(step == L"key")) return 1;
    } else if (step == L"ctrl-c") {
      if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) return 1;
    } else if (step == L"screen" && i + 1 < argc) {
      const std::wstring text = argv[++i];
      if (!vornalt::testing::within_a_minute(
              [&] { return screen_text().find(text) != std::wstring::npos; })) {
        return 3;
      }
    } else if (step == L"read") {
      if (!vornalt::testing::within_a_minute(input_is_empty)) return 3;
    } else {
      return 2;
    }
  }
  return 0;
}
