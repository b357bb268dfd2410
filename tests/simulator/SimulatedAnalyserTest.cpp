// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/SimulatedAnalyser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "tests/simulator/SimulatorTestSupport.h"

using namespace SimulatorTest;
using namespace std::chrono_literals;

namespace {

// Collects what the analyser sends, as the link's input-report queue would.
class TReportLog {
 public:
  TSimulatedAnalyser::TReportSink Sink() {
    return [this](const std::uint8_t* Report, std::size_t Size) { Take(Report, Size); };
  }

  void Take(const std::uint8_t* Report, std::size_t Size) {
    std::function<void(std::size_t)> Hook;
    std::size_t Count = 0;
    {
      const std::lock_guard<std::mutex> Lock(Mutex);
      Arrivals.push_back(std::chrono::steady_clock::now());
      Sizes.push_back(Size);
      ReportIds.push_back(Report[0]);
      TInputBlock Block{};
      std::copy(Report + 1, Report + std::min(Size, InputReportSize), Block.begin());
      Blocks.push_back(Block);
      if (Clock != nullptr) {
        Times.push_back(Clock->SimulatedTime());
      }
      Hook = OnReport;
      Count = Blocks.size();
    }
    Changed.notify_all();
    if (Hook) {
      Hook(Count);
    }
  }

  bool WaitForBlocks(std::size_t Count, std::chrono::milliseconds Timeout = 10s) {
    std::unique_lock<std::mutex> Lock(Mutex);
    return Changed.wait_for(Lock, Timeout, [&] { return Blocks.size() >= Count; });
  }

  void Clear() {
    const std::lock_guard<std::mutex> Lock(Mutex);
    Arrivals.clear();
    Sizes.clear();
    ReportIds.clear();
    Blocks.clear();
    Times.clear();
  }

  std::vector<TInputBlock> Snapshot() {
    const std::lock_guard<std::mutex> Lock(Mutex);
    return Blocks;
  }

  std::mutex Mutex;
  std::condition_variable Changed;
  // Wall-clock instant each report reached the sink.
  std::vector<std::chrono::steady_clock::time_point> Arrivals;
  std::vector<std::size_t> Sizes;
  std::vector<int> ReportIds;
  std::vector<TInputBlock> Blocks;
  std::vector<TSimTime> Times;
  const TSimulatedAnalyser* Clock = nullptr;
  std::function<void(std::size_t)> OnReport;
};

void Send(TSimulatedAnalyser& Analyser, std::uint8_t Code, std::uint8_t P1 = 0,
          std::uint8_t P2 = 0) {
  std::uint8_t Report[InputReportSize] = {0, Code, P1, P2};
  Analyser.ReceiveOutputReport(Report, sizeof Report);
}

std::vector<int> CodesOf(const std::vector<TInputBlock>& Blocks) {
  std::vector<int> Codes;
  for (const TInputBlock& Block : Blocks) {
    Codes.push_back(Block[0]);
  }
  return Codes;
}

constexpr TSimulatorOptions Instant{0.0, 1};

}  // namespace

TEST(SimulatedAnalyser, SingleAcquisitionSendsOneRestitutionOfItsMemory) {
  TReportLog Log;
  TSimulatedAnalyser Analyser(Log.Sink(), Instant);
  Send(Analyser, cmdViewPosition, 0, 77);
  ASSERT_TRUE(Analyser.WaitIdle(10s));
  Log.Clear();
  Send(Analyser, cmdSingle);
  ASSERT_TRUE(Analyser.WaitIdle(10s));

  const std::vector<TInputBlock> Blocks = Log.Snapshot();
  EXPECT_EQ(CodesOf(Blocks), RestitutionOrder());
  EXPECT_EQ(DecodeWindow(Blocks), MemoryWindow(Analyser.Memory(), 77));
  for (std::size_t I = 0; I < Log.Sizes.size(); ++I) {
    EXPECT_EQ(Log.Sizes[I], InputReportSize);
    EXPECT_EQ(Log.ReportIds[I], 0);
  }
  EXPECT_EQ(Analyser.State().AcquisitionCount, 1);
}

