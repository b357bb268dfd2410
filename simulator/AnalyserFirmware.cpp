// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/AnalyserFirmware.h"

#include <algorithm>

namespace {

// Parameter bytes each command reads after its code.
int ParameterCount(std::uint8_t Code) {
  switch (Code) {
    case cmdTimeBase:
    case cmdTriggerPattern:
    case cmdTriggerMode:
    case cmdPull:
      return 1;
    case cmdViewPosition:
    case cmdPcSpeed:
      return 2;
    default:
      return 0;
  }
}

constexpr std::uint8_t TriggerOff = 0;
constexpr std::uint8_t TriggerInternal = 1;
constexpr std::uint8_t TriggerExternalHigh = 2;
constexpr std::uint8_t TriggerExternalLow = 3;

// The counter on inputs 1 to 8 shows every value once in 256 steps, so a
// pattern is always found within this many samples.
constexpr int TriggerScanSamples = 256 * CounterSamplesPerStep + CounterSamplesPerStep;

}  // namespace

std::optional<TFirmwareCommand> ParseOutputReport(const std::uint8_t* Report, std::size_t Size) {
  if (Report == nullptr || Size < 2 || Report[0] != 0) {
    return std::nullopt;
  }
  const std::uint8_t Code = Report[1];
  if (Code < cmdTimeBase || Code > cmdPcSpeed) {
    return std::nullopt;
  }
  const int Parameters = ParameterCount(Code);
  if (Size < static_cast<std::size_t>(2 + Parameters)) {
    return std::nullopt;
  }
  TFirmwareCommand Command;
  Command.Code = Code;
  Command.P1 = Parameters >= 1 ? Report[2] : 0;
  Command.P2 = Parameters >= 2 ? Report[3] : 0;
  return Command;
}

TSimTime ReportInterval(std::uint16_t PcSpeed) {
  const TSimTime Speed = std::clamp<TSimTime>(PcSpeed, 100, 1000);
  return Speed * 10 * SimTicksPerMicrosecond;
}

void TAnalyserFirmware::Execute(const TFirmwareCommand& Command, TSimTime Now) {
  switch (Command.Code) {
    case cmdTimeBase:
      // A code that names no time base would leave the sample clock undefined.
      if (SamplePeriodOfCode(Command.P1) > 0) {
        Current.TimeBaseCode = Command.P1;
        RestartAcquisition(Now);
      }
      break;
    case cmdLoop:
      Current.Looping = true;
      if (Current.Activity == TFirmwareActivity::Idle) {
        BeginAcquisition(Now);
      }
      break;
    case cmdHalt:
      Current.Looping = false;
      AcquisitionRequested = false;
      if (Current.Activity == TFirmwareActivity::Acquiring) {
        Current.Activity = TFirmwareActivity::Idle;
      }
      break;
    case cmdSingle:
      Current.Looping = false;
      if (Current.Activity == TFirmwareActivity::Restituting) {
        AcquisitionRequested = true;
      } else {
        BeginAcquisition(Now);
      }
      break;
    case cmdClose:
    case cmdAttach:
      Current.Looping = false;
      AcquisitionRequested = false;
      ViewPending = false;
      Current.Activity = TFirmwareActivity::Idle;
      Blocks.clear();
      break;
    case cmdViewPosition:
      Current.ViewOffset =
          static_cast<std::uint16_t>(std::min<int>(Command.P1 << 8 | Command.P2, MaxViewOffset));
      ViewPending = true;
      break;
    case cmdTriggerPattern:
      Current.TriggerPattern = Command.P1;
      RestartAcquisition(Now);
      break;
    case cmdTriggerMode:
      if (Command.P1 <= TriggerExternalLow) {
        Current.TriggerMode = Command.P1;
        RestartAcquisition(Now);
      }
      break;
    case cmdPull:
      if (Command.P1 <= 1) {
        Current.PullUp = Command.P1 == 1;
        RestartAcquisition(Now);
      }
      break;
    case cmdPcSpeed:
      Current.PcSpeed = static_cast<std::uint16_t>(Command.P1 << 8 | Command.P2);
      break;
    default:
      break;
  }
  // A halted acquisition leaves a pending view to be served from memory.
  if (Current.Activity == TFirmwareActivity::Idle && ViewPending) {
    BeginRestitution(Now);
  }
}

