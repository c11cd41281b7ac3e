// The error of a failed Windows call, and the system's message for it.
#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {

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

namespace {

class Win32Messages final : public Messages {
 public:
  std::string error_message(HRESULT shown_code) override { return system_message(shown_code); }
};

}  // namespace

std::unique_ptr<Messages> make_win32_messages() { return std::make_unique<Win32Messages>(); }

}  // namespace vornalt