TEST(SimulatedAnalyser, LoopSendsWholeRestitutionsUntilHaltAndNoneAfter) {
  TReportLog Log;
  TSimulatedAnalyser Analyser(Log.Sink(), Instant);
  Send(Analyser, cmdLoop);
  ASSERT_TRUE(Log.WaitForBlocks(3 * 18));
  Send(Analyser, cmdHalt);
  ASSERT_TRUE(Analyser.WaitIdle(10s));
  const std::vector<TInputBlock> Blocks = Log.Snapshot();
  ASSERT_EQ(Blocks.size() % 18, 0U);
  for (std::size_t I = 0; I < Blocks.size(); I += 18) {
    const std::vector<TInputBlock> One(Blocks.begin() + static_cast<std::ptrdiff_t>(I),
                                       Blocks.begin() + static_cast<std::ptrdiff_t>(I + 18));
    ASSERT_EQ(CodesOf(One), RestitutionOrder()) << "restitution " << I / 18;
  }
  EXPECT_FALSE(Analyser.State().Looping);

  Send(Analyser, cmdPull, 0);  // a command that sends nothing
  ASSERT_TRUE(Analyser.WaitIdle(10s));
  EXPECT_EQ(Log.Snapshot().size(), Blocks.size());
}

TEST(SimulatedAnalyser, WaitIdleWaitsForTheSinkToTakeTheLastReport) {
  std::atomic<bool> InLastReport{false};
  std::atomic<int> Taken{0};
  TSimulatedAnalyser Analyser(
      [&](const std::uint8_t* Report, std::size_t) {
        if (Report[1] == BlockRestitutionEnd) {
          InLastReport = true;
          std::this_thread::sleep_for(50ms);
        }
        ++Taken;
      },
      Instant);
  Send(Analyser, cmdSingle);
  while (!InLastReport) {
    std::this_thread::yield();
  }
  ASSERT_TRUE(Analyser.WaitIdle(10s));
  EXPECT_EQ(Taken, 18);
}

TEST(SimulatedAnalyser, ReportsItDoesNotKnowChangeNothing) {
  TReportLog Log;
  TSimulatedAnalyser Analyser(Log.Sink(), Instant);
  const TFirmwareState Before = Analyser.State();
  std::mt19937 Random(5);
  std::vector<std::uint8_t> Report;
  for (int I = 0; I < 3000; ++I) {
    Report.resize(Random() % 80);
    for (std::uint8_t& Byte : Report) {
      Byte = static_cast<std::uint8_t>(Random());
    }
    if (Report.size() >= 2) {
      switch (I % 3) {
        case 0:  // another report id
          Report[0] = static_cast<std::uint8_t>(1 + Random() % 255);
          break;
        case 1:  // a code no analyser knows
          Report[0] = 0;
          Report[1] = static_cast<std::uint8_t>(12 + Random() % 244);
          break;
        default:  // a known code cut short before its parameters
          Report.resize(2 + Random() % 2);
          Report[0] = 0;
          Report[1] = Report.size() == 2 ? cmdPcSpeed : cmdViewPosition;
          break;
      }
    }
    Analyser.ReceiveOutputReport(Report.data(), Report.size());
  }
  Analyser.ReceiveOutputReport(nullptr, 65);
  ASSERT_TRUE(Analyser.WaitIdle(10s));
  EXPECT_TRUE(Log.Snapshot().empty());
  const TFirmwareState After = Analyser.State();
  EXPECT_EQ(After.ViewOffset, Before.ViewOffset);
  EXPECT_EQ(After.PcSpeed, Before.PcSpeed);
  EXPECT_EQ(After.TimeBaseCode, Before.TimeBaseCode);

  Send(Analyser, cmdSingle);  // still answers
  ASSERT_TRUE(Analyser.WaitIdle(10s));
  EXPECT_EQ(CodesOf(Log.Snapshot()), RestitutionOrder());
}

class SimulatedAnalyserPacing : public testing::TestWithParam<std::uint16_t> {};

