// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PollMainThreadLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(PollMainThreadLoop, PostedTasksRunInOrderAndAFailureKeepsTheRest) {
  TPollMainThreadLoop Loop;
  std::vector<int> Ran;
  Loop.Post([&] { Ran.push_back(1); });
  Loop.Post([&] { throw std::runtime_error("handler failed"); });
  Loop.Post([&] { Ran.push_back(3); });
  EXPECT_TRUE(Ran.empty()) << "posting never runs at once";
  EXPECT_THROW(Loop.RunOnce(0ms), std::runtime_error);
  EXPECT_EQ(Ran, std::vector<int>({1}));
  EXPECT_TRUE(Loop.RunOnce(0ms));
  EXPECT_EQ(Ran, std::vector<int>({1, 3}));
  EXPECT_FALSE(Loop.RunOnce(0ms));
}

TEST(PollMainThreadLoop, HandoffRunsOnTheMainThreadBeforeTheCallerGoesOn) {
  TPollMainThreadLoop Loop;
  std::thread::id RanOn;
  std::atomic<bool> Returned{false};
  std::thread Reader([&] {
    Loop.RunSynchronously([&] { RanOn = std::this_thread::get_id(); });
    Returned = true;
  });
  EXPECT_TRUE(Loop.RunUntil([&] { return Returned.load(); }, 5s));
  Reader.join();
  EXPECT_EQ(RanOn, std::this_thread::get_id());

  // From the main thread itself it runs at once (no deadlock).
  bool Direct = false;
  Loop.RunSynchronously([&] { Direct = true; });
  EXPECT_TRUE(Direct);
}

TEST(PollMainThreadLoop, FailingHandoffReleasesItsCallerAndPropagates) {
  TPollMainThreadLoop Loop;
  std::atomic<int> Released{0};
  std::atomic<bool> OtherRan{false};
  std::thread Failing([&] {
    Loop.RunSynchronously([] { throw std::runtime_error("report handler failed"); });
    ++Released;
  });
  std::thread Other([&] {
    Loop.RunSynchronously([&] { OtherRan = true; });
    ++Released;
  });
  int Caught = 0;
  const auto Deadline = std::chrono::steady_clock::now() + 5s;
  while ((Released < 2 || Caught == 0) && std::chrono::steady_clock::now() < Deadline) {
    try {
      Loop.RunOnce(10ms);
    } catch (const std::runtime_error& Error) {
      EXPECT_STREQ(Error.what(), "report handler failed");
      ++Caught;
    }
  }
  Failing.join();
  Other.join();
  EXPECT_EQ(Caught, 1);
  EXPECT_EQ(Released, 2);
  EXPECT_TRUE(OtherRan) << "a handoff queued behind the failing one still runs";
}

TEST(PollMainThreadLoop, WaitForHandoffsEndsEarlyOnAHandoffOrAWake) {
  TPollMainThreadLoop Loop;
  std::atomic<bool> Ran{false};
  std::thread Reader([&] {
    std::this_thread::sleep_for(20ms);
    Loop.RunSynchronously([&] { Ran = true; });
  });
  auto Start = std::chrono::steady_clock::now();
  Loop.WaitAndRunHandoffs(10s);
  EXPECT_TRUE(Ran);
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 5s);
  Reader.join();

  std::thread Waker([&] {
    std::this_thread::sleep_for(20ms);
    Loop.WakeHandoffWaiter();
  });
  Start = std::chrono::steady_clock::now();
  Loop.WaitAndRunHandoffs(10s);
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 5s);
  Waker.join();
}

TEST(PollMainThreadLoop, ShutdownReleasesWaitersWithoutRunningTheirHandoffs) {
  TPollMainThreadLoop Loop;
  std::atomic<bool> Ran{false};
  std::atomic<bool> Returned{false};
  std::thread Reader([&] {
    Loop.RunSynchronously([&] { Ran = true; });
    Returned = true;
  });
  std::this_thread::sleep_for(20ms);
  Loop.Shutdown();
  Reader.join();
  EXPECT_TRUE(Returned);
  EXPECT_FALSE(Ran);
  // And later ones do not wait at all.
  std::thread Late([&] { Loop.RunSynchronously([&] { Ran = true; }); });
  Late.join();
  EXPECT_FALSE(Ran);
}

TEST(PollMainThreadLoop, WatchCallsBackWhileSignalledUntilDestroyed) {
  TPollMainThreadLoop Loop;
  TWakeEvent Event;
  int Calls = 0;
  auto Watch = Loop.WatchSignalled(Event.Waitable(), [&] {
    Event.Clear();
    ++Calls;
  });
  EXPECT_FALSE(Loop.RunOnce(0ms));
  // Raised from another thread, it ends a wait that would otherwise last.
  std::thread Raiser([&] {
    std::this_thread::sleep_for(20ms);
    Event.Set();
  });
  const auto Start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Loop.RunOnce(5000ms));
  Raiser.join();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 4s);
  EXPECT_EQ(Calls, 1);
  EXPECT_FALSE(Loop.RunOnce(0ms)) << "a cleared event calls back no more";
  Watch.reset();
  Event.Set();
  Loop.RunOnce(0ms);
  EXPECT_EQ(Calls, 1);
}

TEST(WakeEvent, StaysRaisedUntilClearedAndWakesOnlyItsOwnWaiters) {
  TWakeEvent First;
  TWakeEvent Second;
  EXPECT_EQ(WaitForSignals({First.Waitable(), Second.Waitable(), NoWaitable}, 0ms),
            std::vector<bool>({false, false, false}));
  Second.Set();
  Second.Set();
  // Looking does not consume: every waiter sees it until it is cleared.
  EXPECT_EQ(WaitForSignals({First.Waitable(), Second.Waitable(), NoWaitable}, 1000ms),
            std::vector<bool>({false, true, false}));
  EXPECT_EQ(WaitForSignals({Second.Waitable()}, 0ms), std::vector<bool>({true}));
  First.Set();
  EXPECT_EQ(WaitForSignals({First.Waitable(), Second.Waitable()}, 0ms),
            std::vector<bool>({true, true})) << "every signalled one is named, not the first";
  Second.Clear();
  EXPECT_EQ(WaitForSignals({First.Waitable(), Second.Waitable()}, 0ms),
            std::vector<bool>({true, false}));
  First.Clear();
  const auto Start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSignals({First.Waitable()}, 30ms), std::vector<bool>({false}));
  EXPECT_GE(std::chrono::steady_clock::now() - Start, 20ms) << "the wait lasts its timeout";
}

}  // namespace
