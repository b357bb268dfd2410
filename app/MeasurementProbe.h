// SPDX-License-Identifier: GPL-3.0-or-later
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
//   LA16_PROBE=steps:STEP,STEP,...
//                            drives the window through the steps in order, each
//                            printing "la16-probe STEP ..." once done:
//     attached   waits for the analyser; prints reader=0|1 (a reader runs)
//     detached   waits until the window has lost it and waits for it again;
//                prints restitutions=N shown so far, window=PATH of a
//                picture of the window (detached.png beside 1.bmp) and
//                status=panel 0's text
//     loop       clicks the loop button
//     shown:N    waits for N more restitutions shown (their end block drawn)
//     halt       clicks halt, waits until no restitution is under way and
//                none came for half a second; prints snapshot=PATH of 1.bmp
//     scroll:P   sets the scroll position P (0 to 1597) and waits for the
//                window it asks for to be shown; prints snapshot=PATH
//     quit       the "Quitter" command
//                            It stays silent while a step waits: whoever runs it
//                            bounds the wait. The real-kernel scenarios use it.
// bench/ProgramBench.cpp runs the program with the first two.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

class TForm1;

/// One step of LA16_PROBE=steps:...
struct TProbeStep {
  enum TKind { Attached, Loop, Shown, Halt, Scroll, Quit, Export, Detached };
  TKind Kind = Attached;
  /// Restitutions for Shown (1 to 100000), position for Scroll (0 to 1597),
  /// format for Export (ExportFormats' index: "export:sr", ":vcd", ":csv").
  int Value = 0;
  bool operator==(const TProbeStep&) const = default;
};

/// File extensions of the export step, in TProbeStep::Value's order.
inline constexpr const char* ExportFormats[] = {"sr", "vcd", "csv"};

/// A hook LA16_PROBE may ask for.
struct TProbeRequest {
  enum TKind { FirstPaint, Loop, Steps };
  TKind Kind = FirstPaint;
  /// Measured seconds of the loop (1 to 3600).
  int Seconds = 0;
  /// The steps of Steps, at least one.
  std::vector<TProbeStep> Script;
};

/// The hook a value of LA16_PROBE asks for; nothing for any other value.
std::optional<TProbeRequest> ParseProbeRequest(std::string_view Value);

/// Installs the hook LA16_PROBE asks for on the main window, before it is
/// shown. A value not understood is reported on standard error and ignored.
void InstallMeasurementProbe(TForm1& Form);
