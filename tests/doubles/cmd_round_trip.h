// The promise of the `cmd` forms, checked through the models of the hosts
// and of cmd.exe: the program gets exactly the words after its name,
// nothing else runs, and what vornalt shows is what runs.
#pragma once

#include <string>
#include <vector>

namespace vornalt::testing {

/// The window title that cmd's `title` command sets on conhost's line: the
/// title with what conhost cannot carry replaced (`"` by `'`, a tab, CR or
/// LF by a blank), and the blank that cmd keeps before "&&" unless the title
/// ends in one.
std::string title_set_by_cmd(std::string title);

/// Composes a `cmd` request for `target` with `title` and the command
/// `words` and reads it as the host, cmd.exe and the program do. The first
/// word names the program: it holds no `"`, which no file name can. Empty
/// when everything holds; otherwise what went wrong.
std::string cmd_round_trip_fault(const std::string& target, const std::string& title,
                                 const std::vector<std::string>& words);

}  // namespace vornalt::testing
