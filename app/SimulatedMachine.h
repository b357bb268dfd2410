// SPDX-License-Identifier: GPL-3.0-or-later
// The machine `la16 --simulate` runs on: a simulated HID platform holding a
// decoy interface from the start and the simulated analyser, paced in real
// time, plugged in a little later so that the plug-in panel shows first.
#pragma once

#include <QTimer>
#include <chrono>
#include <memory>

#include "link/SimulatedHidPlatform.h"
#include "simulator/SimulatedAnalyserDevice.h"

class TSimulatedMachine {
 public:
  static constexpr std::chrono::milliseconds DefaultPlugDelay{1000};

  /// Plugs the decoy in at once and the analyser after PlugDelay, once the
  /// event loop runs. Needs the application object.
  explicit TSimulatedMachine(std::chrono::milliseconds PlugDelay = DefaultPlugDelay,
                             TSimulatorOptions Options = {});
  TSimulatedMachine(const TSimulatedMachine&) = delete;
  TSimulatedMachine& operator=(const TSimulatedMachine&) = delete;

  TSimulatedHidPlatform& Platform() { return HidPlatform; }
  TSimulatedAnalyserDevice& Analyser() { return AnalyserDevice; }
  TSimulatedHidInterface& Decoy() { return *DecoyInterface; }

 private:
  // The platform outlives the interfaces plugged into it.
  TSimulatedHidPlatform HidPlatform;
  std::shared_ptr<TSimulatedHidInterface> DecoyInterface;
  TSimulatedAnalyserDevice AnalyserDevice;
  QTimer PlugTimer;
};
