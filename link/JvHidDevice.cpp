// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/JvHidControllerClass.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace {
constexpr int MinReaderWaitMs = 10;
constexpr int MaxReaderWaitMs = 10000;
constexpr int MaxHandOverPeriodMs = 1000;
constexpr std::uint32_t MaxReportSize = 0xFFFF;
}  // namespace

TJvHidDevice::TJvHidDevice(std::unique_ptr<TJvHidPnPInfo> PnPInfo,
                           TJvHidDeviceController& Controller)
    : Info(std::move(PnPInfo)),
      Owner(&Controller),
      Platform(Controller.Platform),
      MainLoop(Controller.Loop) {
  Serial = Controller.NextSerial++;
  // Not checked out yet, so taking the default handler starts no reader.
  SetOnReport(Controller.DeviceDataHandler);
  ReportFromController = true;
  UnpluggedHandler = Controller.DeviceUnplugHandler;
  UnpluggedFromController = true;

  THidError Error;
  auto Handle = Platform.OpenMain(Info->InterfacePath, Error);
  if (!Handle) {
    throw EControllerError("device cannot be opened");
  }
  HasReadWriteAccess = Handle->Access() == THidAccess::ReadWrite;
  if (!Handle->GetAttributes(Attributes, Error)) {
    throw EControllerError("device cannot be identified");
  }
}

TJvHidDevice::~TJvHidDevice() {
  TJvHidDataEvent RememberedReport = ReportHandler;
  const bool RememberedReportFromController = ReportFromController;
  TJvHidPlugEvent RememberedUnplugged = UnpluggedHandler;
  const bool RememberedUnpluggedFromController = UnpluggedFromController;
  SetOnReport(nullptr);
  UnpluggedHandler = nullptr;
  CloseMainHandle();
  CloseReadHandle();
  if (Owner != nullptr) {
    Owner->CheckIn(*this, std::move(RememberedReport), RememberedReportFromController,
                   std::move(RememberedUnplugged), RememberedUnpluggedFromController);
  }
}

bool TJvHidDevice::Accessible() const {
  return IsPlugged.load() && (IsCheckedOut.load() || IsAnnouncing.load());
}

void TJvHidDevice::SetReaderWaitMs(int Value) {
  if (Value >= MinReaderWaitMs && Value <= MaxReaderWaitMs) {
    WaitMs = Value;
  }
}

void TJvHidDevice::SetHandOverPeriodMs(int Value) {
  if (Value >= 0 && Value <= MaxHandOverPeriodMs) {
    PeriodMs = Value;
  }
}

void TJvHidDevice::SetOnReport(TJvHidDataEvent Handler) {
  if (!Handler) {
    StopReader();
  }
  ReportHandler = std::move(Handler);
  ReportFromController = false;
  StartReader();
}

void TJvHidDevice::SetOnReportError(TJvHidDataErrorEvent Handler) {
  ReportErrorHandler = std::move(Handler);
  ReportErrorFromController = false;
}

void TJvHidDevice::SetOnUnplugged(TJvHidPlugEvent Handler) {
  UnpluggedHandler = std::move(Handler);
  UnpluggedFromController = false;
}

bool TJvHidDevice::OpenMainHandle() {
  if (Accessible() && !MainHandle) {
    THidError Error;
    MainHandle = Platform.OpenMain(Info->InterfacePath, Error);
    HasReadWriteAccess = MainHandle && MainHandle->Access() == THidAccess::ReadWrite;
    if (MainHandle) {
      if (MainBuffers != 0) {
        MainHandle->SetNumInputBuffers(MainBuffers);
      }
      std::uint32_t Count = 0;
      if (MainHandle->GetNumInputBuffers(Count)) {
        MainBuffers = Count;
      }
    }
  }
  return MainHandle != nullptr;
}

bool TJvHidDevice::OpenReadHandle() {
  THidError Error;
  return AcquireReadHandle(Error) != nullptr;
}

std::shared_ptr<THidHandle> TJvHidDevice::AcquireReadHandle(THidError& Error) {
  std::lock_guard Guard(ReadHandleLock);
  if (!Accessible()) {
    Error = THidError::FromCode(IsPlugged ? EACCES : ENODEV);
    return nullptr;
  }
  if (!ReadHandle) {
    ReadHandle = Platform.OpenReader(Info->InterfacePath, Error);
    if (ReadHandle) {
      if (ReadBuffers != 0) {
        ReadHandle->SetNumInputBuffers(ReadBuffers);
      }
      std::uint32_t Count = 0;
      if (ReadHandle->GetNumInputBuffers(Count)) {
        ReadBuffers = Count;
      }
    }
  }
  return ReadHandle;
}

