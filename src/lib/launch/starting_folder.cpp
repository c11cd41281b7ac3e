#include "launch/starting_folder.h"

#include "text/wtf8.h"

namespace vornalt {

Checked<std::string> use_folder(std::string_view given, Paths& paths) {
  const Expected<std::string> full = paths.full_path(given);
  std::string folder = full.ok() ? *full : std::string(given);
  const Result found = full.ok() ? paths.check_folder(folder) : Result(full.error());
  const std::string what = "Failed to use folder '" + folder + "'";
  if (!found.ok()) return Failure{what, found.error()};
  // Past the limit the start would fail with a message that names no folder.
  std::size_t length = to_utf16(folder).size();
  if (folder.ends_with('\\')) --length;
  if (length > STARTING_FOLDER_LIMIT) {
    return Failure{what + ": it has " + std::to_string(length) + " characters, over the " +
                   std::to_string(STARTING_FOLDER_LIMIT) +
                   " that Windows allows for the folder a program starts in"};
  }
  return folder;
}

}  // namespace vornalt
