#include "relay/relay_message.h"

#include <gtest/gtest.h>

#include "compose/quoting.h"

namespace vornalt {
namespace {

// Every message, written for conhost.exe (which hands such a line on as it
// is), is read back whole by the relay: every option alone and together,
// programs with blanks and quotes, shell lines that look like options.
TEST(RelayMessage, ComesBackAsItWasWritten) {
  const std::string programs[] = {"C:\\tools\\vornalt.exe", "C:\\Program Files\\v\\vornalt.exe",
                                  "C:\\日本 😀\\v.exe"};
  const struct {
    std::string line, program;
  } shells[] = {
      {"cmd.exe /c title  && x", "cmd.exe"},
      {"pwsh.exe -EncodedCommand QQA=", "pwsh.exe"},
      {"cmd.exe --keep --variables", "cmd.exe"},
      {"\"C:\\my shell\\x.exe\" --size 1,1", "C:\\my shell\\x.exe"},
      {"cmd.exe /s /c \" \"a b\" \" ", "cmd.exe"},
  };
  const std::optional<Cells> sizes[] = {std::nullopt, Cells{1, 32767}, Cells{120, 40}};
  for (const auto& program : programs) {
    for (const auto& shell : shells) {
      for (int options = 0; options < 8; ++options) {
        for (const auto& size : sizes) {
          const RelayMessage message{
              .pipe_id = options & 1 ? "0123456789abcdef0123456789abcdef" : "",
              .keep = (options & 2) != 0,
              .needs_variables = (options & 4) != 0,
              .window_size = size,
              .shell_line = shell.line};
          const std::string line = relay_line(quote_for_argv(program), message);
          EXPECT_EQ(read_relay_line(line), message) << line;
          EXPECT_EQ(shell_program(message), shell.program) << line;
        }
      }
    }
  }
}

// A line that holds anything but the relay's words in their order, with a
// shell after them, is no relay's line: the relay runs nothing from it.
TEST(RelayMessage, RefusesWhatItsWordsDoNotAllow) {
  for (const char* line : {
           "v --vornalt-relay id --keep",            // no shell after the options
           "v --vornalt-relay  ",                    // no id
           "v --vornalt-relay",                      //
           "v --VORNALT-RELAY id cmd.exe",           // the marker in another case
           "\"v --vornalt-relay\" id cmd.exe",       // the marker inside the program's name
           "v --vornalt-relay id --size x cmd.exe",  // a size that is none
           "v --vornalt-relay id --size 0,1 cmd.exe",
           "v --vornalt-relay id --size",
       }) {
    EXPECT_EQ(read_relay_line(line), std::nullopt) << line;
  }
}

// An option's word out of its place is the shell's.
TEST(RelayMessage, AnOptionOutOfItsPlaceIsTheShells) {
  const struct {
    std::string line;
    RelayMessage message;
  } cases[] = {
      {"v --vornalt-relay - --variables --keep x",
       {.needs_variables = true, .shell_line = "--keep x"}},
      {"v --vornalt-relay - --keep --keep x", {.keep = true, .shell_line = "--keep x"}},
      {"v --vornalt-relay - --KEEP x", {.shell_line = "--KEEP x"}},
      {"v --vornalt-relay - --size 120,40 --keep x",
       {.window_size = Cells{120, 40}, .shell_line = "--keep x"}},
      {"v\t--vornalt-relay \t id \t cmd.exe  /c", {.pipe_id = "id", .shell_line = "cmd.exe  /c"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(read_relay_line(c.line), c.message) << c.line;
  }
}

TEST(RelayMessage, OnlyTheMarkerAsTheSecondArgumentMakesARelay) {
  using Args = std::vector<std::string>;
  EXPECT_TRUE(is_relay_command(Args{"v", "--vornalt-relay", "-", "cmd.exe"}));
  EXPECT_FALSE(is_relay_command(Args{"v", "wt", "--vornalt-relay"}));
  EXPECT_FALSE(is_relay_command(Args{"v", "--VORNALT-RELAY"}));
  EXPECT_FALSE(is_relay_command(Args{"v"}));
}

}  // namespace
}  // namespace vornalt