std::optional<TSimTime> TAnalyserFirmware::NextEventTime() const {
  switch (Current.Activity) {
    case TFirmwareActivity::Acquiring:
      return AcquisitionEnd;
    case TFirmwareActivity::Restituting:
      if (LastReportTime) {
        return std::max(RestitutionStart, *LastReportTime + ReportInterval(Current.PcSpeed));
      }
      return RestitutionStart;
    case TFirmwareActivity::Idle:
      break;
  }
  return std::nullopt;
}

std::optional<TInputBlock> TAnalyserFirmware::Advance(TSimTime Now) {
  const std::optional<TSimTime> Due = NextEventTime();
  if (!Due || Now < *Due) {
    return std::nullopt;
  }
  if (Current.Activity == TFirmwareActivity::Acquiring) {
    Recorded = Recording;
    ++Current.AcquisitionCount;
    BeginRestitution(Now);
    return std::nullopt;
  }
  const TInputBlock Block = Blocks[NextBlock++];
  LastReportTime = Now;
  ++Current.BlocksSent;
  if (NextBlock == Blocks.size()) {
    ++Current.RestitutionCount;
    EndRestitution(Now);
  }
  return Block;
}

std::array<std::uint16_t, SamplesPerWindow> TAnalyserFirmware::Window(int Offset) const {
  const auto First = static_cast<std::size_t>(std::clamp(Offset, 0, MaxViewOffset));
  std::array<std::uint16_t, SamplesPerWindow> Samples{};
  std::copy_n(Recorded.begin() + static_cast<std::ptrdiff_t>(First), Samples.size(),
              Samples.begin());
  return Samples;
}

void TAnalyserFirmware::BeginAcquisition(TSimTime Now) {
  AcquisitionRequested = false;
  const TSimTime Period = SamplePeriodOfCode(Current.TimeBaseCode);
  Current.TriggerTime = FindTrigger(Now, Period);
  if (Fixed) {
    Recording = *Fixed;
  } else {
    for (std::size_t I = 0; I < Recording.size(); ++I) {
      Recording[I] = Signals.Inputs(Current.TriggerTime + static_cast<TSimTime>(I) * Period, Period,
                                    Current.PullUp);
    }
  }
  AcquisitionEnd = Current.TriggerTime + MemorySamples * Period;
  Current.Activity = TFirmwareActivity::Acquiring;
}

void TAnalyserFirmware::RestartAcquisition(TSimTime Now) {
  if (Current.Activity == TFirmwareActivity::Acquiring) {
    BeginAcquisition(Now);
  }
}

void TAnalyserFirmware::BeginRestitution(TSimTime Now) {
  Blocks = BuildRestitution(Window(Current.ViewOffset));
  NextBlock = 0;
  ViewPending = false;
  RestitutionStart = Now;
  Current.Activity = TFirmwareActivity::Restituting;
}

void TAnalyserFirmware::EndRestitution(TSimTime Now) {
  Blocks.clear();
  Current.Activity = TFirmwareActivity::Idle;
  if (ViewPending) {
    BeginRestitution(Now);
  } else if (Current.Looping || AcquisitionRequested) {
    BeginAcquisition(Now);
  }
}

// The trigger is sampled on the sample clock that starts with the command:
// the first sample that meets the condition becomes sample 0. The external
// input is edge-latched, so even a pulse shorter than a sample period fires,
// and a level already present when the wait starts does not: the line must
// enter the chosen level.
TSimTime TAnalyserFirmware::FindTrigger(TSimTime Start, TSimTime Period) const {
  switch (Current.TriggerMode) {
    case TriggerInternal:
      for (int K = 0; K < TriggerScanSamples; ++K) {
        const TSimTime T = Start + K * Period;
        if (TSignalGenerator::Counter(T, Period) == Current.TriggerPattern) {
          return T;
        }
      }
      return Start + TriggerScanSamples * Period;
    case TriggerExternalHigh:
    case TriggerExternalLow: {
      const TSimTime Edge =
          TSignalGenerator::NextExternalEdge(Start, Current.TriggerMode == TriggerExternalHigh);
      const TSimTime Samples = (Edge - Start + Period - 1) / Period;
      return Start + Samples * Period;
    }
    case TriggerOff:
    default:
      return Start;
  }
}
