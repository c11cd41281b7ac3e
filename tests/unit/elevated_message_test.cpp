#include "elevated/elevated_message.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

// The elevated start's line comes back whole, as Windows hands the
// elevated vornalt.exe the file and its words.
TEST(ElevatedMessage, ComesBackAsItWasWritten) {
  const std::string folders[] = {"C:\\work", "C:\\a b", "C:\\a b\\", "C:\\", "C:\\x\"y z",
                                 "D:\\日本 😀", "\\\\s\\sh are\\\\",
                                 // No folder of a run, but the words must not take it.
                                 "--pos", "--show"};
  const std::string hosts[] = {"C:\\Windows\\System32\\conhost.exe",
                               "C:\\Program Files\\WindowsApps\\wt.exe"};
  const std::string lines[] = {"conhost.exe cmd.exe /c title && x",
                               "wt.exe --window \"a b\" --title \"\" --startingDirectory . "
                               "cmd.exe /c \"x y\""};
  // With the host's window, or without.
  const StartupWindow windows[] = {
      {},
      {.show = ShowCommand::show_min_no_activate},
      {.position = Pixels{-1200, 80}},
      {.show = ShowCommand::show_maximized, .position = Pixels{-32768, 32767}},
  };
  for (const auto& folder : folders) {
    for (const auto& host : hosts) {
      for (const auto& line : lines) {
        for (const auto& window : windows) {
          const ElevatedMessage message{.pipe_id = "0123456789abcdef0123456789abcdef",
                                        .window = window,
                                        .folder = folder,
                                        .host = host,
                                        .host_line = line};
          const std::string words = elevated_parameters(message);
          EXPECT_EQ(read_elevated_line("\"C:\\Program Files\\vornalt.exe\" " + words), message)
              << words;
        }
      }
    }
  }
}

TEST(ElevatedMessage, RefusesWhatItsWordsDoNotAllow) {
  for (const char* line :
       {"v --vornalt-elevated", "v --vornalt-elevated id C:\\w",
        "v --vornalt-elevated id C:\\w C:\\h.exe ", "v --vornalt-relay id C:\\w C:\\h.exe h.exe x",
        "v --VORNALT-ELEVATED id C:\\w C:\\h.exe h.exe x",
        "v --vornalt-elevated id --show 99999 C:\\w C:\\h.exe h.exe x",
        "v --vornalt-elevated id --show C:\\w C:\\h.exe h.exe x",
        "v --vornalt-elevated id --pos 1 C:\\w C:\\h.exe h.exe x"}) {
    EXPECT_EQ(read_elevated_line(line), std::nullopt) << line;
  }
}

}  // namespace
}  // namespace vornalt
