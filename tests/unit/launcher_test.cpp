#include "launcher.h"

#include <gtest/gtest.h>

#include "fake_system.h"

namespace vornalt {
namespace {

using Calls = std::vector<std::string>;

LaunchRequest request(bool wait, bool quiet, std::string target = "wt") {
  return {.target = std::move(target), .arguments = "x", .wait = wait, .quiet = quiet};
}

TEST(LaunchProcess, StartsReportsAndClosesBothHandles) {
  const struct {
    bool wait, quiet;
    std::string out;
    Calls calls;
  } cases[] = {
      {false,
       false,
       "cmdline:   wt.exe x\nLaunched 'wt' with PID: 4120\n",
       {"CreateProcessW", "CloseHandle(process)", "CloseHandle(thread)"}},
      {true,
       false,
       "cmdline:   wt.exe x\nLaunched 'wt' with PID: 4120\n",
       {"CreateProcessW", "WaitForSingleObject(process,4294967295)", "CloseHandle(process)",
        "CloseHandle(thread)"}},
      {false, true, "", {"CreateProcessW", "CloseHandle(process)", "CloseHandle(thread)"}},
      {true,
       true,
       "",
       {"CreateProcessW", "WaitForSingleObject(process,4294967295)", "CloseHandle(process)",
        "CloseHandle(thread)"}},
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    EXPECT_TRUE(launch_process("wt.exe x", request(c.wait, c.quiet), system));
    EXPECT_EQ(system.out, c.out);
    EXPECT_EQ(system.err, "");
    EXPECT_EQ(system.calls, c.calls);
  }
}

TEST(LaunchProcess, CommandLineBufferIsUtf16WithOneNul) {
  testing::FakeSystem system;
  EXPECT_TRUE(launch_process("a 😀 \xED\xA0\x80", request(false, true), system));
  EXPECT_EQ(system.command_line, (std::u16string{u'a', u' ', 0xD83D, 0xDE00, u' ', 0xD800, 0}));
}

TEST(LaunchProcess, WarnsOnAnUnexpectedWaitAndStillSucceeds) {
  for (bool quiet : {false, true}) {
    for (const auto& [value, text] :
         {std::pair<std::uint32_t, std::string>{0xFFFFFFFF, "4294967295"},
          {0x102, "258"},
          {0x80, "128"}}) {
      testing::FakeSystem system;
      system.wait_result = WAIT_EVENT{value};
      EXPECT_TRUE(launch_process("wt.exe x", request(true, quiet), system));
      EXPECT_EQ(system.err, "Warning: WaitForSingleObject returned unexpected status: WAIT_EVENT(" +
                                text + ")\n");
      EXPECT_EQ(system.calls.back(), "CloseHandle(thread)");
    }
  }
}

TEST(LaunchProcess, AFailedCloseIsIgnored) {
  testing::FakeSystem system;
  system.close_result = error_from_win32(6);
  EXPECT_TRUE(launch_process("wt.exe x", request(false, false), system));
  EXPECT_EQ(system.err, "");
  EXPECT_EQ(system.calls.size(), 3u);
}

TEST(LaunchProcess, AFailedStartPrintsTheErrorWhateverQuietSays) {
  for (bool quiet : {false, true}) {
    testing::FakeSystem system;
    system.create_result = error_from_win32(2);
    EXPECT_FALSE(launch_process("conhost.exe x", request(true, quiet, "conhost"), system));
    EXPECT_EQ(system.out, quiet ? "" : "cmdline:   conhost.exe x\n");
    EXPECT_EQ(
        system.err,
        "Failed to launch 'conhost': Error { code: HRESULT(0x80070002), message: \"The system "
        "cannot find the file specified.\" }\n");
    EXPECT_EQ(system.calls, (Calls{"CreateProcessW", "FormatMessageW(HRESULT(0x80070002))"}));
  }
}

TEST(LaunchProcess, AFailureWithoutLastErrorShowsZero) {
  testing::FakeSystem system;
  system.create_result = error_from_win32(0);
  system.message = "The operation completed successfully.";
  EXPECT_FALSE(launch_process("wt.exe x", request(false, true), system));
  EXPECT_EQ(system.err,
            "Failed to launch 'wt': Error { code: HRESULT(0x00000000), message: \"The operation "
            "completed successfully.\" }\n");
}

}  // namespace
}  // namespace vornalt
