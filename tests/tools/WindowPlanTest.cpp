// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/WindowPlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "tools/CaptureOptions.h"

namespace {

std::vector<TSample> RandomMemory(unsigned Seed) {
  std::mt19937 Random(Seed);
  std::vector<TSample> Memory(WholeMemorySamples);
  for (TSample& Sample : Memory) {
    Sample = static_cast<TSample>(Random());
  }
  return Memory;
}

TCapturedWindow WindowOf(const std::vector<TSample>& Memory, int Offset) {
  TCapturedWindow Window{Offset, {}};
  std::copy_n(Memory.begin() + Offset, SamplesPerWindow, Window.Samples.begin());
  return Window;
}

std::vector<TCapturedWindow> PlannedWindows(const std::vector<TSample>& Memory) {
  std::vector<TCapturedWindow> Windows;
  for (int Offset : PlanWholeMemory()) {
    Windows.push_back(WindowOf(Memory, Offset));
  }
  return Windows;
}

}  // namespace

TEST(WindowPlan, FiveWindowsCoverTheMemoryWithinTheViewRange) {
  const std::vector<int> Plan = PlanWholeMemory();
  EXPECT_EQ(Plan, (std::vector<int>{0, 450, 900, 1350, 1597}));
  std::vector<int> Covered(WholeMemorySamples, 0);
  for (int Offset : Plan) {
    ASSERT_GE(Offset, 0);
    ASSERT_LE(Offset, LastViewOffset);
    for (int I = 0; I < SamplesPerWindow; ++I) {
      ++Covered[static_cast<std::size_t>(Offset + I)];
    }
  }
  EXPECT_EQ(std::count(Covered.begin(), Covered.end(), 0), 0);
  // Only the last window overlaps: samples 1597 to 1799.
  EXPECT_EQ(std::count(Covered.begin(), Covered.end(), 2), 1800 - 1597);
}

TEST(StitchWindows, PlannedWindowsGiveBackTheMemoryInAnyOrder) {
  const std::vector<TSample> Memory = RandomMemory(1);
  std::vector<TCapturedWindow> Windows = PlannedWindows(Memory);
  EXPECT_EQ(std::get<std::vector<TSample>>(StitchWindows(Windows)), Memory);
  std::reverse(Windows.begin(), Windows.end());
  EXPECT_EQ(std::get<std::vector<TSample>>(StitchWindows(Windows)), Memory);
  // More windows than needed, overlapping everywhere, agree as well.
  Windows.push_back(WindowOf(Memory, 100));
  Windows.push_back(WindowOf(Memory, 1000));
  EXPECT_EQ(std::get<std::vector<TSample>>(StitchWindows(Windows)), Memory);
}

struct TStitchFault {
  std::string Name;
  std::function<void(std::vector<TCapturedWindow>&)> Spoil;
  std::string Message;
};

void PrintTo(const TStitchFault& Fault, std::ostream* Os) {
  *Os << Fault.Name;
}

class StitchFaults : public testing::TestWithParam<TStitchFault> {};

TEST_P(StitchFaults, AreInconsistentCapturesWithAClearMessage) {
  const std::vector<TSample> Memory = RandomMemory(2);
  std::vector<TCapturedWindow> Windows = PlannedWindows(Memory);
  GetParam().Spoil(Windows);
  const auto Result = StitchWindows(Windows);
  const auto* Failure = std::get_if<TStitchFailure>(&Result);
  ASSERT_NE(Failure, nullptr);
  EXPECT_EQ(Failure->Message, GetParam().Message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StitchFaults,
    testing::Values(
        // Sample 1600 is the fourth of the last window and in the one at 1350.
        TStitchFault{"OverlapDisagrees",
                     [](std::vector<TCapturedWindow>& W) { W[4].Samples[3] ^= 0x0104; },
                     "les fenêtres aux positions 1350 et 1597 diffèrent à l'échantillon 1600 "
                     "(entrées 3, 9)"},
        TStitchFault{"LastSharedSampleDisagrees",
                     [](std::vector<TCapturedWindow>& W) { W[3].Samples[449] ^= 0x8000; },
                     "les fenêtres aux positions 1350 et 1597 diffèrent à l'échantillon 1799 "
                     "(entrées 16)"},
        TStitchFault{"MissingWindow",
                     [](std::vector<TCapturedWindow>& W) { W.erase(W.begin() + 2); },
                     "échantillon 900 reçu dans aucune fenêtre"},
        TStitchFault{"MissingLastWindow", [](std::vector<TCapturedWindow>& W) { W.pop_back(); },
                     "échantillon 1800 reçu dans aucune fenêtre"},
        TStitchFault{"NoWindow", [](std::vector<TCapturedWindow>& W) { W.clear(); },
                     "échantillon 0 reçu dans aucune fenêtre"},
        TStitchFault{"WindowPastTheEnd",
                     [](std::vector<TCapturedWindow>& W) { W[4].Offset = 1598; },
                     "fenêtre hors de la mémoire à la position 1598"},
        TStitchFault{"WindowBeforeTheStart",
                     [](std::vector<TCapturedWindow>& W) { W[0].Offset = -1; },
                     "fenêtre hors de la mémoire à la position -1"}),
    [](const testing::TestParamInfo<TStitchFault>& Info) { return Info.param.Name; });

// A window sent as the analyser sends it, received block by block, reads back
// as the same samples: inputs 1-8 low byte, 9-16 high byte, first cell first.
TEST(WindowFromBuffer, RestitutionReadsBackAsTheWindowSent) {
  const std::vector<TSample> Memory = RandomMemory(3);
  const TWindowSamples Sent = WindowOf(Memory, 700).Samples;
  TSampleBuffer Buffer;
  for (const auto& Block : BuildRestitution(Sent)) {
    ApplyBlock(Buffer, Block.data(), Block.size(), [](int, int, int) {});
  }
  EXPECT_EQ(WindowFromBuffer(Buffer), Sent);
}
