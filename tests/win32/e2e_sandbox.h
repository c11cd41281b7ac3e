// The fixture of the end-to-end tests: a fresh folder holding a copy of the
// real vornalt.exe and the stand-ins it is to start, in which vornalt.exe
// runs with a raw UTF-16 command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "windows_support.h"

namespace vornalt::testing {

/// Set by main: the built vornalt.exe and the folder of the stand-ins.
extern std::wstring g_vornalt;
extern std::wstring g_doubles;

/// Takes `<program> <vornalt.exe> <folder of the stand-ins>` (what remains
/// after GoogleTest's own flags) into the two globals, and sets PATH with
/// use_system_path_only. False, with a usage line, when they are not so.
bool take_arguments(int argc, char** argv);

/// The words of a record that ends each with a NUL unit (probe's argv).
std::vector<std::string> split_at_nul(std::u16string_view units);

inline std::wstring wide(std::u16string_view text) { return {text.begin(), text.end()}; }
inline std::u16string to_u16(std::wstring_view text) { return {text.begin(), text.end()}; }

/// `args` quoted so that the C runtime's splitting gives them back, after
/// the program name "vornalt.exe".
std::u16string command_line(const std::vector<std::u16string>& args);
std::vector<std::u16string> utf16_args(std::initializer_list<std::string> args);

/// Sets PATH to the system folder and the Windows folder alone, so that no
/// host installed on the machine (a wt.exe on PATH) is taken for a stand-in.
void use_system_path_only();

/// Whether this runs under Wine rather than Windows.
bool running_under_wine();

/// An environment variable of this process; empty when it is not set.
std::string environment_variable(const wchar_t* name);

/// "Error { code: HRESULT(0x80070002), message: "…" }" for the few codes
/// that the tests meet, with Windows' or Wine's own wording of the message.
std::string error_line(std::uint32_t code);

/// The failure line for a host found nowhere, and the line that says where
/// it was looked for.
std::string not_found_line(const std::string& target);

std::string read_file(const std::wstring& path);
bool exists(const std::wstring& path);

struct Outcome {
  DWORD status = 0;
  std::string out;
  std::string err;
};

enum class Streams { files, one_pipe, out_invalid, out_closed_pipe };

struct RunOptions {
  Streams streams = Streams::files;
  std::wstring directory;                 // the current directory; the sandbox when empty
  std::wstring program = L"vornalt.exe";  // relative to the sandbox
  /// With the limited token linked to this process's, as an unelevated
  /// process of an administrator runs: Wine runs every process elevated.
  /// Where there is none (UAC off), as this process.
  bool unelevated = false;
  /// Ends the first process that vornalt.exe starts (with -a, its elevated
  /// start) with this status as soon as it exists, before it has run any
  /// code: the run is debugged, and the process ended at its creation.
  std::optional<DWORD> end_first_child;
};

class Sandbox {
 public:
  /// Copies vornalt.exe and `hosts` (names of stand-ins, without ".exe")
  /// into a new folder.
  explicit Sandbox(std::vector<std::wstring> hosts = {L"conhost", L"wt", L"pwsh", L"powershell"});
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  std::wstring path(const std::wstring& name) const { return dir_ + L"\\" + name; }

  /// Copies the stand-in `name` (or the recording program "probe") to
  /// `folder` (relative to the sandbox; made if need be) as `name`.exe.
  void add_double(const std::wstring& name, const std::wstring& folder = L"") const;

  /// Copies the file `from` into the sandbox as `name` (relative to it).
  void add_copy(const std::wstring& from, const std::wstring& name) const;

  /// The raw UTF-16 text of a record that a stand-in wrote beside itself,
  /// once `done` (the name of its ".done" record) exists; nothing if it
  /// never came.
  std::optional<std::u16string> record(const std::wstring& name, const std::wstring& done) const;

  /// A short record that a stand-in writes in one go, once it can be read
  /// whole.
  std::optional<std::u16string> written(const std::wstring& name) const;

  /// The command line the stand-in `host` received, once it has ended.
  std::optional<std::u16string> received(const std::wstring& host) const {
    return record(host + L".cmdline", host + L".done");
  }

  bool wait_for(const std::wstring& file) const;

  /// The names of the files in the sandbox's own folder.
  std::vector<std::wstring> files() const;

  Outcome run(const std::u16string& line, const RunOptions& options = {}) const;
  Outcome run(std::initializer_list<std::string> args, const RunOptions& options = {}) const {
    return run(command_line(utf16_args(args)), options);
  }

 private:
  HANDLE create(const wchar_t* name, SECURITY_ATTRIBUTES& inherit) const;

  std::wstring dir_;
  // What went wrong in making the sandbox; a run then starts nothing and
  // says so rather than failing for a reason that nobody can see.
  mutable std::string trouble_;
};

}  // namespace vornalt::testing
