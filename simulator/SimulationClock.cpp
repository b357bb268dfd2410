// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/SimulationClock.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TicksPerNanosecond = static_cast<double>(SimTicksPerSecond) / 1e9;

}  // namespace

TSimulationClock::TSimulationClock(double TimeScale)
    : Scale(std::isfinite(TimeScale) && TimeScale > 0.0 ? TimeScale : 0.0),
      Start(std::chrono::steady_clock::now()) {}

TSimTime TSimulationClock::Now() const {
  if (Scale <= 0.0) {
    return Virtual.load();
  }
  const auto Elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now() - Start);
  return static_cast<TSimTime>(static_cast<double>(Elapsed.count()) * TicksPerNanosecond / Scale);
}

std::chrono::steady_clock::time_point TSimulationClock::WallTimeOf(TSimTime T) const {
  // Round up so that Now() has reached T once the wait returns.
  // Capped far beyond any run so that the conversion cannot overflow.
  const double Nanoseconds =
      std::min(std::ceil(static_cast<double>(T) * Scale / TicksPerNanosecond), 1e18);
  return Start + std::chrono::nanoseconds(static_cast<std::int64_t>(Nanoseconds));
}
