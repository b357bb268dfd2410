// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/MeasurementUnits.h"

#include <array>
#include <cstdio>

namespace {

// One row per time base, in TimeBaseIndex order from 4 (1 µs per division).
// The time per division is written in the dt unit so that it is exact.
constexpr int FirstIndex = 4;
constexpr std::array<TMeasurementUnits, 18> UnitsTable = {{
    {"µs", 1, 1000, "kHz", 3},
    {"µs", 2, 1000, "kHz", 3},
    {"µs", 5, 1000, "kHz", 3},
    {"µs", 10, 1000, "kHz", 3},
    {"µs", 20, 1000, "kHz", 3},
    {"µs", 50, 1000, "kHz", 3},
    {"ms", 0.1, 1, "kHz", 3},
    {"ms", 0.2, 1, "kHz", 3},
    {"ms", 0.5, 1000, "Hz", 2},
    {"ms", 1, 1000, "Hz", 2},
    {"ms", 2, 1000, "Hz", 2},
    {"ms", 5, 1000, "Hz", 2},
    {"ms", 10, 1000, "Hz", 2},
    {"ms", 20, 1000, "Hz", 2},
    {"ms", 50, 1000, "Hz", 2},
    {"ms", 100, 1000, "Hz", 2},
    {"ms", 200, 1000, "Hz", 2},
    {"ms", 500, 1000, "Hz", 2},
}};

}  // namespace

std::optional<TMeasurementUnits> MeasurementUnits(int TimeBaseIndex) {
  const int Row = TimeBaseIndex - FirstIndex;
  if (Row < 0 || Row >= static_cast<int>(UnitsTable.size())) {
    return std::nullopt;
  }
  return UnitsTable[static_cast<std::size_t>(Row)];
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
