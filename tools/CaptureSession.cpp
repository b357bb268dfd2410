// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureSession.h"

#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;

// The longest the loop sleeps between two looks at the session's state.
constexpr std::chrono::milliseconds PollStep{50};
// The controller's first enumeration runs as soon as the loop does.
constexpr std::chrono::seconds EnumerationLimit{10};

double Seconds(std::chrono::milliseconds Duration) {
  return static_cast<double>(Duration.count()) / 1000.0;
}

std::string WindowText(int K, int N, int Offset) {
  return "fenêtre " + std::to_string(K) + " sur " + std::to_string(N) + " (position " +
         std::to_string(Offset) + ")";
}

}  // namespace

TCaptureSession::TCaptureSession(THidPlatform& Platform, TPollMainThreadLoop& Loop)
    : Loop(Loop), Controller(std::make_unique<TJvHidDeviceController>(Platform, Loop)) {}

TCaptureSession::~TCaptureSession() {
  Release();
  Controller.reset();
}

void TCaptureSession::SetLimits(std::chrono::milliseconds NewWindowTimeout,
                                std::chrono::milliseconds NewStallLimit) {
  Policy.WindowTimeout = NewWindowTimeout;
  Policy.StallLimit = NewStallLimit;
}

void TCaptureSession::EnsureEnumerated() {
  if (Enumerated) {
    return;
  }
  // The first change notice always ends with OnDeviceChange.
  bool Changed = false;
  Controller->SetOnDeviceChange([&Changed](TJvHidDeviceController&) { Changed = true; });
  Loop.RunUntil([&Changed] { return Changed; }, EnumerationLimit);
  Controller->SetOnDeviceChange(nullptr);
  Enumerated = true;
}

std::vector<TFoundAnalyser> TCaptureSession::Analysers() {
  EnsureEnumerated();
  std::vector<TFoundAnalyser> Found;
  for (const TJvHidDevice* Listed : Controller->Devices()) {
    if (Listed->Plugged() && Listed->VendorID() == AnalyserVendorId &&
        Listed->ProductID() == AnalyserProductId) {
      Found.push_back(
          {Listed->PnPInfo().InterfacePath, Listed->VersionNumber(), Listed->ReadWriteAccess()});
    }
  }
  return Found;
}

std::variant<TCaptureResult, TCaptureFailure> TCaptureSession::Capture(
    const TCaptureOptions& Options, const TCaptureProgress& Progress) {
  if (std::optional<TCaptureFailure> Failure = Open(Options)) {
    Release();
    return *Failure;
  }
  std::variant<TCaptureResult, TCaptureFailure> Result = Acquire(Options, Progress);
  // End the session as the program ends its own: an analyser left waiting
  // for a trigger after a time-out stops, and the next host finds it as the
  // program leaves it. The samples are in hand, so a failure here changes
  // nothing.
  if (Attached && !Lost && Device->Plugged()) {
    Send({cmdClose, 0, 0, 0});
  }
  Release();
  return Result;
}

std::optional<TCaptureFailure> TCaptureSession::Open(const TCaptureOptions& Options) {
  EnsureEnumerated();
  TJvHidDevice* Found = nullptr;
  if (!Controller->CheckOutMatching(Found, AnalyserVendorId, AnalyserProductId)) {
    return NoAnalyserFailure(Options.Simulate);
  }
  Device.reset(Found);
  DevicePath = Device->PnPInfo().InterfacePath;
  if (!Device->ReadWriteAccess()) {
    return NoPermissionFailure(DevicePath);
  }
  // The read handle is open before the first command goes out, so the
  // answer cannot come before anyone listens.
  if (!Device->OpenReadHandle()) {
    return Device->Plugged() ? NoPermissionFailure(DevicePath)
                             : DeviceLostFailure(DevicePath, "débranché");
  }
  Device->SetOnUnplugged([this](TJvHidDevice&) { Lost = true; });
  Device->SetOnReportError([this](TJvHidDevice&, std::uint32_t Error) {
    Lost = true;
    ReadError = Error;
  });
  Device->SetOnReport([this](TJvHidDevice&, std::uint8_t, const std::uint8_t* Data,
                             std::uint16_t Size) { TakeReport(Data, Size); });
  if (!Device->ReaderRunning()) {
    return DeviceLostFailure(DevicePath, "lecture impossible");
  }
  return std::nullopt;
}

