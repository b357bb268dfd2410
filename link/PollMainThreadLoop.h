// A main-thread loop without Qt, on poll(): for tests, the simulator and the
// headless capture tool. The thread that creates it runs it with RunOnce() or
// RunUntil().
#pragma once

#include "link/MainThreadLoop.h"
#include "link/UniqueFd.h"

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
  std::unique_ptr<TReadableWatch> WatchReadable(int Fd, std::function<void()> Callback) override;

  /// Waits up to Timeout for something to do, then runs the handoffs, the
  /// posted tasks and the callbacks of readable watched descriptors. Returns
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
    int Fd;
    std::shared_ptr<std::function<void()>> Callback;
  };

  void Unwatch(std::uint64_t Id);

  TUniqueFd WakeFd;
  std::mutex TaskLock;
  std::deque<std::function<void()>> Tasks;
  std::vector<TWatchEntry> Watches;  // main thread only
  std::uint64_t NextWatchId = 1;
};
