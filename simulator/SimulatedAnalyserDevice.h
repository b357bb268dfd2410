// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated analyser as a device on the simulated HID platform: an
// interface with the analyser's ids whose output reports go to the firmware
// and whose input reports come from it. Also a decoy interface with other ids,
// which a program looking for the analyser must pass over. Qt-free.
#pragma once

#include <cstdint>
#include <memory>

#include "link/SimulatedHidPlatform.h"
#include "simulator/SimulatedAnalyser.h"

/// Version number the simulated analyser's interface reports.
inline constexpr std::uint16_t SimulatedAnalyserVersion = 0x0100;

/// What the simulated analyser's interface declares: the analyser's ids and
/// 64-byte reports after the report id, both ways.
TSimulatedInterfaceOptions SimulatedAnalyserInterfaceOptions();

/// What the decoy declares: a keyboard of another vendor.
TSimulatedInterfaceOptions DecoyInterfaceOptions();

/// Plugs a decoy HID interface into Platform and returns it. It answers
/// nothing; unplug it with Platform.Unplug().
std::shared_ptr<TSimulatedHidInterface> PlugDecoyInterface(TSimulatedHidPlatform& Platform);

/// A simulated analyser that can be plugged into and unplugged from a
/// simulated platform. Each plug-in powers up a fresh analyser, as replugging
/// the real one does. Plug, Unplug and destruction are for the thread that
/// runs the platform (the main thread); the platform must outlive this object.
///
/// Unplugging stops the firmware first (no report follows), then detaches the
/// interface from it, then unplugs the interface, so no callback ever reaches
/// a stopped or destroyed analyser, whoever still holds the interface.
class TSimulatedAnalyserDevice {
 public:
  /// Creates the interface, unplugged. Options apply to every plug-in.
  explicit TSimulatedAnalyserDevice(TSimulatedHidPlatform& Platform,
                                    TSimulatorOptions Options = {});
  /// Unplugs.
  ~TSimulatedAnalyserDevice();
  TSimulatedAnalyserDevice(const TSimulatedAnalyserDevice&) = delete;
  TSimulatedAnalyserDevice& operator=(const TSimulatedAnalyserDevice&) = delete;

  /// Powers up a new analyser and plugs the interface in (with a new instance
  /// number). Does nothing while plugged.
  void Plug();
  /// Stops the analyser and unplugs the interface. Does nothing while unplugged.
  void Unplug();
  bool Plugged() const { return Interface->Plugged(); }

  /// The analyser of the current plug-in, or of the last one once unplugged
  /// (stopped, its state and memory still readable); null before the first.
  TSimulatedAnalyser* Analyser() const { return Current.get(); }
  /// The interface, for its path and for the tests' fault injection.
  TSimulatedHidInterface& HidInterface() const { return *Interface; }

 private:
  TSimulatedHidPlatform& Platform;
  TSimulatorOptions Options;
  std::shared_ptr<TSimulatedHidInterface> Interface;
  // Shared so that a write hook copied by a writer on another thread keeps
  // the analyser alive until its call returns.
  std::shared_ptr<TSimulatedAnalyser> Current;
};
