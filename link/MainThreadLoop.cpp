// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/MainThreadLoop.h"

#include <utility>

struct TMainThreadLoop::THandoff {
  std::function<void()> Task;
  bool Done = false;
};

TMainThreadLoop::TMainThreadLoop() : MainThread(std::this_thread::get_id()) {}

TMainThreadLoop::~TMainThreadLoop() {
  Shutdown();
}

void TMainThreadLoop::RunSynchronously(std::function<void()> Task) {
  if (OnMainThread()) {
    Task();
    return;
  }
  auto Handoff = std::make_shared<THandoff>();
  Handoff->Task = std::move(Task);
  std::unique_lock Guard(Lock);
  if (ShutDown) {
    return;
  }
  Pending.push_back(Handoff);
  HandoffQueued.notify_all();
  Guard.unlock();
  WakeMainThread();
  Guard.lock();
  HandoffDone.wait(Guard, [&] { return Handoff->Done; });
}

void TMainThreadLoop::HandOver(std::function<void()> Task) {
  auto Handoff = std::make_shared<THandoff>();
  Handoff->Task = std::move(Task);
  {
    std::lock_guard Guard(Lock);
    if (ShutDown) {
      return;
    }
    Pending.push_back(std::move(Handoff));
    HandoffQueued.notify_all();
  }
  WakeMainThread();
}

std::size_t TMainThreadLoop::RunPendingHandoffs() {
  std::size_t Round;
  {
    std::lock_guard Guard(Lock);
    Round = Pending.size();
  }
  for (std::size_t Ran = 0;; ++Ran) {
    std::shared_ptr<THandoff> Next;
    {
      std::lock_guard Guard(Lock);
      if (Pending.empty()) {
        return Ran;
      }
      if (Ran == Round) {
        WakeMainThread();  // queued during this round: the next one runs them
        return Ran;
      }
      Next = std::move(Pending.front());
      Pending.pop_front();
    }
    // The waiting thread is released whatever the task does.
    struct TRelease {
      TMainThreadLoop& Loop;
      THandoff& Handoff;
      ~TRelease() {
        std::lock_guard Guard(Loop.Lock);
        Handoff.Done = true;
        Loop.HandoffDone.notify_all();
      }
    } Release{*this, *Next};
    Next->Task();
  }
}

void TMainThreadLoop::WaitAndRunHandoffs(std::chrono::milliseconds MaxWait) {
  {
    std::unique_lock Guard(Lock);
    HandoffQueued.wait_for(Guard, MaxWait, [&] { return !Pending.empty() || WakeRequested; });
    WakeRequested = false;
  }
  RunPendingHandoffs();
}

void TMainThreadLoop::WakeHandoffWaiter() {
  std::lock_guard Guard(Lock);
  WakeRequested = true;
  HandoffQueued.notify_all();
}

void TMainThreadLoop::Shutdown() {
  std::lock_guard Guard(Lock);
  ShutDown = true;
  for (auto& Handoff : Pending) {
    Handoff->Done = true;
  }
  Pending.clear();
  HandoffDone.notify_all();
}

std::size_t TMainThreadLoop::QueuedHandoffs() const {
  std::lock_guard Guard(Lock);
  return Pending.size();
}