std::optional<TCaptureFailure> TCaptureSession::Send(const TCaptureCommand& Command) {
  LoadCommand(CommandReport, Command);
  const std::uint16_t Length = Device->QueryCaps().OutputReportByteLength;
  if (Length == 0) {
    return TransferFailure(DevicePath, "il ne déclare aucun rapport de sortie");
  }
  const std::vector<std::uint8_t> Report = CommandReport.OutputReport(Length);
  std::uint32_t Written = 0;
  if (Device->WriteReport(Report.data(), static_cast<std::uint32_t>(Report.size()), Written) &&
      Written == Report.size()) {
    return std::nullopt;
  }
  if (!Device->Plugged()) {
    Lost = true;
    return DeviceLostFailure(DevicePath, "débranché");
  }
  const THidError& Error = Device->LastWriteError();
  return TransferFailure(DevicePath, Error.Code != 0 ? Error.Message : "écriture partielle");
}

std::variant<TCaptureResult, TCaptureFailure> TCaptureSession::Acquire(
    const TCaptureOptions& Options, const TCaptureProgress& Progress) {
  for (const TCaptureCommand& Command : CaptureStartCommands(Options)) {
    if (std::optional<TCaptureFailure> Failure = Send(Command)) {
      return *Failure;
    }
    Attached = true;
  }

  // The single acquisition's own restitution only says the recording is
  // done: it shows whatever view the analyser held, which the tool does not
  // know. The windows are asked for by position afterwards.
  const std::string Waiting = "attente du déclenchement et de l'acquisition";
  if (Progress) {
    Progress(Waiting + "…");
  }
  TEnded Ended;
  switch (WaitForEnd(Options.Timeout, Ended)) {
    case TWaitEnd::Lost:
      return LostFailure();
    case TWaitEnd::TimedOut:
      return TimedOutFailure(Waiting, Seconds(*Options.Timeout));
    case TWaitEnd::Ended:
      break;
  }

  const std::vector<int> Offsets =
      Options.WindowOffset ? std::vector<int>{*Options.WindowOffset} : PlanWholeMemory();
  TFetchPolicy Limits = Policy;
  Limits.WindowTimeout = Options.Timeout.value_or(Policy.WindowTimeout);
  TMemoryFetch Memory(Limits, Offsets);
  std::variant<TCaptureResult, TCaptureFailure> Result = FetchWindows(Memory, Offsets, Progress);
  if (auto* Fetched = std::get_if<TCaptureResult>(&Result)) {
    Fetched->FirstIndex = Options.WindowOffset.value_or(0);
  }
  return Result;
}

