// SPDX-License-Identifier: GPL-3.0-or-later
// What one restitution costs the window: its 18 reports through the report
// handler into SampleBuffer and the back buffer, and the copy to the visible
// picture, on a real main window over the fake environment (offscreen).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QToolButton>
#include <array>
#include <cstdint>
#include <iostream>
#include <vector>

#include "app/Application.h"
#include "app/Form1.h"
#include "bench/BenchTargets.h"
#include "link/AnalyserProtocol.h"
#include "link/JvHidControllerClass.h"
#include "tests/support/AnalyserRig.h"

namespace {

// One report per millisecond at most: a restitution needs 18 ms of the bus.
constexpr double BusMilliseconds = 18.0;
constexpr double TargetShare = 0.02;

/// The 18 blocks (code first, 64 bytes) of a restitution whose inputs toggle
/// at different rates, so that most samples draw an edge somewhere.
std::vector<std::array<std::uint8_t, BlockSize>> MakeRestitution() {
  std::vector<std::array<std::uint8_t, BlockSize>> Blocks;
  const auto Block = [&](std::uint8_t Code) -> std::array<std::uint8_t, BlockSize>& {
    Blocks.push_back({});
    Blocks.back()[0] = Code;
    return Blocks.back();
  };
  Block(BlockRestitutionStart);
  for (int Group = 1; Group <= 2; ++Group) {
    for (int Index = 1; Index <= 8; ++Index) {
      auto& Bytes = Block(static_cast<std::uint8_t>(Index + (Group == 1 ? 0 : 10)));
      for (int Byte = 1; Byte <= SamplesPerFullBlock; ++Byte) {
        const int N = (Index - 1) * SamplesPerFullBlock + Byte;
        const auto Value = static_cast<std::uint8_t>(N ^ (N >> 3));
        Bytes[static_cast<std::size_t>(Byte)] =
            Group == 1 ? Value : static_cast<std::uint8_t>(~Value);
      }
    }
  }
  Block(BlockRestitutionEnd);
  return Blocks;
}

/// A shown main window with an analyser attached (an interface that only
/// records what it is sent), looping.
struct TLoopingWindow {
  TLoopingWindow() {
    Rig.Start("100", "1");
    Rig.Plug(AnalyserInterface());
    Rig.Form->show();
    Rig.Form->SpeedButton24->click();
    TAnalyserRig::Idle(std::chrono::milliseconds(50));
  }
  void Deliver(const std::array<std::uint8_t, BlockSize>& Block) {
    Rig.Form->AnalyserDeviceData(*Rig.Form->AnalyserDevice, 0, Block.data(),
                                 static_cast<std::uint16_t>(Block.size()));
  }
  void AdvanceClock() {
    // The clock moves on between restitutions, so its text is new each time.
    Rig.Harness.Environment.Clock = Rig.Harness.Environment.Clock.addSecs(1);
  }
  TAnalyserRig Rig;
};

// The reports' handling alone; the window's repaints run between iterations,
// as the event loop runs them between restitutions.
void RestitutionHandling(benchmark::State& State) {
  const auto Blocks = MakeRestitution();
  TLoopingWindow Window;
  for (auto _ : State) {
    for (const auto& Block : Blocks) {
      Window.Deliver(Block);
    }
    State.PauseTiming();
    QCoreApplication::processEvents();
    Window.AdvanceClock();
    State.ResumeTiming();
  }
  State.counters["reports"] =
      benchmark::Counter(static_cast<double>(State.iterations()) * 18, benchmark::Counter::kIsRate);
}
BENCHMARK(RestitutionHandling)->Unit(benchmark::kMillisecond);

// As the program meets them: the event loop runs after each report, as it
// does between two handoffs, so the window repaints what each report changed.
void RestitutionAsDelivered(benchmark::State& State) {
  const auto Blocks = MakeRestitution();
  TLoopingWindow Window;
  for (auto _ : State) {
    for (const auto& Block : Blocks) {
      Window.Deliver(Block);
      QCoreApplication::processEvents();
    }
    Window.AdvanceClock();
  }
}
BENCHMARK(RestitutionAsDelivered)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int Argc, char** Argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  TApplication Application(Argc, Argv);
  return RunBenchmarks(Argc, Argv, [](const TMedianReporter& Figures) {
    if (Figures.Has("RestitutionHandling")) {
      const double Milliseconds = Figures.Milliseconds("RestitutionHandling");
      const double Share = Milliseconds / BusMilliseconds;
      PrintTargetLine(Share <= TargetShare,
                      "Restitution handling (18 reports into the back buffer, then shown): " +
                          Fixed(Milliseconds, 3) + " ms median (" +
                          Fixed(Figures.CpuMilliseconds("RestitutionHandling"), 3) +
                          " ms of CPU), " + Fixed(Share * 100, 2) +
                          " % of the 18 ms bus budget (target " +
                          Fixed(BusMilliseconds * TargetShare, 2) + " ms or less, " +
                          Fixed(TargetShare * 100, 0) + " %)");
    }
    if (Figures.Has("RestitutionAsDelivered")) {
      const double Milliseconds = Figures.Milliseconds("RestitutionAsDelivered");
      std::cout << "         with the window's repaints after each report: "
                << Fixed(Milliseconds, 3) << " ms median ("
                << Fixed(Figures.CpuMilliseconds("RestitutionAsDelivered"), 3) << " ms of CPU), "
                << Fixed(Milliseconds / BusMilliseconds * 100, 2)
                << " % of the bus budget (no target)" << std::endl;
    }
  });
}
