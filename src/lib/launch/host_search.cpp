#include "launch/host_search.h"

namespace vornalt {
namespace {

// ERROR_FILE_NOT_FOUND, which <windows.h> keeps as a macro of that name.
constexpr std::uint32_t FILE_NOT_FOUND = 2;

bool is_slash(char c) { return c == '\\' || c == '/'; }

std::string join(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && !is_slash(path.back())) path += '\\';
  path += name;
  return path;
}

// A PATH entry without the quotes that may surround it.
std::string_view unquoted(std::string_view entry) {
  if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"') {
    return entry.substr(1, entry.size() - 2);
  }
  return entry;
}

bool find_in(std::string_view folder, std::string_view name, Paths& paths, std::string& path) {
  std::string candidate = join(folder, name);
  if (!paths.is_regular_file(candidate)) return false;
  path = std::move(candidate);
  return true;
}

using FolderCall = Expected<std::string> (Paths::*)();

Expected<std::string> find_program(std::string_view name, std::initializer_list<FolderCall> first,
                                   Paths& paths, Environment& environment) {
  std::string path;
  for (FolderCall call : first) {
    const Expected<std::string> folder = (paths.*call)();
    if (!folder.ok()) return folder.error();
    if (find_in(*folder, name, paths, path)) return path;
  }
  const Expected<std::optional<std::string>> search_path = environment.environment_variable("PATH");
  if (!search_path.ok()) return search_path.error();
  std::string_view entries = search_path->has_value() ? **search_path : std::string_view();
  while (!entries.empty()) {
    const std::size_t end = entries.find(';');
    const std::string_view entry = unquoted(entries.substr(0, end));
    if (is_absolute_folder(entry) && find_in(entry, name, paths, path)) return path;
    entries.remove_prefix(end == std::string_view::npos ? entries.size() : end + 1);
  }
  return error_from_win32(FILE_NOT_FOUND);
}

}  // namespace

bool is_absolute_folder(std::string_view folder) {
  const bool drive =
      folder.size() >= 3 && folder[1] == ':' && is_slash(folder[2]) &&
      ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
  const bool unc = folder.size() >= 3 && is_slash(folder[0]) && is_slash(folder[1]);
  return drive || unc;
}

Expected<std::string> find_host_program(std::string_view name, Paths& paths,
                                        Environment& environment) {
  return find_program(name, {&Paths::program_folder, &Paths::system_folder, &Paths::windows_folder},
                      paths, environment);
}

Expected<std::string> find_shell_program(std::string_view name, Paths& paths,
                                         Environment& environment) {
  return find_program(name, {&Paths::system_folder, &Paths::windows_folder}, paths, environment);
}

bool is_not_found(const Error& error) { return error == error_from_win32(FILE_NOT_FOUND); }

Checked<std::string> find_host(Target target, Paths& paths, Environment& environment) {
  Expected<std::string> found = find_host_program(program_name(target), paths, environment);
  if (found.ok()) return std::move(*found);
  Failure failure{launch_failure(target), found.error()};
  if (is_not_found(found.error())) {
    failure.detail = "Looked for " + program_name(target) +
                     " in vornalt.exe's own folder, the system folder, the Windows folder and "
                     "the folders on PATH given by a full path, never in the current folder";
    if (target == Target::wt) failure.detail += "; Windows Terminal may not be installed";
  }
  return failure;
}

}  // namespace vornalt
