#include "relay/relay_message.h"

#include <gtest/gtest.h>

namespace vornalt {
namespace {

TEST(ReadRelayLine, CutsTheRelaysOwnWords) {
  const struct {
    std::string line;
    std::optional<RelayLine> relay;
  } cases[] = {
      {"C:\\v\\vornalt.exe --vornalt-relay 0123 cmd.exe /c title  && x",
       RelayLine{"0123", false, false, "cmd.exe /c title  && x", "cmd.exe"}},
      {"\"C:\\Program Files\\vornalt.exe\" --vornalt-relay id pwsh.exe -EncodedCommand QQA=",
       RelayLine{"id", false, false, "pwsh.exe -EncodedCommand QQA=", "pwsh.exe"}},
      // The program-name rule: quotes only open and close, also in the
      // shell's name; the rest is taken as it is.
      {"C:\\a\" b\"\\v.exe\t--vornalt-relay  id \t cmd.exe /s /c \" \"a b\" \" ",
       RelayLine{"id", false, false, "cmd.exe /s /c \" \"a b\" \" ", "cmd.exe"}},
      {"v --vornalt-relay id \"C:\\my shell\\x.exe\" y",
       RelayLine{"id", false, false, "\"C:\\my shell\\x.exe\" y", "C:\\my shell\\x.exe"}},
      // The options, each once and in their order; after them, the shell's.
      {"v --vornalt-relay - --keep cmd.exe /c x",
       RelayLine{"-", true, false, "cmd.exe /c x", "cmd.exe"}},
      {"v --vornalt-relay id --keep --variables cmd.exe --keep",
       RelayLine{"id", true, true, "cmd.exe --keep", "cmd.exe"}},
      {"v --vornalt-relay id --variables --keep", RelayLine{"id", false, true, "--keep", "--keep"}},
      {"v --vornalt-relay id --keep --keep x", RelayLine{"id", true, false, "--keep x", "--keep"}},
      {"v --vornalt-relay id --KEEP x", RelayLine{"id", false, false, "--KEEP x", "--KEEP"}},
      // --size with its value, after the others.
      {"v --vornalt-relay - --keep --size 120,40 cmd.exe /c x",
       RelayLine{"-", true, false, "cmd.exe /c x", "cmd.exe", Cells{120, 40}}},
      {"v --vornalt-relay id --size 1,32767 x",
       RelayLine{"id", false, false, "x", "x", Cells{1, 32767}}},
      {"v --vornalt-relay id --size --keep x", RelayLine{"id", false, false, "x", "x"}},
      {"v --vornalt-relay id --size 120,40 --keep x",
       RelayLine{"id", false, false, "--keep x", "--keep", Cells{120, 40}}},
      {"v --vornalt-relay id --keep", std::nullopt},
      {"v --vornalt-relay  cmd.exe", std::nullopt},  // the id taken, nothing to run
      {"v --vornalt-relay id ", std::nullopt},
      {"v --vornalt-relay", std::nullopt},
      {"v --VORNALT-RELAY id cmd.exe", std::nullopt},
      {"\"v --vornalt-relay\" id cmd.exe", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(read_relay_line(c.line), c.relay) << c.line;
  }
}

// The elevated start's line comes back whole, as Windows hands the
// elevated vornalt.exe the file and its words.
TEST(ElevatedLine, ReadsBackWhatItsWordsSay) {
  const std::string id = "0123456789abcdef0123456789abcdef";
  const std::string folders[] = {"C:\\work",   "C:\\a b",    "C:\\a b\\",        "C:\\",
                                 "C:\\x\"y z", "D:\\日本 😀", "\\\\s\\sh are\\\\"};
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
          const std::string words = elevated_parameters(id, window, folder, host, line);
          EXPECT_EQ(read_elevated_line("\"C:\\Program Files\\vornalt.exe\" " + words),
                    (ElevatedLine{id, folder, host, line, window}))
              << words;
        }
      }
    }
  }
  EXPECT_EQ(elevated_parameters(id, windows[3], "C:\\w", "C:\\h.exe", "h.exe x"),
            "--vornalt-elevated " + id + " --show 3 --pos -32768,32767 C:\\w C:\\h.exe h.exe x");
  for (const char* line :
       {"v --vornalt-elevated", "v --vornalt-elevated id C:\\w",
        "v --vornalt-elevated id C:\\w C:\\h.exe ", "v --vornalt-relay id C:\\w C:\\h.exe h.exe x",
        "v --VORNALT-ELEVATED id C:\\w C:\\h.exe h.exe x",
        "v --vornalt-elevated id --show 99999 C:\\w C:\\h.exe h.exe x",
        "v --vornalt-elevated id --pos 1 C:\\w C:\\h.exe h.exe x"}) {
    EXPECT_EQ(read_elevated_line(line), std::nullopt) << line;
  }
}

}  // namespace
}  // namespace vornalt
