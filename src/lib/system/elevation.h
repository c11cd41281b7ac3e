// Elevation: whether this process runs as administrator, and a start as
// administrator through Windows' elevation prompt.
#pragma once

#include <string_view>

#include "error.h"
#include "system/processes.h"

namespace vornalt {

class Elevation {
 public:
  virtual ~Elevation() = default;

  /// Whether this process runs elevated: as administrator, or with UAC off.
  virtual bool is_elevated() = 0;
  /// Starts `program` with `parameters` as administrator, hidden, through
  /// Windows' elevation prompt (ShellExecuteExW, "runas"); its process.
  virtual Expected<OwnedHandle> start_elevated(std::string_view program,
                                               std::string_view parameters) = 0;
};

}  // namespace vornalt
