// SPDX-License-Identifier: GPL-3.0-or-later
// What the link needs from whoever runs the main (user-interface) thread:
// posting work to it, watching a waitable of the system on it (Waitable.h),
// and the reader threads' synchronous handoff. Qt-free; QtMainThreadLoop and
// PollMainThreadLoop implement it.
#pragma once

#include "link/Waitable.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

/// A watch on a waitable; destroying it ends the watch.
class TWaitableWatch {
 public:
  virtual ~TWaitableWatch() = default;
};

/// The main thread's loop as the link sees it. Created on the main thread.
class TMainThreadLoop {
 public:
  TMainThreadLoop();
  virtual ~TMainThreadLoop();
  TMainThreadLoop(const TMainThreadLoop&) = delete;
  TMainThreadLoop& operator=(const TMainThreadLoop&) = delete;

  /// Runs Task on the main thread once the loop gets there. Any thread.
  virtual void Post(std::function<void()> Task) = 0;

  /// Calls Callback on the main thread whenever Waitable is signalled (a
  /// descriptor readable, an event set), until the returned watch is
  /// destroyed. The callback must consume or clear what signalled it.
  virtual std::unique_ptr<TWaitableWatch> WatchSignalled(TWaitable Waitable,
                                                         std::function<void()> Callback) = 0;

  /// From another thread: has Task run on the main thread and returns once it
  /// has run (or thrown: the exception stays on the main thread). On the main
  /// thread itself, runs Task at once. After Shutdown(), returns at once
  /// without running it.
  void RunSynchronously(std::function<void()> Task);

  /// Any thread: queues Task to run on the main thread in order with the
  /// other handoffs, without waiting for it. Dropped after Shutdown().
  void HandOver(std::function<void()> Task);

  /// Main thread: runs the handoffs queued so far; any queued meanwhile wait
  /// for the next round, so the loop gets its turn in between. An exception
  /// from one of them still releases its waiting thread and is then
  /// rethrown; the handoffs after it stay queued. Returns how many ran.
  std::size_t RunPendingHandoffs();

  /// Main thread: waits until a handoff is queued, WakeHandoffWaiter() is
  /// called or MaxWait passes, then runs the queued handoffs.
  void WaitAndRunHandoffs(std::chrono::milliseconds MaxWait);

  /// Any thread: ends a WaitAndRunHandoffs() early.
  void WakeHandoffWaiter();

  /// Releases every waiting thread without running its handoff; later
  /// handoffs are not run either. For the end of the program.
  void Shutdown();

  /// Handoffs queued and not yet run.
  std::size_t QueuedHandoffs() const;

  /// Whether the caller is on the thread that created the loop.
  bool OnMainThread() const { return std::this_thread::get_id() == MainThread; }

 protected:
  /// Any thread: asks the main thread to call RunPendingHandoffs() soon.
  virtual void WakeMainThread() = 0;

 private:
  struct THandoff;

  const std::thread::id MainThread;
  mutable std::mutex Lock;
  std::condition_variable HandoffQueued;
  std::condition_variable HandoffDone;
  std::deque<std::shared_ptr<THandoff>> Pending;
  bool WakeRequested = false;
  bool ShutDown = false;
};
