// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SimulatedHidPlatform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <system_error>

struct TSimulatedHidInterface::TReader {
  std::uint64_t Generation;
  std::deque<std::vector<std::uint8_t>> Reports;
  bool CancelRequested = false;
};

TSimulatedHidInterface::TSimulatedHidInterface(TSimulatedInterfaceOptions Options)
    : Settings(Options) {}

bool TSimulatedHidInterface::Plugged() const {
  std::lock_guard Guard(Lock);
  return IsPlugged;
}

std::uint32_t TSimulatedHidInterface::InstanceNumber() const {
  std::lock_guard Guard(Lock);
  return Instance;
}

std::string TSimulatedHidInterface::InterfacePath() const {
  std::lock_guard Guard(Lock);
  return Path;
}

void TSimulatedHidInterface::RefuseWriteAccess(bool Refuse) {
  std::lock_guard Guard(Lock);
  WriteRefused = Refuse;
}

void TSimulatedHidInterface::RefuseOpen(int Code) {
  std::lock_guard Guard(Lock);
  OpenError = Code;
}

void TSimulatedHidInterface::FailIdentify(int Code) {
  std::lock_guard Guard(Lock);
  IdentifyError = Code;
}

void TSimulatedHidInterface::FailReads(int Code) {
  std::lock_guard Guard(Lock);
  ReadError = Code;
  Changed.notify_all();
}

void TSimulatedHidInterface::FailWrites(int Code) {
  std::lock_guard Guard(Lock);
  WriteError = Code;
}

void TSimulatedHidInterface::SetWriteHook(TWriteHook NewHook) {
  std::lock_guard Guard(Lock);
  Hook = std::move(NewHook);
}

void TSimulatedHidInterface::InjectReport(const std::uint8_t* Report, std::size_t Size) {
  std::lock_guard Guard(Lock);
  for (TReader* Reader : Readers) {
    if (!IsPlugged || Reader->Generation != Generation) {
      continue;
    }
    if (Reader->Reports.size() >= ReaderQueueLength) {
      ++Dropped;
      continue;
    }
    Reader->Reports.emplace_back(Report, Report + Size);
  }
  Changed.notify_all();
}

void TSimulatedHidInterface::InjectReport(const std::vector<std::uint8_t>& Report) {
  InjectReport(Report.data(), Report.size());
}

std::vector<std::vector<std::uint8_t>> TSimulatedHidInterface::WrittenReports() const {
  std::lock_guard Guard(Lock);
  return Written;
}

std::size_t TSimulatedHidInterface::ReaderCount() const {
  std::lock_guard Guard(Lock);
  return static_cast<std::size_t>(std::count_if(
      Readers.begin(), Readers.end(), [&](TReader* R) { return R->Generation == Generation; }));
}

bool TSimulatedHidInterface::WaitForReaders(std::size_t Count,
                                            std::chrono::milliseconds Timeout) const {
  std::unique_lock Guard(Lock);
  return Changed.wait_for(Guard, Timeout, [&] {
    return static_cast<std::size_t>(std::count_if(Readers.begin(), Readers.end(), [&](TReader* R) {
             return R->Generation == Generation;
           })) >= Count;
  });
}

std::size_t TSimulatedHidInterface::ReadAttempts() const {
  std::lock_guard Guard(Lock);
  return Attempts;
}

std::size_t TSimulatedHidInterface::DroppedReports() const {
  std::lock_guard Guard(Lock);
  return Dropped;
}

/// A handle on a simulated interface, bound to the plug-in it was opened in.
class TSimulatedHidHandle : public THidHandle {
 public:
  TSimulatedHidHandle(std::shared_ptr<TSimulatedHidInterface> Target, THidAccess Mode,
                      std::uint64_t Generation)
      : Interface(std::move(Target)), Mode(Mode), Generation(Generation) {
    if (Mode == THidAccess::ReadOnly) {
      Reader.Generation = Generation;
      std::lock_guard Guard(Interface->Lock);
      Interface->Readers.push_back(&Reader);
      Interface->Changed.notify_all();
    }
  }

