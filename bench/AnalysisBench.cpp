// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis over the analyser's whole memory: the four decoders on the
// simulated buses (together under 1 ms, so decoding follows a click at once)
// and the figures under the pointer (under 50 µs, so they follow the mouse).
#include <algorithm>
#include <string>
#include <vector>

#include "acquisition/TimeBase.h"
#include "analysis/DecoderTable.h"
#include "analysis/PulseFigures.h"
#include "bench/BenchTargets.h"
#include "simulator/SimulatedSignals.h"

namespace {

constexpr int MemorySamples = 2047;
constexpr double DecodersTargetMs = 1.0;
constexpr double PointerTargetMs = 0.050;

struct TBusCase {
  const char* Spec;
  int TimeBaseIndex;  // where the bus fills the memory
};
constexpr TBusCase Buses[] = {{"uart:rx=9:baudrate=9600", 12},
                              {"i2c:scl=10:sda=11", 6},
                              {"spi:clk=12:mosi=13:cs=14", 5},
                              {"pwm:data=15", 13}};

std::vector<TSample> Memory(int TimeBaseIndex) {
  const TTimeBase& Base = *FindTimeBase(TimeBaseIndex);
  const TSimTime Period = SamplePeriodOfCode(Base.Code);
  const TSignalGenerator Generator(1);
  std::vector<TSample> Samples;
  for (TSimTime N = 0; N < MemorySamples; ++N) {
    Samples.push_back(Generator.Inputs(N * Period, Period, false));
  }
  return Samples;
}

void BM_Decode(benchmark::State& State, int Which) {
  const TBusCase& Bus = Buses[Which];
  const std::vector<TSample> Samples = Memory(Bus.TimeBaseIndex);
  const TTimeBase* Base = FindTimeBase(Bus.TimeBaseIndex);
  const TSampleView View{Samples, 0, SecondsPerSample(*Base), Base};
  const TDecoderSpec Spec = std::get<TDecoderSpec>(ParseDecoderSpec(Bus.Spec));
  std::size_t Count = 0;
  for (auto _ : State) {
    const TAnnotations Annotations = Decode(Spec, View);
    Count = Annotations.size();
    benchmark::DoNotOptimize(Annotations.data());
  }
  State.counters["annotations"] = static_cast<double>(Count);
}
BENCHMARK_CAPTURE(BM_Decode, Uart, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Decode, I2c, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Decode, Spi, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Decode, Pwm, 3)->Unit(benchmark::kMicrosecond);

// The worst place for the pointer: the middle of an input that never moves,
// so both searches for an edge run to the ends of the memory.
void BM_PointerFigures(benchmark::State& State, int Input) {
  const std::vector<TSample> Samples = Memory(DefaultTimeBaseIndex);
  const TTimeBase* Base = FindTimeBase(DefaultTimeBaseIndex);
  const TSampleView View{Samples, 0, SecondsPerSample(*Base), Base};
  for (auto _ : State) {
    const TPulseFigures Figures = MeasurePulse(View, Input, MemorySamples / 2);
    benchmark::DoNotOptimize(&Figures);
    if (Figures.Width) {
      benchmark::DoNotOptimize(BoundedTimeText(*Figures.Width, View));
    }
  }
}
BENCHMARK_CAPTURE(BM_PointerFigures, Pwm, 15)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PointerFigures, Still, 16)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int Argc, char** Argv) {
  return RunBenchmarks(Argc, Argv, [](const TMedianReporter& Figures) {
    double Total = 0;
    bool All = true;
    for (const char* Bus : {"Uart", "I2c", "Spi", "Pwm"}) {
      const std::string Name = std::string("BM_Decode/") + Bus;
      All = All && Figures.Has(Name);
      Total += Figures.Has(Name) ? Figures.Milliseconds(Name) : 0;
    }
    if (All) {
      PrintTargetLine(
          Total < DecodersTargetMs,
          "UART, I2C, SPI and PWM decoders over 2047 samples each: " + Fixed(Total * 1000, 1) +
              " µs together (target under " + Fixed(DecodersTargetMs * 1000, 0) + " µs)");
    }
    double Worst = 0;
    for (const char* Name : {"BM_PointerFigures/Pwm", "BM_PointerFigures/Still"}) {
      Worst = Figures.Has(Name) ? std::max(Worst, Figures.Milliseconds(Name)) : Worst;
    }
    if (Worst > 0) {
      PrintTargetLine(
          Worst < PointerTargetMs,
          "Pulse figures under the pointer over 2047 samples: " + Fixed(Worst * 1000, 2) +
              " µs at worst (target under " + Fixed(PointerTargetMs * 1000, 0) + " µs)");
    }
  });
}
