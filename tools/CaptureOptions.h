// SPDX-License-Identifier: GPL-3.0-or-later
// Command line of la16-capture: what to capture, how to configure the
// analyser and where to write the samples. Parsing is a pure function over the
// argument texts so any argv can be thrown at it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "acquisition/SampleExport.h"
#include "acquisition/TimeBase.h"
#include "analysis/DecoderTable.h"
#include "tools/CaptureStatus.h"

/// Trigger modes, valued as cmdTriggerMode's parameter.
enum class TCaptureTriggerMode : std::uint8_t {
  Off = 0,           ///< no trigger
  PatternEqual = 1,  ///< inputs 1 to 8 equal to the pattern
  ExternalHigh = 2,  ///< external trigger, high level
  ExternalLow = 3,   ///< external trigger, low level
};

/// Input pull; Unchanged leaves the analyser with the pull it holds.
enum class TCapturePull { Unchanged, Down, Up };

/// Everything the command line decides.
struct TCaptureOptions {
  bool Help = false;      ///< --help: print the help and do nothing else
  bool Version = false;   ///< --version: print the version and do nothing else
  bool List = false;      ///< --list: print the analysers found and stop
  bool Simulate = false;  ///< --simulate: use the simulated analyser
  /// --time-base; the tool always sends it, since the export needs the period.
  const TTimeBase* TimeBase = FindTimeBase(DefaultTimeBaseIndex);
  TCaptureTriggerMode Trigger = TCaptureTriggerMode::Off;  ///< --trigger, always sent
  std::uint8_t TriggerPattern = 0;              ///< bit k-1 is input k; sent only with PatternEqual
  TCapturePull Pull = TCapturePull::Unchanged;  ///< --pull
  int PcSpeed = 100;                            ///< --pc-speed, 100..1000, sent at attach
  /// --window: the one window to export; empty for --whole (the default).
  std::optional<int> WindowOffset;
  TExportFormat Format = TExportFormat::Vcd;  ///< --format, else from the extension
  std::string OutputPath;                     ///< -o; empty for standard output
  /// --timeout: longest wait for the analyser; empty to wait as long as it takes.
  std::optional<std::chrono::milliseconds> Timeout;
  /// --input: the capture file read instead of the analyser; empty for none.
  std::string InputPath;
  std::vector<TDecoderSpec> Decoders;  ///< every --decode, in order
  bool Measure = false;                ///< --measure
  std::string ReportPath;              ///< --report; empty for standard output
  /// Whether the samples are written: always, but with --decode or --measure
  /// only when -o is given.
  bool WriteSamples = true;
  /// Whether annotations or figures are printed.
  bool Reports() const { return Measure || !Decoders.empty(); }
};

/// Highest view offset the analyser accepts: its last window ends on its last sample.
inline constexpr int LastViewOffset = 1597;
/// PC speed limits.
inline constexpr int MinPcSpeed = 100;
inline constexpr int MaxPcSpeed = 1000;
/// Longest --timeout accepted, in seconds.
inline constexpr int MaxTimeoutSeconds = 86400;

/// Parses the arguments that follow the program name. Returns the options,
/// or a failure with CaptureBadArguments and a one-line message naming the
/// offending argument. --help and --version end the parse at once with Help
/// or Version set.
std::variant<TCaptureOptions, TCaptureFailure> ParseCaptureArguments(
    const std::vector<std::string>& Arguments);

/// The text printed by --help (French, several lines, ends with a newline).
std::string CaptureHelpText();

/// The time base whose caption is Text, "us" standing for "µs"; nullptr if none.
const TTimeBase* FindCaptureTimeBase(std::string_view Text);
