// What wt.exe reads back as the title of a composed command line: the
// arguments split by the model of CommandLineToArgvW (checked against the
// real function in platform_readers_test.cpp), then "\;" turned into ";".
// For tests and fuzz targets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform_readers.h"

namespace vornalt::testing {

/// The title, or nothing when the line has no "--title" in its place.
inline std::optional<std::string> title_seen_by_wt(const std::string& line) {
  const std::vector<std::string> args = command_line_to_argv(line);
  if (args.size() < 5 || args[3] != "--title") return std::nullopt;
  std::string title;
  const std::string& raw = args[4];
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == ';') continue;
    title += raw[i];
  }
  return title;
}

}  // namespace vornalt::testing
