// Paths: this program's, the system's folders, and the folders and files
// that the user names.
#pragma once

#include <string>
#include <string_view>

#include "error.h"

namespace vornalt {

class Paths {
 public:
  virtual ~Paths() = default;

  /// The full path of this program (WTF-8).
  virtual Expected<std::string> program_path() = 0;
  /// The folder that holds this program, its system folder and its Windows
  /// folder, without a backslash at the end (WTF-8).
  virtual Expected<std::string> program_folder() = 0;
  virtual Expected<std::string> system_folder() = 0;
  virtual Expected<std::string> windows_folder() = 0;
  /// The short (8.3) form of an existing path; the path itself where the
  /// volume keeps no short names.
  virtual Expected<std::string> short_path(std::string_view path) = 0;
  /// `path` made absolute against the current folder (WTF-8).
  virtual Expected<std::string> full_path(std::string_view path) = 0;
  /// Whether `path` names a file that is not a folder.
  virtual bool is_regular_file(std::string_view path) = 0;
  /// Success when the absolute `path` names an existing folder; otherwise
  /// why not.
  virtual Result check_folder(std::string_view path) = 0;
};

}  // namespace vornalt
