// A DLL that must never load. The end-to-end tests copy it beside
// vornalt.exe under the name of a system DLL that vornalt.exe loads at run
// time, where another program could have put one of its own. If it is
// loaded it writes "<its own path>.loaded", and fails the load.
#include "windows_support.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH + 8];
  const DWORD size = GetModuleFileNameW(self, path, MAX_PATH);
  if (size == 0 || size >= MAX_PATH) return FALSE;
  lstrcpyW(path + size, L".loaded");
  CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return FALSE;
}
