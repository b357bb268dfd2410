// SPDX-License-Identifier: GPL-3.0-or-later
// What every benchmark program of la16 shares: repetitions by default, the
// usual table, then one line per figure saying the figure and its target.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

/// The median of each benchmark (the single run when not repeated): real
/// time per iteration in ms and its counters, by the benchmark's name.
class TMedianReporter : public benchmark::ConsoleReporter {
 public:
  TMedianReporter();
  void ReportRuns(const std::vector<Run>& Runs) override;

  /// Whether Name ran; false also for a filtered-out benchmark.
  bool Has(const std::string& Name) const { return Figures.count(Name) != 0; }
  /// Median real time per iteration of Name, in ms.
  double Milliseconds(const std::string& Name) const;
  /// Median CPU time per iteration of Name (the benchmark's thread), in ms.
  double CpuMilliseconds(const std::string& Name) const;
  /// Median of counter Counter of Name (0 when absent).
  double Counter(const std::string& Name, const std::string& Counter) const;
  /// Whether Name's figures are medians of repetitions.
  bool IsMedian(const std::string& Name) const;
  /// The runs that stopped on an error, as "name: message".
  const std::vector<std::string>& Errors() const { return Failures; }

 private:
  struct TFigures {
    double Milliseconds = 0;
    double CpuMilliseconds = 0;
    std::map<std::string, double> Counters;
    bool Median = false;
  };
  std::map<std::string, TFigures> Figures;
  std::vector<std::string> Failures;
};

/// Whether this is a smoke run (LA16_BENCH_SMOKE set, not "0"): every
/// benchmark once and briefly, to find errors, not to measure.
bool SmokeRun();

/// Prints one target line: "[met]" or "[MISSED]", then Text.
void PrintTargetLine(bool Met, const std::string& Text);

/// Formats Value with Decimals decimals.
std::string Fixed(double Value, int Decimals);

/// Runs the program's benchmarks, 15 repetitions each unless the command line
/// or the benchmark says otherwise (once in a smoke run), then calls Summary
/// to print the target lines. Returns the program's exit status: 1 when a
/// benchmark stopped on an error, never for a missed target.
int RunBenchmarks(int Argc, char** Argv,
                  const std::function<void(const TMedianReporter&)>& Summary);
