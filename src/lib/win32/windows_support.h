// The one place that includes <windows.h>.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace vornalt {

/// The function `name` of the system DLL `dll`, loaded from the system
/// folder alone, never from beside vornalt.exe; null when either is
/// missing, with the last error set. For what only some runs need: an
/// import would be loaded at every start, and some DLLs take long to load.
template <typename Function>
Function* system_function(const wchar_t* dll, const char* name) {
  const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace vornalt
