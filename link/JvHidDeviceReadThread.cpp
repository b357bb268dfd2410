// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/JvHidControllerClass.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <utility>

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
  {
    std::lock_guard Guard(QueueLock);  // a reader waiting for room sees the flag
  }
  QueueRoom.notify_all();
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
    std::size_t Bytes = 0;
    bool Completed = false;
    bool Cancelled = false;
    if (auto Handle = Device.AcquireReadHandle(Error)) {
      while (!TerminateRequested) {
        const auto Result = Handle->Read(Report.data(), Length, ReadWaitMs());
        if (Result.Status == THidReadResult::TimedOut) {
          HandOverIfDue();
          continue;
        }
        if (Result.Status == THidReadResult::Report) {
          Bytes = std::min(Result.Bytes, Length);
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
      // Reads are synchronous: nothing is left pending to cancel.
      if (Bytes > 0) {
        Queue({std::vector<std::uint8_t>(Report.begin(),
                                         Report.begin() + static_cast<std::ptrdiff_t>(Bytes)),
               false, 0});
      }
      continue;
    }
    if (Cancelled) {
      HandOverIfDue();
      continue;  // the handle was closed or replaced: take it again
    }
    // Errors go in the queue too, so they reach the main thread in order.
    Queue({{}, true, static_cast<std::uint32_t>(Error.Code)});
    // Retrying at once would spin as long as the device stays unusable.
    Pause();
  }
  HasFinished = true;
  Loop.WakeHandoffWaiter();
}

void TJvHidDeviceReadThread::Queue(TQueued Item) {
  std::unique_lock Guard(QueueLock);
  QueueRoom.wait(Guard, [this] { return Queued.size() < QueueCapacity || TerminateRequested; });
  if (TerminateRequested) {
    return;
  }
  const bool Failed = Item.Failed;
  Queued.push_back(std::move(Item));
  if (HandOverAsked) {
    return;  // the main thread takes it with the others
  }
  const auto Now = std::chrono::steady_clock::now();
  if (!Failed && Now < NextHandOver) {
    DeferredUntil = NextHandOver;  // goes with those that follow it closely
    return;
  }
  AskHandOver(Guard, Now);
}

void TJvHidDeviceReadThread::AskHandOver(std::unique_lock<std::mutex>& Guard,
                                         std::chrono::steady_clock::time_point Now) {
  HandOverAsked = true;
  DeferredUntil.reset();
  NextHandOver = Now + std::chrono::milliseconds(Device.HandOverPeriodMs());
  Guard.unlock();
  // The reader object goes on the main thread, where this runs: the token
  // tells whether it is still there.
  Device.Loop().HandOver([this, Alive = std::weak_ptr<int>(AliveToken)] {
    if (!Alive.expired()) {
      HandOverQueued();
    }
  });
}

void TJvHidDeviceReadThread::HandOverIfDue() {
  std::unique_lock Guard(QueueLock);
  const auto Now = std::chrono::steady_clock::now();
  if (HandOverAsked || !DeferredUntil || Now < *DeferredUntil) {
    return;
  }
  AskHandOver(Guard, Now);
}

int TJvHidDeviceReadThread::ReadWaitMs() {
  const int Longest = Device.ReaderWaitMs();
  std::lock_guard Guard(QueueLock);
  if (!DeferredUntil) {
    return Longest;
  }
  const auto Left = std::chrono::ceil<std::chrono::milliseconds>(*DeferredUntil -
                                                                 std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<std::int64_t>(Left.count(), 0, Longest));
}

bool TJvHidDeviceReadThread::HasQueued() {
  const std::lock_guard Lock(QueueLock);
  return !Queued.empty();
}

void TJvHidDeviceReadThread::HandOverQueued() {
  if (HandingOver) {
    // A handler's own loop: the round under way goes on once it returns,
    // in order.
    return;
  }
  const std::weak_ptr<int> Alive = AliveToken;
  std::size_t Batch;
  {
    std::lock_guard Guard(QueueLock);
    Batch = Queued.size();
  }
  // Whatever a handler does, a later round is asked for what is left.
  struct TRound {
    TJvHidDeviceReadThread& Reader;
    const std::weak_ptr<int>& Alive;
    ~TRound() {
      if (Alive.expired()) {
        return;  // released by a handler: nothing of it is left to touch
      }
      Reader.HandingOver = false;
      std::unique_lock Guard(Reader.QueueLock);
      if (Reader.Queued.empty()) {
        Reader.HandOverAsked = false;
        return;
      }
      Guard.unlock();
      Reader.Device.Loop().HandOver([&R = Reader, Alive = Alive] {
        if (!Alive.expired()) {
          R.HandOverQueued();
        }
      });
    }
  } Round{*this, Alive};
  HandingOver = true;
  for (; Batch > 0 && !Alive.expired(); --Batch) {
    TQueued Item;
    {
      std::lock_guard Guard(QueueLock);
      if (Queued.empty()) {
        break;
      }
      Item = std::move(Queued.front());
      Queued.pop_front();
    }
    QueueRoom.notify_one();
    if (Item.Failed) {
      Device.DeliverReadError(Item.Error);
    } else {
      Device.DeliverReport(Item.Bytes.data(), static_cast<std::uint32_t>(Item.Bytes.size()));
    }
  }
}
