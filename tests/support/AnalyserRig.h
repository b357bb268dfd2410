// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on the fake environment's simulated HID platform, with the
// means to plug analysers and other devices in and out, to wait until the
// window has dealt with them, and to read what went out on the wire.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/SampleBuffer.h"
#include "link/SimulatedHidPlatform.h"
#include "simulator/SimulatedAnalyserDevice.h"
#include "tests/support/FormHarness.h"

/// The analyser's interface: its ids, 64 bytes after the report id both ways.
inline TSimulatedInterfaceOptions AnalyserInterface() {
  return SimulatedAnalyserInterfaceOptions();
}

/// Bytes 0 to 3 of an output report.
using TReportHead = std::array<std::uint8_t, 4>;

/// A window of 450 samples: inputs 1-8 in the low byte, 9-16 in the high byte.
using TWindow = std::array<std::uint16_t, SamplesPerWindow>;

/// The window SampleBuffer holds.
inline TWindow Held(const TSampleBuffer& Buffer) {
  TWindow Window{};
  for (int N = 1; N <= SamplesPerWindow; ++N) {
    Window[static_cast<std::size_t>(N - 1)] =
        static_cast<std::uint16_t>(Buffer.Cell(1, N) | Buffer.Cell(2, N) << 8);
  }
  return Window;
}

class TAnalyserRig {
 public:
  /// Starts the window with PcSpeed on line 8 and Pull on line 6 of its
  /// settings file.
  TForm1& Start(const std::string& PcSpeed, const std::string& Pull);

  /// Plugs a new interface in and waits until the window has handled its
  /// arrival.
  std::shared_ptr<TSimulatedHidInterface> Plug(const TSimulatedInterfaceOptions& Options);
  /// Plugs in a simulated analyser that answers at once, never waiting.
  TSimulatedAnalyserDevice& PlugAnswering();
  /// Unplugs Interface and waits until the window has handled its removal.
  void Unplug(TSimulatedHidInterface& Interface);

  /// Queues one input report (report id first) and waits until the window's
  /// report handler has run for it.
  void Deliver(TSimulatedHidInterface& Interface, const std::vector<std::uint8_t>& Report);
  /// Delivers the 18 reports of a whole restitution of Window, in the
  /// analyser's order.
  void DeliverRestitution(TSimulatedHidInterface& Interface, const TWindow& Window);
  /// Wraps the held analyser's report handler so that Deliver can tell when
  /// a report was handled, and After (if set) runs after each one.
  void CountReports(std::function<void()> After = {});
  int ReportsHandled() const { return *Handled; }

  /// Whether the controller lists a plugged device for Interface's plug-in.
  bool Listed(const TSimulatedHidInterface& Interface) const;
  /// Runs Qt's event loop until Done() or the timeout.
  static bool RunUntil(const std::function<bool()>& Done,
                       std::chrono::milliseconds Timeout = std::chrono::seconds(5));
  /// Runs Qt's event loop for a while, for checks that something did not happen.
  static void Idle(std::chrono::milliseconds Duration = std::chrono::milliseconds(100));

  /// Bytes 0 to 3 of every output report written to Interface.
  static std::vector<TReportHead> Heads(const TSimulatedHidInterface& Interface);

  TFormHarness Harness;
  TForm1* Form = nullptr;
  std::vector<std::unique_ptr<TSimulatedAnalyserDevice>> Analysers;

 private:
  std::shared_ptr<int> Handled = std::make_shared<int>(0);
};

/// The input report that carries Block: report id 0, then the block's bytes.
std::vector<std::uint8_t> BlockReport(const std::array<std::uint8_t, BlockSize>& Block);

/// One input report: report id 0, the block code, then Bytes.
std::vector<std::uint8_t> BlockReport(std::uint8_t Code,
                                      const std::vector<std::uint8_t>& Bytes = {});
