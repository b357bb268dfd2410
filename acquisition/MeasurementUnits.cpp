// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/MeasurementUnits.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "acquisition/TimeBase.h"

std::optional<TMeasurementUnits> MeasurementUnits(int TimeBaseIndex) {
  const TTimeBase* Base = FindTimeBase(TimeBaseIndex);
  if (Base == nullptr) {
    return std::nullopt;
  }
  // Whole microseconds per division, so that the time per division is
  // exact in the dt unit (100 / 1000 is the double nearest 0.1).
  const auto Micro = static_cast<double>(std::llround(Base->SecondsPerDivision * 1e6));
  if (Micro < 100) {
    return TMeasurementUnits{"µs", Micro, 1000, "kHz", 3};
  }
  if (Micro < 500) {
    return TMeasurementUnits{"ms", Micro / 1000, 1, "kHz", 3};
  }
  return TMeasurementUnits{"ms", Micro / 1000, 1000, "Hz", 2};
}

std::string FixedText(double Value, int Decimals) {
  // Wide enough for any double in fixed notation (up to 309 integer digits).
  std::array<char, 400> Buffer{};
  const int Length = std::snprintf(Buffer.data(), Buffer.size(), "%.*f", Decimals, Value);
  if (Length < 0) {
    return {};
  }
  return std::string(Buffer.data(), static_cast<std::size_t>(Length));
}
