// SPDX-License-Identifier: GPL-3.0-or-later
// The values a run shares between handlers: one instance, held by the main
// window, touched on the user-interface thread only. The settings lines and
// the analyser device live in TForm1 itself; the back buffer is Image1's
// picture.
#pragma once

#include <cstdint>

#include "acquisition/SampleBuffer.h"
#include "display/ClockStamp.h"
#include "link/AnalyserProtocol.h"

/// Zero at load; start-up gives each its start value. Flags hold 0 or 1.
struct TApplicationState {
  /// The one send buffer; never cleared between commands.
  TCommandReport CommandReport;
  /// Selected time base, 4 to 21 (13 is 1 ms per division).
  std::int32_t TimeBaseIndex = 0;
  /// 1 after a single acquisition was started, 0 after a looped one.
  std::int32_t SingleShot = 0;
  /// Trigger pattern of inputs 1 to 8, 0 to 255; bit k-1 is input k.
  std::int32_t TriggerPattern = 0;
  /// The 450 samples of each group last received.
  TSampleBuffer SampleBuffer;
  /// Restitutions begun (reports with block code 1); never reset.
  std::int32_t RestitutionCount = 0;
  /// 1 after a halt or a single acquisition, 0 while looping.
  std::int32_t AcquisitionStopped = 0;
  /// 1 while a mouse button is held on the trace picture.
  std::int32_t MouseHeld = 0;
  /// Set by every clock stamp drawing.
  TClockStamp ClockStamp;
};
