// vornalt.exe with Windows' own conhost.exe and cmd.exe, no stand-in: the
// recording program must get exactly the words typed. Wine's conhost.exe
// runs no command, so under Wine this reports itself as not run (77).
//
// Usage: real_host_test <path of vornalt.exe> <folder of the recording program>
#include <gtest/gtest.h>

#include <cstdio>

#include "e2e_sandbox.h"
#include "windows_path.h"
#include "wtf8.h"

namespace vornalt {
namespace {

constexpr int NOT_RUN = 77;

std::vector<std::string> split_at_nul(std::u16string_view units) {
  std::vector<std::string> words;
  for (std::size_t end; (end = units.find(u'\0')) != std::u16string_view::npos;) {
    words.push_back(to_wtf8(units.substr(0, end)));
    units.remove_prefix(end + 1);
  }
  return words;
}

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
    std::vector<std::string> received = split_at_nul(*argv);
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
  if (argc != 3) {
    std::fprintf(stderr, "usage: real_host_test <vornalt.exe> <folder of probe.exe>\n");
    return 2;
  }
  vornalt::testing::g_vornalt = vornalt::testing::windows_path(argv[1]);
  vornalt::testing::g_doubles = vornalt::testing::windows_path(argv[2]);
  vornalt::testing::use_system_path_only();
  return RUN_ALL_TESTS();
}
