// Force-included into the tests of the windows-clang build. MinGW's
// win32-thread libstdc++ (GCC 12) has no std::mutex, which GoogleTest's
// Notification helper is written with. That helper serves only GoogleTest's
// own thread tests; this stand-in lets GoogleTest build without it.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
