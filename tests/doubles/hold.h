// How a test holds a stand-in or the recording program before it ends, so
// that it can act while that program surely runs.
#pragma once

#include <string>

#include "windows_support.h"

namespace vornalt::testing {

/// When VORNALT_DOUBLE_HOLD is set, waits until the event named by its
/// value, "-" and `name` (the program's own name without ".exe", such as
/// "probe") is set, a minute at most. A program that the test does not hold
/// finds no such event and goes on.
inline void hold_if_asked(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  const DWORD size = GetEnvironmentVariableW(L"VORNALT_DOUBLE_HOLD", base, MAX_PATH);
  if (size == 0 || size >= MAX_PATH) return;
  HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, (base + (L"-" + name)).c_str());
  if (event == nullptr) return;
  WaitForSingleObject(event, 60000);
  CloseHandle(event);
}

}  // namespace vornalt::testing
