// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing of one restitution: the empty screen, the 900 samples of both
// groups with edges shown, and the copy to the visible picture.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <array>

#include "bench/BenchTargets.h"
#include "display/TraceGeometry.h"
#include "display/TraceRenderer.h"

namespace {

constexpr double TargetMilliseconds = 0.3;

// Inputs toggling at different rates, so most samples draw an edge somewhere.
std::array<std::uint8_t, SamplesPerWindow> MakeSamples() {
  std::array<std::uint8_t, SamplesPerWindow> Samples{};
  for (int N = 0; N < SamplesPerWindow; ++N) {
    Samples[static_cast<std::size_t>(N)] = static_cast<std::uint8_t>(N ^ (N >> 3));
  }
  return Samples;
}

void RenderRestitution(benchmark::State& State) {
  const auto Samples = MakeSamples();
  TTraceRenderer Renderer;
  QImage Visible(PictureWidth, PictureHeight, QImage::Format_RGB32);
  TScreenState Screen;
  Screen.TriggerMode = TTriggerMode::InternalEqual;
  Screen.PatternBoxes = {true, false, true, false, false, true, true, false};
  Screen.Pull = TPull::Up;
  Screen.NumberLabels = true;
  // The clock moves on between restitutions, so its text is new every time.
  QDateTime Now(QDate(2025, 12, 31), QTime(23, 0, 0));
  for (auto _ : State) {
    Renderer.RedrawScreen(Screen, Visible, Now);
    for (int Group = 1; Group <= 2; ++Group) {
      for (int N = 1; N <= SamplesPerWindow; ++N) {
        const std::uint8_t Value = Samples[static_cast<std::size_t>(N - 1)];
        Renderer.DrawSample(Group, N, Group == 1 ? Value : static_cast<std::uint8_t>(~Value), true);
      }
    }
    Renderer.PresentScreen(Visible);
    benchmark::DoNotOptimize(Visible.constBits());
    Now = Now.addSecs(1);
  }
}
BENCHMARK(RenderRestitution)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int Argc, char** Argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication Application(Argc, Argv);
  return RunBenchmarks(Argc, Argv, [](const TMedianReporter& Figures) {
    if (!Figures.Has("RenderRestitution")) {
      return;
    }
    const double Milliseconds = Figures.Milliseconds("RenderRestitution");
    PrintTargetLine(Milliseconds <= TargetMilliseconds,
                    "Drawing of one restitution: " + Fixed(Milliseconds, 3) + " ms median (" +
                        Fixed(Figures.CpuMilliseconds("RenderRestitution"), 3) +
                        " ms of CPU) (target " + Fixed(TargetMilliseconds, 2) + " ms or less)");
  });
}
