#include "compose/cmd_limits.h"

#include <gtest/gtest.h>

#include "compose/console_command_line.h"
#include "compose/quoting.h"
#include "platform_readers.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

std::string repeat(std::string_view text, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out += text;
  return out;
}

// What cmd.exe reads after "/c " once the host's model has read the line.
std::u16string read_after_c(const std::string& line) {
  const std::string shell_line = line.starts_with("conhost.exe ")
                                     ? testing::conhost_reading(line)
                                     : testing::wt_reading(line, [](std::string_view text) {
                                         return std::string(text);
                                       }).command;
  return to_utf16(shell_line.substr(shell_line.find("/c ") + 3));
}

TEST(CmdRefusal, TheLimitCountsWhatCmdReadsAfterC) {
  const struct {
    std::string target, title;
    std::vector<std::string> words;
    std::size_t length;
  } cases[] = {
      // "title T && " and the arguments.
      {"conhost", "T", {repeat("x", 8180)}, 8191},
      {"conhost", "T", {repeat("x", 8181)}, 8192},
      {"conhost", "", {repeat("x", 8182)}, 8191},
      {"conhost", "a & b", {repeat("x", 8175)}, 8191},
      {"conhost", "a & b", {repeat("x", 8176)}, 8192},
      // A character outside the BMP counts twice, as cmd.exe counts units.
      {"conhost", "T", {repeat("😀", 4090)}, 8191},
      {"conhost", "T", {repeat("😀", 4090), ""}, 8194},
      // wt.exe hands on the arguments alone.
      {"wt", "T", {repeat("x", 8191)}, 8191},
      {"wt", "T", {repeat("x", 8192)}, 8192},
      {"wt", "T", {"&", repeat("x", 8188)}, 8191},
      {"wt", "", {repeat("😀", 4095), "x"}, 8192},
      // ... between `" ` and ` "` when they begin with a quote.
      {"wt", "T", {"a b" + repeat("x", 8182)}, 8191},
      {"wt", "T", {"a b" + repeat("x", 8183)}, 8192},
  };
  for (const auto& c : cases) {
    const LaunchRequest request{
        .target = *target_named(c.target), .title = c.title, .words = c.words};
    EXPECT_EQ(cmd_text_length(request), c.length) << c.target << " " << c.length;
    EXPECT_EQ(read_after_c(compose_command_line(request, plan_launch(request, false))).size(),
              c.length);
    const std::optional<std::string> refusal = cmd_refusal(request);
    if (c.length <= CMD_TEXT_LIMIT) {
      EXPECT_EQ(refusal, std::nullopt);
    } else {
      EXPECT_EQ(refusal, "The command that cmd.exe would read after /c has " +
                             std::to_string(c.length) + " characters, over its limit of 8191");
    }
  }
}

TEST(CmdRefusal, NeverForThePowershellShells) {
  for (Shell shell : {Shell::pwsh, Shell::powershell}) {
    const LaunchRequest request{
        .target = Target::conhost, .shell = shell, .words = {repeat("x", 20000) + "\n"}};
    EXPECT_EQ(cmd_refusal(request), std::nullopt);
  }
}

}  // namespace
}  // namespace vornalt