  ~TSimulatedHidHandle() override {
    if (Mode == THidAccess::ReadOnly) {
      std::lock_guard Guard(Interface->Lock);
      std::erase(Interface->Readers, &Reader);
      Interface->Changed.notify_all();
    }
  }

  THidAccess Access() const override { return Mode; }

  bool GetAttributes(THidAttributes& Attributes, THidError& Error) override {
    std::lock_guard Guard(Interface->Lock);
    if (!Present(Error)) {
      return false;
    }
    if (Interface->IdentifyError != 0) {
      Error = THidError::FromCode(Interface->IdentifyError);
      return false;
    }
    const auto& Options = Interface->Settings;
    Attributes = {Options.VendorID, Options.ProductID, Options.VersionNumber};
    return true;
  }

  bool GetCaps(THidCaps& Caps, THidError& Error) override {
    std::lock_guard Guard(Interface->Lock);
    if (!Present(Error)) {
      return false;
    }
    Caps = {Interface->Settings.InputReportByteLength, Interface->Settings.OutputReportByteLength};
    return true;
  }

  bool GetNumInputBuffers(std::uint32_t& Count) override {
    Count = TSimulatedHidInterface::ReaderQueueLength;
    return true;
  }

  bool SetNumInputBuffers(std::uint32_t) override { return false; }

  bool Write(const std::uint8_t* Report, std::size_t Length, std::size_t& Written,
             THidError& Error) override {
    Written = 0;
    TSimulatedHidInterface::TWriteHook Hook;
    {
      std::lock_guard Guard(Interface->Lock);
      if (Mode != THidAccess::ReadWrite) {
        Error = THidError::FromCode(EBADF);
        return false;
      }
      if (!Present(Error)) {
        return false;
      }
      if (Interface->WriteError != 0) {
        Error = THidError::FromCode(Interface->WriteError);
        return false;
      }
      if (Length == 0) {
        Error = THidError::FromCode(EINVAL);
        return false;
      }
      Interface->Written.emplace_back(Report, Report + Length);
      Hook = Interface->Hook;
    }
    Written = Length;
    if (Hook) {
      Hook(Report, Length);
    }
    return true;
  }

  THidReadResult Read(std::uint8_t* Buffer, std::size_t Length, int TimeoutMs) override {
    THidReadResult Result;
    std::unique_lock Guard(Interface->Lock);
    ++Interface->Attempts;
    if (Mode != THidAccess::ReadOnly) {
      return Failed(EBADF);
    }
    if (Length == 0) {
      return Failed(EINVAL);
    }
    const auto Deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(TimeoutMs, 0));
    for (;;) {
      if (!Present(Result.Error)) {
        Result.Status = THidReadResult::Failed;
        return Result;
      }
      if (Interface->ReadError != 0) {
        return Failed(Interface->ReadError);
      }
      if (Reader.CancelRequested) {
        Reader.CancelRequested = false;
        Result.Status = THidReadResult::Cancelled;
        return Result;
      }
      if (!Reader.Reports.empty()) {
        const auto& Report = Reader.Reports.front();
        Result.Bytes = std::min(Length, Report.size());
        std::copy_n(Report.begin(), Result.Bytes, Buffer);
        Reader.Reports.pop_front();
        Result.Status = THidReadResult::Report;
        return Result;
      }
      if (Interface->Changed.wait_until(Guard, Deadline) == std::cv_status::timeout) {
        // One last look: something may have come with the timeout.
        if (Reader.Reports.empty() && !Reader.CancelRequested && Interface->ReadError == 0 &&
            Present(Result.Error)) {
          Result.Status = THidReadResult::TimedOut;
          return Result;
        }
      }
    }
  }

  void Cancel() override {
    std::lock_guard Guard(Interface->Lock);
    Reader.CancelRequested = true;
    Interface->Changed.notify_all();
  }

 private:
  // Interface->Lock is held.
  bool Present(THidError& Error) const {
    if (!Interface->IsPlugged || Interface->Generation != Generation) {
      Error = THidError::FromCode(ENODEV);
      return false;
    }
    return true;
  }

  static THidReadResult Failed(int Code) {
    THidReadResult Result;
    Result.Status = THidReadResult::Failed;
    Result.Error = THidError::FromCode(Code);
    return Result;
  }

  std::shared_ptr<TSimulatedHidInterface> Interface;
  const THidAccess Mode;
  const std::uint64_t Generation;
  TSimulatedHidInterface::TReader Reader{0, {}, false};
};

