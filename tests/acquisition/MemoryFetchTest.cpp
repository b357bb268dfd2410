// SPDX-License-Identifier: GPL-3.0-or-later
// The whole-memory fetch on the paths the window's and la16-capture's suites
// do not reach: the user's cancel, the analyser lost, and an analyser that
// never goes quiet.
#include <gtest/gtest.h>

#include <vector>

#include "acquisition/MemoryFetch.h"

namespace {

using std::chrono::milliseconds;

// Samples equal to their memory index: no two windows agree.
TWindowSamples WindowAt(int Offset) {
  TWindowSamples Window{};
  for (int I = 0; I < SamplesPerWindow; ++I) {
    Window[static_cast<std::size_t>(I)] = static_cast<TSample>(Offset + I);
  }
  return Window;
}

struct TDriver {
  TMemoryFetch Fetch{WindowFetch, PlanWholeMemory(), 300};
  TMemoryFetch::TTime Now{};
  std::vector<int> Sent;

  void Carry(const TFetchActions& Actions) {
    if (Actions.SendViewPosition) {
      Sent.push_back(*Actions.SendViewPosition);
    }
  }
  void Restitution(int Offset) {
    for (const auto& Block : BuildRestitution(WindowAt(Offset))) {
      Now += milliseconds(10);
      Carry(Fetch.Answer(Block.data(), Block.size(), Now));
    }
  }
  void StartAndGoQuiet() {
    Carry(Fetch.Start(Now));
    Now += WindowFetch.QuietTime;
    Carry(Fetch.TimeoutPassed(Now));
  }
};

// A cancel that left the analyser on the last window fetched, or that let
// the file be written.
TEST(MemoryFetch, ACancelSendsTheAnalyserBackToTheViewShownAndKeepsNothing) {
  TDriver Driver;
  Driver.StartAndGoQuiet();
  Driver.Restitution(0);
  Driver.Carry(Driver.Fetch.Cancelled(Driver.Now));
  EXPECT_FALSE(Driver.Fetch.Ended());
  Driver.Restitution(300);
  EXPECT_EQ(Driver.Sent, (std::vector<int>{0, 450, 300}));
  EXPECT_EQ(Driver.Fetch.Phase(), TMemoryFetch::TPhase::Cancelled);
}

// A request written to an analyser that is gone, or its loss reported only
// as a time-out.
TEST(MemoryFetch, ALostAnalyserIsAskedNothingMore) {
  TDriver Driver;
  Driver.StartAndGoQuiet();
  Driver.Carry(Driver.Fetch.Lost());
  EXPECT_EQ(Driver.Sent, std::vector<int>{0});
  ASSERT_EQ(Driver.Fetch.Phase(), TMemoryFetch::TPhase::Failed);
  EXPECT_EQ(Driver.Fetch.Failure().Problem, TFetchProblem::Lost);
}

// An export that waited for ever on an analyser that keeps sending.
TEST(MemoryFetch, AnAnalyserThatNeverGoesQuietIsAskedAfterTheWindowTimeOut) {
  TDriver Driver;
  const TMemoryFetch::TTime Begin = Driver.Now;
  Driver.Carry(Driver.Fetch.Start(Driver.Now));
  const auto Start = BuildRestitution(WindowAt(0)).front();
  while (Driver.Sent.empty() && Driver.Now - Begin < 2 * WindowFetch.WindowTimeout) {
    Driver.Now += milliseconds(100);
    EXPECT_FALSE(Driver.Fetch.Answer(Start.data(), Start.size(), Driver.Now).ReportTaken);
    Driver.Carry(Driver.Fetch.TimeoutPassed(Driver.Now));
  }
  EXPECT_EQ(Driver.Sent, std::vector<int>{0});
  EXPECT_EQ(Driver.Now - Begin, WindowFetch.WindowTimeout);
}

}  // namespace
