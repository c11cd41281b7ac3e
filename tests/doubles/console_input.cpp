// Acts on the console of another process as a user at its window would:
//   console_input <process id> key      puts one key press into its input;
//   console_input <process id> ctrl-c   raises Ctrl+C in it.
// Exits with 0 once done, 1 when the console could not be reached.
#include <cwchar>
#include <string>

#include "windows_support.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const std::wstring action = argv[2];
  FreeConsole();
  if (!AttachConsole(std::wcstoul(argv[1], nullptr, 10))) return 1;
  if (action == L"ctrl-c") {
    // The event reaches every process of the console, this one too.
    SetConsoleCtrlHandler(nullptr, TRUE);
    return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? 0 : 1;
  }
  HANDLE input =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  INPUT_RECORD press{};
  press.EventType = KEY_EVENT;
  press.Event.KeyEvent.bKeyDown = TRUE;
  press.Event.KeyEvent.wRepeatCount = 1;
  press.Event.KeyEvent.wVirtualKeyCode = 'X';
  press.Event.KeyEvent.uChar.UnicodeChar = L'x';
  DWORD written = 0;
  return WriteConsoleInputW(input, &press, 1, &written) && written == 1 ? 0 : 1;
}
