// SPDX-License-Identifier: GPL-3.0-or-later
// Maps the simulated analyser's time onto the wall clock. Qt-free.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "simulator/SimulatedSignals.h"

/// Simulated time for one analyser. With a time scale above zero, simulated
/// time is the wall time since construction divided by the scale (1 = real
/// time, 0.01 = a hundred times faster) and waits really wait. With a scale
/// of zero nothing waits: the clock stands still while idle and jumps to each
/// deadline the firmware waits for, so runs are exact and repeatable.
class TSimulationClock {
 public:
  explicit TSimulationClock(double TimeScale);

  /// The current simulated time. Safe from any thread.
  TSimTime Now() const;

  /// Waits on Wake (Lock held) until simulated time Deadline or until
  /// Interrupted() holds, whichever comes first. Returns true when the
  /// deadline was reached without interruption.
  template <typename TPredicate>
  bool WaitUntil(std::unique_lock<std::mutex>& Lock, std::condition_variable& Wake,
                 TSimTime Deadline, TPredicate Interrupted) {
    if (Interrupted()) {
      return false;
    }
    if (Scale <= 0.0) {
      TSimTime Current = Virtual.load();
      while (Current < Deadline && !Virtual.compare_exchange_weak(Current, Deadline)) {
      }
      return true;
    }
    return !Wake.wait_until(Lock, WallTimeOf(Deadline), Interrupted);
  }

  double TimeScale() const { return Scale; }

 private:
  std::chrono::steady_clock::time_point WallTimeOf(TSimTime T) const;

  double Scale;
  std::chrono::steady_clock::time_point Start;
  std::atomic<TSimTime> Virtual{0};
};
