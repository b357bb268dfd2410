// SPDX-License-Identifier: GPL-3.0-or-later
// A main-thread loop without Qt, waiting on the system's waitables
// (WaitForSignals: poll() on POSIX systems, WaitForMultipleObjects on
// Windows): for tests, the simulator and the headless capture tool. The thread that creates it runs it with RunOnce() or
// RunUntil().
#pragma once

#include "link/MainThreadLoop.h"
#include "link/Waitable.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TPollMainThreadLoop : public TMainThreadLoop {
 public:
  TPollMainThreadLoop();
  ~TPollMainThreadLoop() override;

  void Post(std::function<void()> Task) override;
  std::unique_ptr<TWaitableWatch> WatchSignalled(TWaitable Waitable,
                                                 std::function<void()> Callback) override;

  /// Waits up to Timeout for something to do, then runs the handoffs, the
  /// posted tasks and the callbacks of signalled watched waitables. Returns
  /// whether anything ran. Exceptions from tasks and callbacks propagate.
  bool RunOnce(std::chrono::milliseconds Timeout);

  /// Runs until Done() is true or Timeout passes; returns Done().
  bool RunUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout);

 protected:
  void WakeMainThread() override;

 private:
  class TWatch;
  struct TWatchEntry {
    std::uint64_t Id;
    TWaitable Waitable;
    std::shared_ptr<std::function<void()>> Callback;
  };

  void Unwatch(std::uint64_t Id);

  TWakeEvent Wake;
  std::mutex TaskLock;
  std::deque<std::function<void()>> Tasks;
  std::vector<TWatchEntry> Watches;  // main thread only
  std::uint64_t NextWatchId = 1;
};
