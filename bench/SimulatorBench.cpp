// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the simulated analyser's firmware produces what it sends, with no
// pacing: one recording of 2047 samples and its 18 blocks of restitution.
// The fastest time base records in 68 µs of real time, the budget to beat for
// the simulator to keep up at real speed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "simulator/AnalyserFirmware.h"
#include "simulator/SimulatedAnalyser.h"

namespace {

void DriveUntilIdle(TAnalyserFirmware& Firmware, TSimTime& Now) {
  while (const std::optional<TSimTime> Due = Firmware.NextEventTime()) {
    Now = std::max(Now, *Due);
    benchmark::DoNotOptimize(Firmware.Advance(Now));
  }
}

// Time base code as argument; the internal trigger adds up to 1028 samples
// of search on top of the recording.
void BM_FirmwareSingleAcquisition(benchmark::State& State) {
  TAnalyserFirmware Firmware(1);
  TSimTime Now = 0;
  Firmware.Execute({cmdTimeBase, static_cast<std::uint8_t>(State.range(0)), 0}, Now);
  Firmware.Execute({cmdTriggerMode, static_cast<std::uint8_t>(State.range(1)), 0}, Now);
  Firmware.Execute({cmdTriggerPattern, 0xA5, 0}, Now);
  for (auto _ : State) {
    Firmware.Execute({cmdSingle, 0, 0}, Now);
    DriveUntilIdle(Firmware, Now);
  }
  State.SetItemsProcessed(State.iterations() * MemorySamples);
}
BENCHMARK(BM_FirmwareSingleAcquisition)->Args({0, 0})->Args({0, 1})->Args({21, 1});

// A restitution from memory, as a scroll of the view asks for.
void BM_FirmwareViewRestitution(benchmark::State& State) {
  TAnalyserFirmware Firmware(1);
  TSimTime Now = 0;
  Firmware.Execute({cmdSingle, 0, 0}, Now);
  DriveUntilIdle(Firmware, Now);
  std::uint8_t Offset = 0;
  for (auto _ : State) {
    Firmware.Execute({cmdViewPosition, 0, ++Offset}, Now);
    DriveUntilIdle(Firmware, Now);
  }
}
BENCHMARK(BM_FirmwareViewRestitution);

// Looped acquisitions through the firmware thread, reports counted by the sink.
void BM_SimulatedAnalyserLoop(benchmark::State& State) {
  std::atomic<std::int64_t> Reports{0};
  TSimulatedAnalyser Analyser([&](const std::uint8_t*, std::size_t) { ++Reports; }, {0.0, 1});
  const std::uint8_t Loop[] = {0, cmdLoop, 0, 0};
  const std::uint8_t Halt[] = {0, cmdHalt, 0, 0};
  Analyser.ReceiveOutputReport(Loop, sizeof Loop);
  std::int64_t Seen = 0;
  for (auto _ : State) {
    // One restitution's worth of reports per iteration.
    while (Reports.load() < Seen + 18) {
      std::this_thread::yield();
    }
    Seen += 18;
  }
  Analyser.ReceiveOutputReport(Halt, sizeof Halt);
  Analyser.WaitIdle(std::chrono::seconds(10));
  State.SetItemsProcessed(Seen);
}
BENCHMARK(BM_SimulatedAnalyserLoop)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