TSimulatedHidPlatform::TSimulatedHidPlatform() = default;

TSimulatedHidPlatform::~TSimulatedHidPlatform() = default;

void TSimulatedHidPlatform::Plug(const std::shared_ptr<TSimulatedHidInterface>& Interface) {
  {
    std::lock_guard Guard(Lock);
    std::lock_guard InterfaceGuard(Interface->Lock);
    if (Interface->IsPlugged) {
      return;
    }
    Interface->IsPlugged = true;
    ++Interface->Generation;
    Interface->Instance = NextInstance++;
    Interface->Path = "/dev/simulated-hid/" + std::to_string(Interface->Instance);
    PluggedIn.push_back(Interface);
    Interface->Changed.notify_all();
  }
  Notify();
}

void TSimulatedHidPlatform::Unplug(TSimulatedHidInterface& Interface) {
  {
    std::lock_guard Guard(Lock);
    std::lock_guard InterfaceGuard(Interface.Lock);
    if (!Interface.IsPlugged) {
      return;
    }
    Interface.IsPlugged = false;
    std::erase_if(PluggedIn, [&](const auto& Entry) { return Entry.get() == &Interface; });
    Interface.Changed.notify_all();
  }
  Notify();
}

std::shared_ptr<TSimulatedHidInterface> TSimulatedHidPlatform::PlugNew(
    const TSimulatedInterfaceOptions& Options) {
  auto Interface = std::make_shared<TSimulatedHidInterface>(Options);
  Plug(Interface);
  return Interface;
}

void TSimulatedHidPlatform::FailEnumeration(bool Fail) {
  std::lock_guard Guard(Lock);
  EnumerationFails = Fail;
}

std::optional<std::vector<THidInterface>> TSimulatedHidPlatform::Enumerate() {
  std::lock_guard Guard(Lock);
  if (EnumerationFails) {
    return std::nullopt;
  }
  std::vector<THidInterface> Present;
  for (const auto& Interface : PluggedIn) {
    std::lock_guard InterfaceGuard(Interface->Lock);
    Present.push_back({Interface->Instance, Interface->Path});
  }
  return Present;
}

std::shared_ptr<TSimulatedHidInterface> TSimulatedHidPlatform::Find(const std::string& Path) {
  std::lock_guard Guard(Lock);
  for (const auto& Interface : PluggedIn) {
    std::lock_guard InterfaceGuard(Interface->Lock);
    if (Interface->Path == Path) {
      return Interface;
    }
  }
  return nullptr;
}

std::unique_ptr<THidHandle> TSimulatedHidPlatform::Open(const std::string& Path, bool ForReader,
                                                        THidError& Error) {
  auto Interface = Find(Path);
  if (!Interface) {
    Error = THidError::FromCode(ENOENT);
    return nullptr;
  }
  std::unique_lock Guard(Interface->Lock);
  if (Interface->OpenError != 0) {
    Error = THidError::FromCode(Interface->OpenError);
    return nullptr;
  }
  const auto Mode = ForReader                 ? THidAccess::ReadOnly
                    : Interface->WriteRefused ? THidAccess::QueryOnly
                                              : THidAccess::ReadWrite;
  const auto Generation = Interface->Generation;
  Guard.unlock();
  return std::make_unique<TSimulatedHidHandle>(std::move(Interface), Mode, Generation);
}

std::unique_ptr<THidHandle> TSimulatedHidPlatform::OpenMain(const std::string& Path,
                                                            THidError& Error) {
  return Open(Path, false, Error);
}

std::unique_ptr<THidHandle> TSimulatedHidPlatform::OpenReader(const std::string& Path,
                                                              THidError& Error) {
  return Open(Path, true, Error);
}

void TSimulatedHidPlatform::Notify() {
  NoticeEvent.Set();
}

void TSimulatedHidPlatform::DrainChangeNotice() {
  NoticeEvent.Clear();
}
