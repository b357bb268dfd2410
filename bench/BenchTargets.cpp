// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/BenchTargets.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

double ToMilliseconds(benchmark::TimeUnit Unit) {
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

}  // namespace

TMedianReporter::TMedianReporter()
    : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void TMedianReporter::ReportRuns(const std::vector<Run>& Runs) {
  ConsoleReporter::ReportRuns(Runs);
  for (const Run& Each : Runs) {
    if (Each.error_occurred) {
      Failures.push_back(Each.benchmark_name() + ": " + Each.error_message);
      continue;
    }
    const bool Median = Each.run_type == Run::RT_Aggregate && Each.aggregate_name == "median";
    const bool Single = Each.run_type == Run::RT_Iteration;
    TFigures& Figure = Figures[Each.run_name.function_name];
    // A median, once there is one, wins over the single runs it sums up.
    if (!Median && !(Single && !Figure.Median)) {
      continue;
    }
    Figure.Median = Median;
    Figure.Milliseconds = Each.GetAdjustedRealTime() * ToMilliseconds(Each.time_unit);
    Figure.CpuMilliseconds = Each.GetAdjustedCPUTime() * ToMilliseconds(Each.time_unit);
    Figure.Counters.clear();
    for (const auto& [Name, Value] : Each.counters) {
      Figure.Counters[Name] = Value.value;
    }
  }
}

double TMedianReporter::Milliseconds(const std::string& Name) const {
  const auto Found = Figures.find(Name);
  return Found != Figures.end() ? Found->second.Milliseconds : 0;
}

double TMedianReporter::Counter(const std::string& Name, const std::string& Counter) const {
  const auto Found = Figures.find(Name);
  if (Found == Figures.end()) {
    return 0;
  }
  const auto Value = Found->second.Counters.find(Counter);
  return Value != Found->second.Counters.end() ? Value->second : 0;
}

double TMedianReporter::CpuMilliseconds(const std::string& Name) const {
  const auto Found = Figures.find(Name);
  return Found != Figures.end() ? Found->second.CpuMilliseconds : 0;
}

bool TMedianReporter::IsMedian(const std::string& Name) const {
  const auto Found = Figures.find(Name);
  return Found != Figures.end() && Found->second.Median;
}

bool SmokeRun() {
  const char* Value = std::getenv("LA16_BENCH_SMOKE");
  return Value != nullptr && *Value != 0 && std::string(Value) != "0";
}

void PrintTargetLine(bool Met, const std::string& Text) {
  std::cout << (Met ? "[met]    " : "[MISSED] ") << Text << std::endl;
}

std::string Fixed(double Value, int Decimals) {
  char Text[64];
  std::snprintf(Text, sizeof Text, "%.*f", Decimals, Value);
  return Text;
}

int RunBenchmarks(int Argc, char** Argv,
                  const std::function<void(const TMedianReporter&)>& Summary) {
  std::vector<char*> Arguments(Argv, Argv + Argc);
  std::string Repetitions = SmokeRun() ? "--benchmark_repetitions=1" : "--benchmark_repetitions=15";
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
  TMedianReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  benchmark::Shutdown();
  Summary(Reporter);
  for (const std::string& Failure : Reporter.Errors()) {
    std::cerr << "benchmark failed: " << Failure << std::endl;
  }
  return Reporter.Errors().empty() ? 0 : 1;
}
