// Makes the named pipe given as its argument, lets one client connect and
// holds the pipe until that client closes its end: a pipe that a program
// other than its client made.
#include "windows_support.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const HANDLE pipe =
      CreateNamedPipeW(argv[1], PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return 1;
  if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 1;
  char byte = 0;
  DWORD got = 0;
  while (ReadFile(pipe, &byte, 1, &got, nullptr) && got > 0) {
  }
  CloseHandle(pipe);
  return 0;
}
