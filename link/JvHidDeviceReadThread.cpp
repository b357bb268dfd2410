#include "link/JvHidControllerClass.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>

TJvHidDeviceReadThread::TJvHidDeviceReadThread(TJvHidDevice& Device)
    : Device(Device), Report(Device.QueryCaps().InputReportByteLength) {}

TJvHidDeviceReadThread::~TJvHidDeviceReadThread() {
  if (Thread.joinable()) {
    Terminate();
    Thread.join();
  }
}

void TJvHidDeviceReadThread::Start() {
  if (!Thread.joinable() && !HasFinished) {
    Thread = std::thread([this] { Execute(); });
  }
}

void TJvHidDeviceReadThread::Terminate() {
  {
    std::lock_guard Guard(PauseLock);
    TerminateRequested = true;
  }
  PauseWake.notify_all();
  // Wake a read in progress rather than let it sit out its wait.
  std::lock_guard Guard(Device.ReadHandleLock);
  if (Device.ReadHandle) {
    Device.ReadHandle->Cancel();
  }
}

void TJvHidDeviceReadThread::WaitFor() {
  if (Thread.joinable()) {
    Thread.join();
  }
}

void TJvHidDeviceReadThread::Pause() {
  std::unique_lock Guard(PauseLock);
  PauseWake.wait_for(Guard, std::chrono::milliseconds(Device.ReaderWaitMs()),
                     [this] { return TerminateRequested.load(); });
}

void TJvHidDeviceReadThread::Execute() {
  ::pthread_setname_np(::pthread_self(), "la16-hid-reader");  // in top, ps -L and /proc
  TMainThreadLoop& Loop = Device.Loop();
  while (!TerminateRequested) {
    // The length may have become known since the buffer was made; never
    // more than the buffer holds.
    const std::size_t Length = std::min<std::size_t>(Device.KnownInputLength(), Report.size());
    std::fill(Report.begin(), Report.end(), 0);

    THidError Error;
    bool Completed = false;
    bool Cancelled = false;
    if (auto Handle = Device.AcquireReadHandle(Error)) {
      while (!TerminateRequested) {
        const auto Result = Handle->Read(Report.data(), Length, Device.ReaderWaitMs());
        if (Result.Status == THidReadResult::TimedOut) {
          continue;
        }
        if (Result.Status == THidReadResult::Report) {
          NumBytesRead = static_cast<std::uint32_t>(Result.Bytes);
          Completed = true;
        } else if (Result.Status == THidReadResult::Cancelled) {
          Cancelled = true;
        } else {
          Error = Result.Error;
        }
        break;
      }
    }
    if (TerminateRequested) {
      break;
    }
    if (Completed) {
      // Reads are synchronous: nothing is left pending to cancel, and the
      // buffer is not touched again until the handler has returned.
      if (NumBytesRead > 0) {
        Loop.RunSynchronously([this] { Device.DeliverReport(Report.data(), NumBytesRead); });
      }
      continue;
    }
    if (Cancelled) {
      continue;  // the handle was closed or replaced: take it again
    }
    ErrorCode = static_cast<std::uint32_t>(Error.Code);
    Loop.RunSynchronously([this] { Device.DeliverReadError(ErrorCode); });
    // Retrying at once would spin as long as the device stays unusable.
    Pause();
  }
  HasFinished = true;
  Loop.WakeHandoffWaiter();
}
