// This process's environment, which the programs it starts inherit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "error.h"

namespace vornalt {

class Environment {
 public:
  virtual ~Environment() = default;

  /// An environment variable's value, or nothing when it is not set.
  virtual Expected<std::optional<std::string>> environment_variable(std::string_view name) = 0;
  /// This process's environment, "NAME=VALUE" each, as the system keeps it.
  virtual Expected<std::vector<std::string>> environment_strings() = 0;
  /// Sets a variable of this process, which the programs it starts get;
  /// none removes it.
  virtual Result set_environment_variable(std::string_view name,
                                          const std::optional<std::string>& value) = 0;
};

}  // namespace vornalt
