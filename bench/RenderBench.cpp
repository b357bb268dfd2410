// Drawing of one restitution: the empty screen, the 900 samples of both
// groups with edges shown, and the copy to the visible picture.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <array>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "display/TraceGeometry.h"
#include "display/TraceRenderer.h"

namespace {

constexpr double TargetMilliseconds = 0.3;

// Inputs toggling at different rates, so most samples draw an edge somewhere.
std::array<std::uint8_t, SamplesPerTransfer> MakeSamples() {
  std::array<std::uint8_t, SamplesPerTransfer> Samples{};
  for (int N = 0; N < SamplesPerTransfer; ++N) {
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
      for (int N = 1; N <= SamplesPerTransfer; ++N) {
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

/// Prints the usual table, then one line per median against its target.
class TTargetReporter : public benchmark::ConsoleReporter {
 public:
  TTargetReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& Each : Runs) {
      if (Each.aggregate_name == "median") {
        MedianMs = Each.GetAdjustedRealTime() * Scale(Each.time_unit);
      } else if (Each.run_type == Run::RT_Iteration && MedianMs < 0) {
        SingleMs = Each.GetAdjustedRealTime() * Scale(Each.time_unit);
      }
    }
  }
  double Figure() const { return MedianMs >= 0 ? MedianMs : SingleMs; }
  bool IsMedian() const { return MedianMs >= 0; }

 private:
  static double Scale(benchmark::TimeUnit Unit) {
    switch (Unit) {
      case benchmark::kNanosecond:
        return 1e-6;
      case benchmark::kMicrosecond:
        return 1e-3;
      case benchmark::kMillisecond:
        return 1.0;
      case benchmark::kSecond:
        return 1e3;
    }
    return 1.0;
  }
  double MedianMs = -1;
  double SingleMs = -1;
};

}  // namespace

int main(int Argc, char** Argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication Application(Argc, Argv);

  // Repeat by default so that a median is reported; flags given win.
  std::vector<char*> Arguments(Argv, Argv + Argc);
  std::string Repetitions = "--benchmark_repetitions=15";
  std::string AggregatesOnly = "--benchmark_report_aggregates_only=true";
  bool RepetitionsGiven = false;
  for (int I = 1; I < Argc; ++I) {
    RepetitionsGiven |= std::string(Argv[I]).rfind("--benchmark_repetitions", 0) == 0;
  }
  if (!RepetitionsGiven) {
    Arguments.insert(Arguments.begin() + 1, {Repetitions.data(), AggregatesOnly.data()});
  }
  int Count = static_cast<int>(Arguments.size());
  benchmark::Initialize(&Count, Arguments.data());
  if (benchmark::ReportUnrecognizedArguments(Count, Arguments.data())) {
    return 1;
  }
  TTargetReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  benchmark::Shutdown();
  std::cout << "RenderRestitution: " << (Reporter.IsMedian() ? "median " : "time ") << std::fixed
            << std::setprecision(3) << Reporter.Figure() << " ms per restitution (target "
            << std::setprecision(1) << TargetMilliseconds << " ms or less) "
            << (Reporter.Figure() <= TargetMilliseconds ? "OK" : "ABOVE TARGET") << std::endl;
  return 0;
}
