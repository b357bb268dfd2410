// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated analyser's firmware as a state machine driven by simulated
// time: no thread and no clock of its own, so every step can be replayed
// exactly. TSimulatedAnalyser runs it on a thread. Qt-free.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "acquisition/SampleBuffer.h"
#include "link/AnalyserProtocol.h"
#include "simulator/SimulatedSignals.h"

/// Samples kept in the analyser's memory, and the last view offset that
/// still shows 450 of them.
inline constexpr int MemorySamples = 2047;
inline constexpr int MaxViewOffset = 1597;

/// The memory: sample 0 is the trigger instant; bit k - 1 is input k.
using TSampleMemory = std::array<std::uint16_t, MemorySamples>;

/// One 64-byte input block, as BuildRestitution makes them.
using TInputBlock = std::array<std::uint8_t, BlockSize>;

/// A command as the firmware takes it from an output report.
struct TFirmwareCommand {
  std::uint8_t Code = 0;
  std::uint8_t P1 = 0;
  std::uint8_t P2 = 0;
};

/// The command of an output report (report id byte first), or nothing when the
/// report is not one the analyser knows: null, report id not 0, unknown code,
/// or too short to hold the parameters its code needs.
std::optional<TFirmwareCommand> ParseOutputReport(const std::uint8_t* Report, std::size_t Size);

/// What the firmware is busy with.
enum class TFirmwareActivity {
  Idle,         ///< waiting for a command
  Acquiring,    ///< waiting for the trigger, then recording
  Restituting,  ///< sending the 18 blocks of a restitution
};

/// The firmware's settings and progress, as tests and tools read them.
struct TFirmwareState {
  std::uint8_t TimeBaseCode = ::TimeBaseCode(3, 0);  ///< 1 ms per division at power-on
  std::uint8_t TriggerMode = 0;                      ///< 0 off, 1 internal, 2 ext. high, 3 ext. low
  std::uint8_t TriggerPattern = 0;                   ///< inputs 1 to 8 at the trigger (mode 1)
  bool PullUp = true;                                ///< level of the floating input 16
  std::uint16_t PcSpeed = 100;                       ///< as received; pacing clamps it to 100..1000
  std::uint16_t ViewOffset = 0;                      ///< 0..MaxViewOffset
  TFirmwareActivity Activity = TFirmwareActivity::Idle;
  bool Looping = false;               ///< acquire again after each restitution
  std::int64_t AcquisitionCount = 0;  ///< recordings completed
  std::int64_t RestitutionCount = 0;  ///< restitutions whose 18 blocks all went out
  std::int64_t BlocksSent = 0;        ///< input blocks sent in all
  TSimTime TriggerTime = 0;           ///< instant of sample 0 of the memory
};

/// Time between two reports at a PC speed: PcSpeed × 10 µs (1 ms at 100, 10 ms
/// at 1000), the value clamped to 100..1000 so that it never beats the USB
/// full-speed interrupt limit of one report per millisecond.
TSimTime ReportInterval(std::uint16_t PcSpeed);

/// The firmware. Execute applies a command at a simulated instant; the owner
/// then waits until NextEventTime and calls Advance, which sends at most one
/// block. Commands may come at any instant in between.
///
/// What a command does to work in progress:
/// - cmdSingle ends a loop; it restarts an acquisition in progress and runs
///   after a restitution in progress.
/// - cmdLoop starts acquiring when idle; otherwise the work in progress goes
///   on and acquisitions follow each restitution.
/// - cmdHalt ends a loop and abandons an acquisition in progress (the memory
///   keeps the previous recording); a restitution in progress is finished so
///   the host never sees a truncated one.
/// - cmdClose and cmdAttach stop everything at once, restitution included,
///   and forget a pending view: a new host starts with a silent analyser.
/// - cmdViewPosition is answered by the next restitution to begin: at once
///   when idle, by the acquisition's own restitution while acquiring, and
///   right after the one in progress (before the loop acquires again) while
///   restituting. Positions that arrive before it begins collapse into one.
/// - A time base, trigger mode, trigger pattern or pull change restarts an
///   acquisition in progress, so the next restitution shows its effect.
/// - A PC speed change paces the very next report.
/// - Values it cannot use (a code that names no time base, a trigger mode
///   above 3, a pull other than 0 or 1) are ignored; a view offset beyond
///   MaxViewOffset is clamped to it.
///
/// With a fixed memory, every acquisition records those samples instead of
/// the generated signals; the trigger wait and all timing stay the same.
class TAnalyserFirmware {
 public:
  explicit TAnalyserFirmware(std::uint32_t Seed = 1,
                             std::optional<TSampleMemory> FixedMemory = std::nullopt)
      : Signals(Seed), Fixed(std::move(FixedMemory)) {}

  /// Applies one command received at Now.
  void Execute(const TFirmwareCommand& Command, TSimTime Now);
  /// When the next step is due, or nothing while idle.
  std::optional<TSimTime> NextEventTime() const;
  /// Takes the step due at Now (no-op if none is due): completes a recording,
  /// or returns the next block of the restitution.
  std::optional<TInputBlock> Advance(TSimTime Now);

  const TFirmwareState& State() const { return Current; }
  const TSampleMemory& Memory() const { return Recorded; }
  /// Samples Offset to Offset + 449 of the memory (Offset clamped to 0..MaxViewOffset).
  std::array<std::uint16_t, SamplesPerWindow> Window(int Offset) const;
  const TSignalGenerator& Generator() const { return Signals; }

 private:
  void BeginAcquisition(TSimTime Now);
  void BeginRestitution(TSimTime Now);
  void EndRestitution(TSimTime Now);
  TSimTime FindTrigger(TSimTime Start, TSimTime Period) const;
  void RestartAcquisition(TSimTime Now);

  TSignalGenerator Signals;
  std::optional<TSampleMemory> Fixed;
  TFirmwareState Current;
  TSampleMemory Recorded{};
  TSampleMemory Recording{};
  bool AcquisitionRequested = false;
  bool ViewPending = false;
  TSimTime AcquisitionEnd = 0;
  std::vector<TInputBlock> Blocks;
  std::size_t NextBlock = 0;
  TSimTime RestitutionStart = 0;
  std::optional<TSimTime> LastReportTime;
};
