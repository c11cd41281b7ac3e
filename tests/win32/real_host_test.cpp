// vornalt.exe with Windows' own conhost.exe and cmd.exe, no stand-in: the
// recording program must get exactly the words typed. Wine's conhost.exe
// runs no command, so under Wine this reports itself as not run (77).
//
// Usage: real_host_test <path of vornalt.exe> <folder of the recording program>
#include <gtest/gtest.h>

#include <cstdio>

#include "e2e_sandbox.h"
#include "wtf8.h"

namespace vornalt {
namespace {

constexpr int NOT_RUN = 77;

TEST(RealConhost, HardWordsReachTheProgram) {
  const std::vector<std::string> cases[] = {
      {"^", "&", "|", "<", ">", "\"", "\\", ";"},
      {"a b", "  ", "", "C:\\Program Files\\", "a \\\\"},
      {"a\"b", "x&y", "\"&\"", "^&", "a;b", "%"},
      {"Grüße Welt", "日本&語", "😀|x"},
  };
  for (const auto& words : cases) {
    testing::Sandbox sandbox(std::vector<std::wstring>{});
    sandbox.add_double(L"probe");
    std::vector<std::u16string> args = {u"conhost",  u"-w", u"-q", u"-t", u"a \"title\" & more",
                                        u"probe.exe"};
    for (const auto& word : words) args.push_back(to_utf16(word));
    const testing::Outcome outcome = sandbox.run(testing::command_line(args));
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    const auto argv = sandbox.record(L"probe.argv", L"probe.done");
    ASSERT_TRUE(argv.has_value()) << "the program did not run";
    std::vector<std::string> received = testing::split_at_nul(*argv);
    ASSERT_FALSE(received.empty());
    received.erase(received.begin());
    EXPECT_EQ(received, words);
  }
}

}  // namespace
}  // namespace vornalt

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (vornalt::testing::running_under_wine()) {
    std::printf("not run: needs Windows (Wine's conhost.exe runs no command)\n");
    return vornalt::NOT_RUN;
  }
  if (!vornalt::testing::take_arguments(argc, argv)) return 2;
  return RUN_ALL_TESTS();
}