std::variant<TCaptureResult, TCaptureFailure> TCaptureSession::FetchWindows(
    TMemoryFetch& Memory, const std::vector<int>& Offsets, const TCaptureProgress& Progress) {
  Fetch = &Memory;
  FetchProgress = &Progress;
  FetchOffsets = &Offsets;
  WindowAnnounced = -1;
  SendFailure.reset();
  Carry(Memory.Start(Clock::now()));
  while (!Memory.Ended() && !SendFailure) {
    if (Lost) {
      Carry(Memory.Lost());
      break;
    }
    const Clock::time_point Now = Clock::now();
    if (Now >= Wake) {
      Carry(Memory.TimeoutPassed(Now));
    } else {
      Loop.RunOnce(std::min<std::chrono::milliseconds>(
          PollStep, std::chrono::ceil<std::chrono::milliseconds>(Wake - Now)));
    }
  }
  Fetch = nullptr;
  if (SendFailure) {
    return *SendFailure;
  }
  if (Memory.Phase() == TMemoryFetch::TPhase::Done) {
    return TCaptureResult{Memory.Samples(), 0};
  }
  const TFetchFailure& Failure = Memory.Failure();
  switch (Failure.Problem) {
    case TFetchProblem::Lost:
      return LostFailure();
    case TFetchProblem::TimedOut:
      return TimedOutFailure(
          WindowText(Failure.Window + 1, static_cast<int>(Offsets.size()), Failure.Offset),
          Seconds(Memory.Limits().WindowTimeout));
    case TFetchProblem::Incomplete:
      return IncompleteWindowFailure(Failure.Offset, Memory.Limits().WindowAttempts);
    case TFetchProblem::Inconsistent:
      break;
  }
  return TCaptureFailure{CaptureInconsistent, Failure.Detail};
}

void TCaptureSession::Carry(const TFetchActions& Actions) {
  if (Actions.WakeIn) {
    Wake = Clock::now() + *Actions.WakeIn;
  }
  if (!Actions.SendViewPosition || SendFailure) {
    return;
  }
  if (Fetch->Window() != WindowAnnounced && *FetchProgress) {
    WindowAnnounced = Fetch->Window();
    (*FetchProgress)(WindowText(WindowAnnounced + 1, static_cast<int>(FetchOffsets->size()),
                                *Actions.SendViewPosition) +
                     "…");
  }
  SendFailure = Send(ViewPositionCommand(*Actions.SendViewPosition));
}

TCaptureSession::TWaitEnd TCaptureSession::WaitForEnd(
    std::optional<std::chrono::milliseconds> Timeout, TEnded& Ended) {
  const Clock::time_point Start = Clock::now();
  for (;;) {
    if (!Ends.empty()) {
      Ended = Ends.front();
      Ends.pop_front();
      return TWaitEnd::Ended;
    }
    if (Lost) {
      return TWaitEnd::Lost;
    }
    const Clock::time_point Now = Clock::now();
    if (Receiver.InProgress() && Now - LastReport >= Policy.StallLimit) {
      // Its end block will not come now.
      Receiver.Abandon();
      Ended = {TRestitutionReceiver::TOutcome::Incomplete, {}};
      return TWaitEnd::Ended;
    }
    auto Step = PollStep;
    if (Timeout) {
      const auto Left =
          std::chrono::duration_cast<std::chrono::milliseconds>(Start + *Timeout - Now);
      if (Left <= std::chrono::milliseconds::zero()) {
        return TWaitEnd::TimedOut;
      }
      Step = std::min(Step, Left);
    }
    Loop.RunOnce(Step);
  }
}

void TCaptureSession::TakeReport(const std::uint8_t* Data, std::uint16_t Size) {
  LastReport = Clock::now();
  if (Fetch != nullptr) {
    Carry(Fetch->Answer(Data, Size, LastReport));
    return;
  }
  const TRestitutionReceiver::TOutcome Outcome = Receiver.Take(Data, Size);
  if (Outcome == TRestitutionReceiver::TOutcome::Complete) {
    Ends.push_back({Outcome, Receiver.Window()});
  } else if (Outcome == TRestitutionReceiver::TOutcome::Incomplete) {
    Ends.push_back({Outcome, {}});
  }
}

TCaptureFailure TCaptureSession::LostFailure() const {
  if (ReadError != 0 && Device->Plugged()) {
    return DeviceLostFailure(
        DevicePath,
        "lecture impossible (" + THidError::FromCode(static_cast<int>(ReadError)).Message + ")");
  }
  return DeviceLostFailure(DevicePath, "débranché");
}

void TCaptureSession::Release() {
  // Stopping the reader may still run reports it handed over; they land in
  // this session, which is still whole.
  Device.reset();
  Ends.clear();
}
