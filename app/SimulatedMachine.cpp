// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SimulatedMachine.h"

TSimulatedMachine::TSimulatedMachine(std::chrono::milliseconds PlugDelay, TSimulatorOptions Options)
    : DecoyInterface(PlugDecoyInterface(HidPlatform)), AnalyserDevice(HidPlatform, Options) {
  PlugTimer.setSingleShot(true);
  PlugTimer.setInterval(PlugDelay);
  QObject::connect(&PlugTimer, &QTimer::timeout, &PlugTimer, [this] { AnalyserDevice.Plug(); });
  PlugTimer.start();
}
