// The program at the end of the road in the end-to-end tests: it records
// what it received, beside itself, as raw UTF-16LE:
//   <name>.cmdline  its command line;
//   <name>.argv     its C runtime's argv, each word ended by a NUL unit;
//   <name>.title    its console's title;
//   <name>.cwd      its current folder;
// and last "<name>.done".
#include <cwchar>
#include <string>

#include "windows_support.h"

namespace {

void write_file(const std::wstring& path, const std::wstring& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
            nullptr);
  CloseHandle(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  const std::wstring base = path.substr(0, path.size() - 4);  // less ".exe"

  write_file(base + L".cmdline", GetCommandLineW());
  std::wstring words;
  for (int i = 0; i < argc; ++i) {
    words += argv[i];
    words += L'\0';
  }
  write_file(base + L".argv", words);
  std::wstring title(4096, L'\0');
  title.resize(GetConsoleTitleW(title.data(), static_cast<DWORD>(title.size())));
  write_file(base + L".title", title);
  std::wstring folder(32768, L'\0');
  folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  write_file(base + L".cwd", folder);
  write_file(base + L".done", L"done");
  return 0;
}