void TJvHidDevice::CloseMainHandle() {
  MainHandle.reset();
  MainBuffers = 0;
}

void TJvHidDevice::CloseReadHandle() {
  std::shared_ptr<THidHandle> Closing;
  {
    std::lock_guard Guard(ReadHandleLock);
    Closing = std::move(ReadHandle);
    ReadBuffers = 0;
  }
  // A reader in the middle of a read on it gets it back at once; the handle
  // really closes when the reader lets go of it.
  if (Closing) {
    Closing->Cancel();
  }
}

bool TJvHidDevice::ReadHandleOpen() const {
  std::lock_guard Guard(ReadHandleLock);
  return ReadHandle != nullptr;
}

THidCaps TJvHidDevice::QueryCaps() {
  if (!CapsFetched.load() && OpenMainHandle()) {
    THidCaps Fetched;
    THidError Error;
    if (MainHandle->GetCaps(Fetched, Error)) {
      Caps = Fetched;
      CapsFetched.store(true);
    }
    CloseMainHandle();
  }
  return CapsFetched.load() ? Caps : THidCaps{};
}

std::uint16_t TJvHidDevice::KnownInputLength() const {
  return CapsFetched.load() ? Caps.InputReportByteLength : 0;
}

bool TJvHidDevice::WriteReport(const void* Report, std::uint32_t ToWrite, std::uint32_t& Written) {
  Written = 0;
  if (!OpenMainHandle()) {
    WriteError = THidError::FromCode(IsPlugged ? EACCES : ENODEV);
    return false;
  }
  std::size_t Count = 0;
  if (!MainHandle->Write(static_cast<const std::uint8_t*>(Report), ToWrite, Count, WriteError)) {
    return false;
  }
  Written = static_cast<std::uint32_t>(Count);
  return true;
}

void TJvHidDevice::StartReader() {
  if (!ReportHandler || !IsPlugged || !IsCheckedOut || !HasReadWriteAccess || Reader) {
    return;
  }
  // The capabilities are fetched here, on the main thread, before the reader
  // runs; it only reads them afterwards.
  QueryCaps();
  Reader = std::make_unique<TJvHidDeviceReadThread>(*this);
  Reader->Start();
}

void TJvHidDevice::StopReader() {
  if (!Reader) {
    return;
  }
  Reader->Terminate();
  // A reader blocked in a handoff can only finish once the main thread has
  // run it, so keep running handoffs while waiting.
  std::exception_ptr FirstError;
  while (!Reader->Finished()) {
    try {
      MainLoop.WaitAndRunHandoffs(std::chrono::milliseconds(100));
    } catch (...) {
      if (!FirstError) {
        FirstError = std::current_exception();
      }
    }
  }
  Reader->WaitFor();
  // What it read before it ended still reaches the handler.
  try {
    Reader->HandOverQueued();
  } catch (...) {
    if (!FirstError) {
      FirstError = std::current_exception();
    }
  }
  Reader.reset();
  if (FirstError) {
    // A report handler failed while we were stopping: let the loop report
    // it like any other handler error.
    MainLoop.Post([FirstError] { std::rethrow_exception(FirstError); });
  }
}

void TJvHidDevice::MarkUnplugged() {
  CloseMainHandle();
  {
    std::lock_guard Guard(ReadHandleLock);
    IsPlugged = false;
  }
  CloseReadHandle();
  if (UnpluggedHandler) {
    auto Handler = UnpluggedHandler;
    Handler(*this);
  }
  UnpluggedHandler = nullptr;
  UnpluggedFromController = false;
}

void TJvHidDevice::DeliverReport(const std::uint8_t* Report, std::uint32_t Bytes) {
  if (ReportHandler && Bytes > 0) {
    const auto Size = static_cast<std::uint16_t>(std::min(Bytes - 1, MaxReportSize));
    auto Handler = ReportHandler;  // the handler may replace itself
    Handler(*this, Report[0], Report + 1, Size);
  }
}

void TJvHidDevice::DeliverReadError(std::uint32_t Error) {
  if (ReportErrorHandler) {
    auto Handler = ReportErrorHandler;
    Handler(*this, Error);
  }
}
