// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/SimulatedAnalyserDevice.h"

#include "link/AnalyserProtocol.h"

TSimulatedInterfaceOptions SimulatedAnalyserInterfaceOptions() {
  return {AnalyserVendorId, AnalyserProductId, SimulatedAnalyserVersion,
          static_cast<std::uint16_t>(InputReportSize), static_cast<std::uint16_t>(InputReportSize)};
}

TSimulatedInterfaceOptions DecoyInterfaceOptions() {
  // A boot keyboard: 8-byte input reports, a 1-byte LED output report.
  return {0x046D, 0xC31C, 0x6400, 9, 2};
}

std::shared_ptr<TSimulatedHidInterface> PlugDecoyInterface(TSimulatedHidPlatform& Platform) {
  return Platform.PlugNew(DecoyInterfaceOptions());
}

TSimulatedAnalyserDevice::TSimulatedAnalyserDevice(TSimulatedHidPlatform& Platform,
                                                   TSimulatorOptions Options)
    : Platform(Platform),
      Options(Options),
      Interface(std::make_shared<TSimulatedHidInterface>(SimulatedAnalyserInterfaceOptions())) {}

TSimulatedAnalyserDevice::~TSimulatedAnalyserDevice() {
  Unplug();
}

void TSimulatedAnalyserDevice::Plug() {
  if (Interface->Plugged()) {
    return;
  }
  // The firmware's thread only ever reaches the interface, which outlives
  // every analyser made here.
  TSimulatedHidInterface* Target = Interface.get();
  Current = std::make_shared<TSimulatedAnalyser>(
      [Target](const std::uint8_t* Report, std::size_t Size) {
        Target->InjectReport(Report, Size);
      },
      Options);
  std::weak_ptr<TSimulatedAnalyser> Weak = Current;
  Interface->SetWriteHook([Weak](const std::uint8_t* Report, std::size_t Size) {
    if (const std::shared_ptr<TSimulatedAnalyser> Analyser = Weak.lock()) {
      Analyser->ReceiveOutputReport(Report, Size);
    }
  });
  Platform.Plug(Interface);
}

void TSimulatedAnalyserDevice::Unplug() {
  if (Current) {
    Current->Stop();
  }
  Interface->SetWriteHook(nullptr);
  Platform.Unplug(*Interface);
}
