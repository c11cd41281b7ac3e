// Waiting for what another process does, as long as a busy machine may take.
#pragma once

#include "windows_support.h"

namespace vornalt::testing {

/// Whether `holds` came true within a minute, asked every 50 ms.
template <typename Condition>
bool within_a_minute(Condition holds) {
  for (int i = 0; i < 1200; ++i) {
    if (holds()) return true;
    Sleep(50);
  }
  return false;
}

}  // namespace vornalt::testing
