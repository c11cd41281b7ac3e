// This process's environment, which the programs it starts inherit.
#include <cwchar>

#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {
namespace {

class Win32Environment final : public Environment {
 public:
  Expected<std::optional<std::string>> environment_variable(std::string_view name) override {
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
        if (error == ERROR_ENVVAR_NOT_FOUND) return std::optional<std::string>();
        if (error != ERROR_SUCCESS) return error_from_win32(error);
      }
    } while (size > text.size());  // too small: the size needed, NUL included
    text.resize(size);
    return std::optional<std::string>(narrow(text));
  }

  Expected<std::vector<std::string>> environment_strings() override {
    const ScopedEnvironmentBlock block(GetEnvironmentStringsW());
    if (!block) return check_win32_bool(FALSE).error();
    std::vector<std::string> strings;
    for (const wchar_t* entry = block.get(); *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      strings.push_back(narrow(entry));
    }
    return strings;
  }

  Result set_environment_variable(std::string_view name,
                                  const std::optional<std::string>& value) override {
    const std::wstring text = value ? wide_string(*value) : std::wstring();
    return check_win32_bool(
        SetEnvironmentVariableW(wide_string(name).c_str(), value ? text.c_str() : nullptr));
  }
};

}  // namespace

std::unique_ptr<Environment> make_win32_environment() {
  return std::make_unique<Win32Environment>();
}

}  // namespace vornalt
