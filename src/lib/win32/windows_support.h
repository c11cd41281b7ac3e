// The one place that includes <windows.h>.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <utility>

namespace vornalt {

/// Owns what a Windows call opened, and closes it by `Traits::close` when it
/// goes, unless it is empty (`Traits::empty()`, the value that the call
/// fails with). Moved, never copied.
template <typename Traits>
class ScopedHandle {
 public:
  using handle_type = typename Traits::handle_type;

  ScopedHandle() = default;
  explicit ScopedHandle(handle_type handle) : handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~ScopedHandle() { reset(); }

  handle_type get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::empty(); }
  handle_type release() { return std::exchange(handle_, Traits::empty()); }
  /// Closes what it holds, then holds `handle`. A close that fails changes
  /// nothing that this program could act on.
  void reset(handle_type handle = Traits::empty()) {
    if (*this) Traits::close(handle_);
    handle_ = handle;
  }

 private:
  handle_type handle_ = Traits::empty();
};

/// Processes, threads, events and tokens: calls that fail give NULL.
struct KernelHandleTraits {
  using handle_type = HANDLE;
  static HANDLE empty() { return nullptr; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};

/// Files, consoles and pipes: CreateFileW and CreateNamedPipeW fail with
/// INVALID_HANDLE_VALUE.
struct FileHandleTraits : KernelHandleTraits {
  static HANDLE empty() { return INVALID_HANDLE_VALUE; }
};

/// The block of GetEnvironmentStringsW.
struct EnvironmentBlockTraits {
  using handle_type = wchar_t*;
  static wchar_t* empty() { return nullptr; }
  static void close(wchar_t* block) { FreeEnvironmentStringsW(block); }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFileHandle = ScopedHandle<FileHandleTraits>;
using ScopedEnvironmentBlock = ScopedHandle<EnvironmentBlockTraits>;

/// The function `name` of the system DLL `dll`, loaded from the system
/// folder alone, never from beside vornalt.exe; null when either is
/// missing, with the last error set. For what only some runs need: an
/// import would be loaded at every start, and some DLLs take long to load.
/// The DLL stays loaded for the process's life.
template <typename Function>
Function* system_function(const wchar_t* dll, const char* name) {
  const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace vornalt
