// The limited token of an administrator's process under UAC: Wine runs every
// process elevated, and a test or a measurement of -a's elevated start runs
// vornalt.exe with the token linked to its own instead.
#pragma once

#include "windows_support.h"

namespace vornalt::testing {

/// The limited token linked to this process's, as a primary token for
/// CreateProcessAsUserW; null where there is none (UAC off).
inline HANDLE limited_token() {
  HANDLE own = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return nullptr;
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  const BOOL found = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size);
  CloseHandle(own);
  if (!found) return nullptr;
  HANDLE primary = nullptr;
  DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                   TokenPrimary, &primary);
  CloseHandle(linked.LinkedToken);
  return primary;
}

}  // namespace vornalt::testing
