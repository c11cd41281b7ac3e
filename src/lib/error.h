// The value of a failed Windows call and its one-line rendering.
#pragma once

#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace vornalt {

/// A signed 32-bit Windows result code; 0 is success.
struct HRESULT {
  std::int32_t value = 0;
  bool operator==(const HRESULT&) const = default;
};

/// "0xC000013A": eight upper-case hexadecimal digits.
std::string hex_code(std::uint32_t value);

/// "HRESULT(0x80070002)".
std::string to_string(HRESULT code);

/// The code of an Error whose call failed with a last-error code of 0. It
/// reads "S_OK" in ASCII, and is shown and looked up as 0.
inline constexpr HRESULT CODE_WITHOUT_LAST_ERROR{0x535F4F4B};

/// A failed Windows call. The code is never 0.
class Error {
 public:
  explicit Error(HRESULT code) : code_(code) {}
  HRESULT code() const { return code_; }
  /// The code as shown and looked up: CODE_WITHOUT_LAST_ERROR counts as 0.
  HRESULT shown_code() const;
  bool operator==(const Error&) const = default;

 private:
  HRESULT code_;
};

/// The Error for a last-error code, by the HRESULT_FROM_WIN32 rule.
Error error_from_win32(std::uint32_t last_error);

/// Success, or the Error a Windows call failed with.
class [[nodiscard]] Result {
 public:
  Result() = default;
  Result(Error error) : code_(error.code()) {}  // NOLINT(google-explicit-constructor)
  bool ok() const { return code_.value == 0; }
  /// Only of a failure: success has no Error.
  Error error() const {
    assert(!ok());
    return Error(code_);
  }

 private:
  HRESULT code_;
};

/// A value, or why there is none: the Error of the Windows call that failed
/// to give it, or another failure value.
template <typename T, typename E = Error>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Expected(E error) : value_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return value_.index() == 0; }
  /// Only of a failure; the value only of a success.
  const E& error() const {
    assert(!ok());
    return *std::get_if<1>(&value_);
  }
  T& operator*() {
    assert(ok());
    return *std::get_if<0>(&value_);
  }
  const T& operator*() const {
    assert(ok());
    return *std::get_if<0>(&value_);
  }
  T* operator->() { return &**this; }
  const T* operator->() const { return &**this; }

 private:
  std::variant<T, E> value_;
};

/// How FormatMessageW is asked for the text of a shown code.
struct MessageLookup {
  std::uint32_t flags;
  std::uint32_t message_id;
  bool from_ntdll;  // the code wraps an NTSTATUS: ntdll.dll holds its text
};
MessageLookup message_lookup(HRESULT shown_code);

/// The message as FormatMessageW returned it, less trailing blanks and line
/// ends, as UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string trim_message(std::u16string_view text);

/// `text` in double quotes with backslash escapes: \\ \" \0 \t \n \r, and
/// \u{hex} for other unprintable characters and for combining marks.
std::string quote_debug(std::string_view text);

/// Error { code: HRESULT(0x…), message: "…" }
std::string debug_form(const Error& error, std::string_view message);

}  // namespace vornalt
