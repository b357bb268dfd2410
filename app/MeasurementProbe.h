// Measurement hooks for the benchmarks, off unless the environment variable
// LA16_PROBE asks for one. Each prints one line beginning "la16-probe" on
// standard output and quits:
//   LA16_PROBE=first-paint   at the first paint of the main window: the
//                            monotonic clock in ns (CLOCK_MONOTONIC, the same
//                            for every process) and the peak resident memory.
//   LA16_PROBE=loop:SECONDS  once the analyser is attached: a looped
//                            acquisition at 1 µs per division; after one second
//                            of warm-up, SECONDS of it measured: restitutions
//                            shown, CPU time of the process and of each thread;
//                            then it halts the acquisition (writing 1.bmp).
// bench/ProgramBench.cpp runs the program with them.
#pragma once

#include <optional>
#include <string_view>

class TForm1;

/// A hook LA16_PROBE may ask for.
struct TProbeRequest {
  enum TKind { FirstPaint, Loop };
  TKind Kind = FirstPaint;
  /// Measured seconds of the loop (1 to 3600).
  int Seconds = 0;
};

/// The hook a value of LA16_PROBE asks for; nothing for any other value.
std::optional<TProbeRequest> ParseProbeRequest(std::string_view Value);

/// Installs the hook LA16_PROBE asks for on the main window, before it is
/// shown. A value not understood is reported on standard error and ignored.
void InstallMeasurementProbe(TForm1& Form);
