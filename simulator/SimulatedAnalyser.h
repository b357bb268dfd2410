// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated analyser: its firmware on a thread of its own, answering
// output reports with input reports as the real device does. Qt-free.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "simulator/AnalyserFirmware.h"
#include "simulator/SimulationClock.h"

/// Options of a simulated analyser.
struct TSimulatorOptions {
  /// Wall seconds per simulated second: 1 paces everything like the real
  /// device, 0.5 runs twice as fast, 0 never waits (tests, benchmarks).
  double TimeScale = 1.0;
  /// Picks the data bytes of the I2C and SPI transfers on inputs 9 to 15.
  std::uint32_t Seed = 1;
  /// When set, what every acquisition records instead of the signals.
  std::optional<TSampleMemory> FixedMemory = std::nullopt;
};

/// Commands waiting for the firmware beyond this many are dropped, as a
/// device whose endpoint is full would refuse them.
inline constexpr std::size_t MaxQueuedCommands = 1024;

/// The simulated analyser. Output reports go in through ReceiveOutputReport;
/// input reports (report id 0, then a 64-byte block: InputReportSize bytes)
/// come out through the sink, called on the analyser's own thread with no
/// lock held, one report at a time. The sink may call ReceiveOutputReport and
/// Stop, but must not destroy the analyser.
///
/// Pacing, in simulated time: an acquisition lasts the wait for its trigger
/// plus 2047 sample periods (time per division / 30); reports go out one per
/// ReportInterval(PcSpeed), that is PcSpeed × 10 µs, never closer than 1 ms.
/// The behaviour of each command is described at TAnalyserFirmware.
class TSimulatedAnalyser {
 public:
  using TReportSink = std::function<void(const std::uint8_t* Report, std::size_t Size)>;

  /// Starts the firmware thread; the analyser is idle until a command comes.
  explicit TSimulatedAnalyser(TReportSink Sink, TSimulatorOptions Options = {});
  /// Stops the thread (see Stop).
  ~TSimulatedAnalyser();

  TSimulatedAnalyser(const TSimulatedAnalyser&) = delete;
  TSimulatedAnalyser& operator=(const TSimulatedAnalyser&) = delete;

  /// Takes one output report, report id byte first, as written to the device.
  /// Never blocks on the firmware: the command is queued for its thread.
  /// Reports the analyser does not know are ignored.
  void ReceiveOutputReport(const std::uint8_t* Report, std::size_t Size);

  /// Ends the firmware thread at once, whatever it is doing, and waits for
  /// it (unless called from the sink, which only asks). No report follows.
  /// Commands received afterwards are ignored.
  void Stop();

  /// Waits until every queued command has been taken and the firmware is idle
  /// (neither acquiring nor restituting, not looping). False on time-out.
  bool WaitIdle(std::chrono::milliseconds Timeout) const;

  /// Copies of the firmware's state and memory, consistent with each other.
  TFirmwareState State() const;
  TSampleMemory Memory() const;
  /// The current simulated time; inside the sink, the instant of that report.
  TSimTime SimulatedTime() const { return Clock.Now(); }
  /// The generator of the input signals.
  const TSignalGenerator& Generator() const { return Firmware.Generator(); }

 private:
  void Run();

  TReportSink Sink;
  TSimulationClock Clock;
  // The host only ever takes QueueMutex, held for a push: it never waits for
  // the firmware's work, which runs under FirmwareMutex. Never both at once.
  mutable std::mutex QueueMutex;
  std::condition_variable Wake;
  mutable std::condition_variable Settled;
  std::deque<TFirmwareCommand> Queue;
  bool Stopping = false;
  bool Idle = false;  ///< the thread waits for a command with nothing to do
  mutable std::mutex FirmwareMutex;
  TAnalyserFirmware Firmware;
  std::thread Worker;
};
