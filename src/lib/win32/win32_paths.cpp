// Paths: this program's, the system's folders, and the folders and files
// that the user names.
#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {
namespace {

Expected<std::string> folder_from(UINT(WINAPI* get)(LPWSTR, UINT)) {
  const Expected<std::wstring> text = text_from(get);
  if (!text.ok()) return text.error();
  return narrow(*text);
}

class Win32Paths final : public Paths {
 public:
  Expected<std::string> program_path() override {
    std::wstring file(MAX_PATH, L'\0');
    for (;;) {
      const DWORD size = GetModuleFileNameW(nullptr, file.data(), static_cast<DWORD>(file.size()));
      if (size == 0) return check_win32_bool(FALSE).error();
      if (size < file.size()) {
        file.resize(size);
        return narrow(file);
      }
      file.resize(file.size() * 2);  // cut short: try again with more room
    }
  }

  Expected<std::string> program_folder() override {
    Expected<std::string> path = program_path();
    if (path.ok()) path->resize(path->find_last_of('\\'));
    return path;
  }

  Expected<std::string> system_folder() override { return folder_from(GetSystemDirectoryW); }

  Expected<std::string> windows_folder() override { return folder_from(GetWindowsDirectoryW); }

  Expected<std::string> short_path(std::string_view path) override {
    const std::wstring given = wide_string(path);
    const Expected<std::wstring> text = text_from(
        [&](LPWSTR buffer, DWORD size) { return GetShortPathNameW(given.c_str(), buffer, size); });
    if (!text.ok()) return text.error();
    return narrow(*text);
  }

  Expected<std::string> full_path(std::string_view path) override {
    // An empty path fails without a last error.
    if (path.empty()) return error_from_win32(ERROR_INVALID_NAME);
    const std::wstring given = wide_string(path);
    const Expected<std::wstring> text = text_from([&](LPWSTR buffer, DWORD size) {
      return GetFullPathNameW(given.c_str(), size, buffer, nullptr);
    });
    if (!text.ok()) return text.error();
    return narrow(*text);
  }

  bool is_regular_file(std::string_view path) override {
    const DWORD attributes = GetFileAttributesW(wide_string(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  Result check_folder(std::string_view path) override {
    const DWORD attributes = GetFileAttributesW(wide_string(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return check_win32_bool(FALSE);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return error_from_win32(ERROR_DIRECTORY);
    return {};
  }
};

}  // namespace

std::unique_ptr<Paths> make_win32_paths() { return std::make_unique<Win32Paths>(); }

}  // namespace vornalt
