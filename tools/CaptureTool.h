// SPDX-License-Identifier: GPL-3.0-or-later
// la16-capture from its arguments to its exit status, with everything the
// outside world decides passed in, so that the whole program runs in a test.
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "link/HidPlatform.h"

/// Environment variable giving the simulated analyser's time scale (wall
/// seconds per simulated second, 0 for no waiting at all); real time when unset.
inline constexpr const char* SimulationTimeScaleVariable = "LA16_SIMULATION_TIME_SCALE";

/// What la16-capture gets from outside.
struct TCaptureToolEnvironment {
  TCaptureToolEnvironment(std::ostream& Out, std::ostream& Err) : Out(Out), Err(Err) {}

  std::ostream& Out;  ///< samples written to standard output, --list, --help
  std::ostream& Err;  ///< messages
  /// Whether progress lines go to Err (it is a terminal).
  bool ShowProgress = false;
  /// The platform of the real analysers (the Linux one in the program).
  std::function<std::unique_ptr<THidPlatform>()> HardwarePlatform;
  /// Value of SimulationTimeScaleVariable, if set.
  std::optional<std::string> SimulationTimeScale;
  /// When the capture is taken (CaptureDateText): the VCD's $date, the
  /// session's date.
  std::string Date;
  /// Shorter limits for the waits of a capture, for tests.
  std::optional<std::chrono::milliseconds> WindowTimeout;
  std::optional<std::chrono::milliseconds> StallLimit;
};

/// Runs la16-capture with Arguments (without the program name); returns the
/// exit status (TCaptureStatus).
int RunCaptureTool(const std::vector<std::string>& Arguments, TCaptureToolEnvironment& Env);

/// A date and time as the window records them in its files, ISO 8601
/// without a zone: "2026-03-01T09:07:05".
std::string CaptureDateText(const std::tm& Local);

/// The time scale in Text: a decimal number from 0 to 1000; nothing if it is
/// not one.
std::optional<double> ParseTimeScale(const std::string& Text);