TEST_P(SimulatedAnalyserPacing, PcSpeedSlowsTheReportsInSimulatedTime) {
  TReportLog Log;
  TSimulatedAnalyser Analyser(Log.Sink(), Instant);
  Log.Clock = &Analyser;
  Send(Analyser, cmdPcSpeed, static_cast<std::uint8_t>(GetParam() >> 8),
       static_cast<std::uint8_t>(GetParam()));
  Send(Analyser, cmdSingle);
  ASSERT_TRUE(Analyser.WaitIdle(10s));
  ASSERT_EQ(Log.Times.size(), 18U);
  EXPECT_EQ(Log.Times.back() - Log.Times.front(),
            17 * static_cast<TSimTime>(GetParam()) * 10 * SimTicksPerMicrosecond);
}

INSTANTIATE_TEST_SUITE_P(Speeds, SimulatedAnalyserPacing, testing::Values(100, 550, 1000));

TEST(SimulatedAnalyser, RealTimeScaleReallyWaits) {
  TReportLog Log;
  TSimulatedAnalyser Analyser(Log.Sink(), {1.0, 1});
  const auto Start = std::chrono::steady_clock::now();
  Send(Analyser, cmdSingle);  // 1 ms per division: 2047 × 33.3 µs = 68 ms of recording
  ASSERT_TRUE(Analyser.WaitIdle(10s));
  // Timed where the reports arrive: a waiting test thread may wake up late.
  ASSERT_EQ(Log.Arrivals.size(), 18U);
  EXPECT_GE(Log.Arrivals.front() - Start, 68ms);
  EXPECT_GE(Log.Arrivals.back() - Log.Arrivals.front(), 17ms);  // 17 gaps of 1 ms at PC speed 100
}

TEST(SimulatedAnalyser, DestructionEndsALongAcquisitionPromptly) {
  TReportLog Log;
  auto Analyser = std::make_unique<TSimulatedAnalyser>(Log.Sink(), TSimulatorOptions{1.0, 1});
  Send(*Analyser, cmdTimeBase, 21);  // 500 ms per division: 34 s of recording
  Send(*Analyser, cmdSingle);
  // The firmware's thread takes the commands when the machine lets it.
  for (int I = 0; I < 1000 && Analyser->State().Activity != TFirmwareActivity::Acquiring; ++I) {
    std::this_thread::sleep_for(5ms);
  }
  ASSERT_EQ(Analyser->State().Activity, TFirmwareActivity::Acquiring);
  const auto Start = std::chrono::steady_clock::now();
  Analyser.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 2s);
  EXPECT_TRUE(Log.Snapshot().empty());
}

TEST(SimulatedAnalyser, StopEndsARestitutionMidWay) {
  TReportLog Log;
  // Ten times slower than real time: 100 ms between reports at PC speed 1000.
  TSimulatedAnalyser Analyser(Log.Sink(), {10.0, 1});
  Send(Analyser, cmdTimeBase, 0);
  Send(Analyser, cmdPcSpeed, 3, 0xE8);
  Send(Analyser, cmdSingle);
  ASSERT_TRUE(Log.WaitForBlocks(1));
  const auto Start = std::chrono::steady_clock::now();
  Analyser.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 2s);
  const std::size_t Sent = Log.Snapshot().size();
  EXPECT_LT(Sent, 18U);
  Send(Analyser, cmdSingle);  // ignored once stopped
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(Log.Snapshot().size(), Sent);
  EXPECT_FALSE(Analyser.WaitIdle(10ms));
}

TEST(SimulatedAnalyser, TheSinkMayCommandTheAnalyserAndStopIt) {
  TReportLog Log;
  TSimulatedAnalyser Analyser(Log.Sink(), Instant);
  // At the end of the first restitution ask for another window; stop on the
  // first block of the second.
  Log.OnReport = [&](std::size_t Count) {
    if (Count == 18) {
      Send(Analyser, cmdViewPosition, 6, 61);
    } else if (Count == 19) {
      Analyser.Stop();
    }
  };
  Send(Analyser, cmdSingle);
  ASSERT_TRUE(Log.WaitForBlocks(19));
  std::this_thread::sleep_for(20ms);
  Analyser.Stop();
  EXPECT_EQ(Log.Snapshot().size(), 19U);
  EXPECT_EQ(Analyser.State().ViewOffset, MaxViewOffset);
}
